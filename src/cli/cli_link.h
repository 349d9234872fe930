// CliLink: kivo-cli's way to one camera — the camera link's operations as tasks to co_await on
// the CliRun. Failures become CliError with the exit status they stand for; an interrupt drops
// the request under way and throws CliError with the interrupt's status. In a rig every camera
// has its own CliLink on the one CliRun. Loop thread only.
#pragma once

#include <functional>
#include <string>

#include "cli/cli_run.h"
#include "cli/cli_task.h"
#include "link/camera_link.h"

namespace kivo {

class CliLink {
 public:
  CliLink(CliRun& run, LinkOptions options);

  const std::string& Address() const { return link_.Address(); }
  const std::string& Interface() const { return link_.Options().interface_name; }
  std::string MediaBase() const { return link_.MediaBase(); }

  // One request; network failures are in the reply, never thrown.
  Task<HttpReply> Get(std::string url, int timeout_ms, bool head = false);

  // The BacPac record and, when the camera is on, the camera record. Throws CliError:
  // kExitUnreachable, kExitWrongPassword, kExitFailed (kNotAStatusRecord).
  Task<CameraSnapshot> ReadStatus();

  // Sends one command and checks the reply; in a rig it leaves together with the other
  // cameras' commands. Throws CliError: kExitUnreachable, kExitWrongPassword, kExitFailed (the
  // camera refused it).
  Task<void> SendCommand(std::string path, std::string parameter);

  // The media server's "Date:" line, the camera's clock. Throws CliError: kExitUnreachable,
  // kExitFailed (no Date header).
  Task<std::string> ReadClock();

  // The card's listing, or nothing when it took longer than |timeout_ms| (the reading is then
  // given up).
  Task<std::optional<CardListing>> ReadListing(int timeout_ms);

  // Reads the status every |interval_ms| until |done| holds for it (true) or |timeout_ms| has
  // passed (false). Throws like ReadStatus.
  Task<bool> WaitFor(std::function<bool(const CameraSnapshot&)> done, int timeout_ms,
                     int interval_ms = 300);

  CliRun& Run() { return run_; }
  PollEventLoop& Loop() { return run_.Loop(); }
  CameraLink& Link() { return link_; }

 private:
  // Waits for |*done|; on an interrupt drops the link's requests and throws.
  Task<void> Await(const bool* done);

  CliRun& run_;
  CameraLink link_;
};

// Throws CliError with the interrupt's exit status when the user has interrupted.
void ThrowIfInterrupted();

// The CliError a link's error stands for.
[[noreturn]] void ThrowLinkError(const LinkError& error);

}  // namespace kivo
