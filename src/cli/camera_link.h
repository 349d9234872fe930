// CameraLink: kivo-cli's way to the camera — one request at a time on the poll event loop,
// waited for with a time-out; the status records decoded once each into their values; commands
// sent and their refusal recognised. Failures become CliError with the exit status they stand
// for. Loop thread only (the program's only thread); the waits run the loop and give up early
// when the user interrupts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "camera/status_values.h"
#include "net/http_cli.h"
#include "platform/poll_event_loop.h"

namespace kivo {

struct HttpReply {
  std::uint16_t error = 0;  // 0, or the client's or socket's error number
  bool timed_out = false;
  int status = 0;
  std::vector<std::string> header;  // status line first
  std::string body;
};

// Both status records, decoded.
struct CameraSnapshot {
  BacPacStatus bacpac;
  std::optional<CameraStatus> camera;  // read while the camera is on, when long enough
  bool camera_on = false;
  bool camera_record = false;  // |camera| holds the camera status record
};

// Whether the main window would show menu item |item| checked for |s|; false without a camera
// record.
bool ItemChecked(const CameraSnapshot& s, std::string_view item);

// Said (exit 1) when a status request is answered by something that is not a status record: an
// error status or a text page.
inline constexpr char kNotAStatusRecord[] = "The camera's answer is not a status record";

class CameraLink {
 public:
  // Time-outs of kivo-cli's requests: a little longer than the window's, since a script would
  // rather wait than fail on a slow link.
  static constexpr int kStatusTimeoutMs = 3000;
  static constexpr int kCommandTimeoutMs = 3000;

  CameraLink(PollEventLoop& loop, std::string address, std::string password);

  const std::string& Address() const { return address_; }
  std::string MediaBase() const { return "http://" + address_ + ":8080"; }

  // One request; never throws for network failures (they are in the reply).
  HttpReply Get(const std::string& url, int timeout_ms, bool head = false);

  // The BacPac record and, when the camera is on, the camera record. Throws CliError:
  // kExitUnreachable, kExitWrongPassword, kExitFailed (kNotAStatusRecord).
  CameraSnapshot ReadStatus();

  // Sends one command and checks the reply. Throws CliError: kExitUnreachable,
  // kExitWrongPassword, kExitFailed (the camera refused it).
  void SendCommand(const std::string& path, const std::string& parameter);

  // Reads the status every |interval_ms| until |done| holds for it (true) or |timeout_ms| has
  // passed (false). Throws like ReadStatus, and CliError with the interrupt's status when the
  // user interrupts.
  bool WaitFor(const std::function<bool(const CameraSnapshot&)>& done, int timeout_ms,
               int interval_ms = 300);

  // Runs the loop until |done| or |timeout_ms|; false on time-out or interrupt.
  bool RunUntil(const std::function<bool()>& done, int timeout_ms);

  PollEventLoop& Loop() { return loop_; }
  // The network interface every request goes out through; "" = wherever the system routes.
  void SetInterface(const std::string& name) { http_.BindInterface = name; }
  const std::string& Interface() const { return http_.BindInterface; }

 private:
  // Turns a failed request into the CliError it stands for; returns when the reply is usable.
  void CheckReachable(const HttpReply& reply, const char* timeout_text);

  PollEventLoop& loop_;
  std::string address_;
  std::string password_;
  THttpCli http_;
};

// Throws CliError with the interrupt's exit status when the user has interrupted.
void ThrowIfInterrupted();

}  // namespace kivo
