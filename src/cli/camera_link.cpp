#include "cli/camera_link.h"

#include <algorithm>
#include <chrono>

#include "camera/bacpac_status.h"
#include "camera/camera_status.h"
#include "camera/command_url.h"
#include "cli/cli_args.h"
#include "platform/console.h"

namespace kivo {
namespace {

// Texts the window shows for the same failures.
constexpr char kNoConnection[] = "No connection to Camera";
constexpr char kBacPacTimeout[] = "BacPac timeout";
constexpr char kCommandTimeout[] = "Command Timeout";
constexpr char kCommandRefused[] = "The camera refused the command ";
constexpr char kRefusedMarker[] = "403";
constexpr int kForbidden = 403;
constexpr int kOk = 200;
// A command reply's first byte: 0 done, 1 not done.
constexpr char kNotDone = '\x01';
constexpr std::size_t kMaxReplyBytes = 64 * 1024;
// The loop is woken this often while waiting, so an interrupt is noticed at once.
constexpr int kSliceMs = 100;

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool IsRefusal(const HttpReply& reply) {
  return reply.status == kForbidden || reply.body.compare(0, 3, kRefusedMarker) == 0;
}

// A status record is binary (its first bytes hold zeros and small codes); an error page, however
// it is served, is text from its first byte on.
bool LooksLikeText(const std::string& body) {
  const std::size_t n = std::min(body.size(), kBacPacStatusBytes);
  if (n == 0) return false;
  return std::all_of(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x20 && b < 0x7f) || b == '\t' || b == '\n' || b == '\r';
  });
}

// The reply's bytes, once they are a status record.
std::span<const std::uint8_t> StatusRecord(const HttpReply& reply) {
  if (reply.status != kOk)
    throw CliError(kExitFailed,
                   std::string(kNotAStatusRecord) + " (HTTP " + std::to_string(reply.status) + ")");
  if (LooksLikeText(reply.body)) throw CliError(kExitFailed, kNotAStatusRecord);
  return {reinterpret_cast<const std::uint8_t*>(reply.body.data()), reply.body.size()};
}

}  // namespace

bool ItemChecked(const CameraSnapshot& s, std::string_view item) {
  return s.camera && StatusChecks(*s.camera, item);
}

void ThrowIfInterrupted() {
  if (const int code = InterruptExitCode()) throw CliError(code, "Interrupted");
}

CameraLink::CameraLink(PollEventLoop& loop, std::string address, std::string password)
    : loop_(loop), address_(std::move(address)), password_(std::move(password)), http_(loop) {
  // As the window's own camera clients.
  http_.NoCache = true;
  http_.MultiThreaded = true;
}

bool CameraLink::RunUntil(const std::function<bool()>& done, int timeout_ms) {
  const std::int64_t end = NowMs() + timeout_ms;
  while (!done()) {
    if (InterruptExitCode()) return false;
    const std::int64_t left = end - NowMs();
    if (left <= 0) return false;
    loop_.RunUntil(done, static_cast<int>(std::min<std::int64_t>(left, kSliceMs)));
  }
  return true;
}

HttpReply CameraLink::Get(const std::string& url, int timeout_ms, bool head) {
  HttpReply reply;
  bool done = false;
  http_.URL = url;
  http_.OnDocData = [&](THttpCli& c, const char* data, int len) {
    reply.body.append(data, static_cast<std::size_t>(len));
    if (reply.body.size() > kMaxReplyBytes) c.Abort();
  };
  http_.OnRequestDone = [&](THttpCli&, THttpRequest, std::uint16_t error) {
    reply.error = error;
    done = true;
  };
  head ? http_.HeadASync() : http_.GetASync();
  if (!RunUntil([&] { return done; }, timeout_ms)) {
    reply.timed_out = !done;
    http_.Abort();
    loop_.RunUntil([&] { return done; }, 1000);
  }
  reply.status = http_.StatusCode();
  reply.header = http_.RcvdHeader();
  http_.OnDocData = nullptr;
  http_.OnRequestDone = nullptr;
  ThrowIfInterrupted();
  return reply;
}

void CameraLink::CheckReachable(const HttpReply& reply, const char* timeout_text) {
  if (IsRefusal(reply)) throw CliError(kExitWrongPassword, kPasswordRefusedMessage);
  if (reply.timed_out) throw CliError(kExitUnreachable, timeout_text);
  if (reply.status == 0 || (reply.error != 0 && reply.body.empty()))
    throw CliError(kExitUnreachable, kNoConnection);
}

CameraSnapshot CameraLink::ReadStatus() {
  CameraSnapshot snapshot;
  const HttpReply bacpac = Get(BuildCommandUrl(address_, password_, "bacpac/se", ""),
                               kStatusTimeoutMs);
  CheckReachable(bacpac, kBacPacTimeout);
  const std::span<const std::uint8_t> bacpac_record = StatusRecord(bacpac);
  if (bacpac_record.empty()) throw CliError(kExitUnreachable, kNoConnection);
  snapshot.bacpac = DecodeBacPacStatus(bacpac_record);
  // The window asks for the camera record after each BacPac record that says the camera is on.
  snapshot.camera_on = snapshot.bacpac.power == CameraPower::kOn;
  if (!snapshot.camera_on) return snapshot;
  const HttpReply camera = Get(BuildCommandUrl(address_, password_, "camera/se", ""),
                               kStatusTimeoutMs);
  CheckReachable(camera, kBacPacTimeout);
  snapshot.camera = DecodeCameraStatus(StatusRecord(camera));
  snapshot.camera_record = snapshot.camera.has_value();
  return snapshot;
}

void CameraLink::SendCommand(const std::string& path, const std::string& parameter) {
  const HttpReply reply =
      Get(BuildCommandUrl(address_, password_, path, parameter), kCommandTimeoutMs);
  CheckReachable(reply, kCommandTimeout);
  if (reply.status != kOk || (!reply.body.empty() && reply.body[0] == kNotDone))
    throw CliError(kExitFailed, kCommandRefused + path);
}

bool CameraLink::WaitFor(const std::function<bool(const CameraSnapshot&)>& done, int timeout_ms,
                         int interval_ms) {
  const std::int64_t end = NowMs() + timeout_ms;
  for (;;) {
    if (done(ReadStatus())) return true;
    const std::int64_t left = end - NowMs();
    if (left <= 0) return false;
    RunUntil([] { return false; }, static_cast<int>(std::min<std::int64_t>(left, interval_ms)));
    ThrowIfInterrupted();
  }
}

}  // namespace kivo
