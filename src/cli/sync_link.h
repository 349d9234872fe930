// SyncLink: kivo-cli's way to the camera — the camera link waited for. Each call starts one
// operation of the link and runs the poll event loop until its completion came, giving up early
// when the user interrupts. Failures become CliError with the exit status they stand for. Loop
// thread only (the program's only thread).
#pragma once

#include <functional>
#include <string>

#include "link/camera_link.h"
#include "platform/poll_event_loop.h"

namespace kivo {

class SyncLink {
 public:
  SyncLink(PollEventLoop& loop, LinkOptions options);

  const std::string& Address() const { return link_.Address(); }
  const std::string& Interface() const { return link_.Options().interface_name; }
  std::string MediaBase() const { return link_.MediaBase(); }

  // One request; never throws for network failures (they are in the reply).
  HttpReply Get(const std::string& url, int timeout_ms, bool head = false);

  // The BacPac record and, when the camera is on, the camera record. Throws CliError:
  // kExitUnreachable, kExitWrongPassword, kExitFailed (kNotAStatusRecord).
  CameraSnapshot ReadStatus();

  // Sends one command and checks the reply. Throws CliError: kExitUnreachable,
  // kExitWrongPassword, kExitFailed (the camera refused it).
  void SendCommand(const std::string& path, const std::string& parameter);

  // The media server's "Date:" line, the camera's clock. Throws CliError: kExitUnreachable,
  // kExitFailed (no Date header).
  std::string ReadClock();

  // Reads the status every |interval_ms| until |done| holds for it (true) or |timeout_ms| has
  // passed (false). Throws like ReadStatus, and CliError with the interrupt's status when the
  // user interrupts.
  bool WaitFor(const std::function<bool(const CameraSnapshot&)>& done, int timeout_ms,
               int interval_ms = 300);

  // Runs the loop until |done| or |timeout_ms|; false on time-out or interrupt.
  bool RunUntil(const std::function<bool()>& done, int timeout_ms);

  PollEventLoop& Loop() { return loop_; }
  CameraLink& Link() { return link_; }

 private:
  // Runs the loop until |*done|; on interrupt cancels the link's operations and throws.
  void Await(const bool* done);

  PollEventLoop& loop_;
  CameraLink link_;
};

// Throws CliError with the interrupt's exit status when the user has interrupted.
void ThrowIfInterrupted();

// The CliError a link's error stands for.
[[noreturn]] void ThrowLinkError(const LinkError& error);

}  // namespace kivo
