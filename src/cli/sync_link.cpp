#include "cli/sync_link.h"

#include <algorithm>
#include <chrono>

#include "cli/cli_args.h"
#include "platform/console.h"

namespace kivo {
namespace {

// The loop is woken this often while waiting, so an interrupt is noticed at once.
constexpr int kSliceMs = 100;

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void ThrowIfInterrupted() {
  if (const int code = InterruptExitCode()) throw CliError(code, "Interrupted");
}

void ThrowLinkError(const LinkError& error) {
  switch (error.failure) {
    case LinkFailure::kUnreachable:
      throw CliError(kExitUnreachable, error.text);
    case LinkFailure::kWrongPassword:
      throw CliError(kExitWrongPassword, error.text);
    case LinkFailure::kNone:
    case LinkFailure::kFailed:
      break;
  }
  throw CliError(kExitFailed, error.text);
}

SyncLink::SyncLink(PollEventLoop& loop, LinkOptions options)
    : loop_(loop), link_(loop, std::move(options)) {}

bool SyncLink::RunUntil(const std::function<bool()>& done, int timeout_ms) {
  const std::int64_t end = NowMs() + timeout_ms;
  while (!done()) {
    if (InterruptExitCode()) return false;
    const std::int64_t left = end - NowMs();
    if (left <= 0) return false;
    loop_.RunUntil(done, static_cast<int>(std::min<std::int64_t>(left, kSliceMs)));
  }
  return true;
}

void SyncLink::Await(const bool* done) {
  // The link times its own requests out; this only waits for the completion or an interrupt.
  while (!*done) {
    if (InterruptExitCode()) {
      link_.Cancel();
      ThrowIfInterrupted();
    }
    loop_.RunUntil([done] { return *done; }, kSliceMs);
  }
}

HttpReply SyncLink::Get(const std::string& url, int timeout_ms, bool head) {
  HttpReply reply;
  bool done = false;
  link_.Get(url, timeout_ms, head, [&](const HttpReply& r) {
    reply = r;
    done = true;
  });
  Await(&done);
  return reply;
}

CameraSnapshot SyncLink::ReadStatus() {
  CameraSnapshot snapshot;
  LinkError error;
  bool done = false;
  link_.ReadStatus([&](const LinkError& e, const CameraSnapshot& s) {
    error = e;
    snapshot = s;
    done = true;
  });
  Await(&done);
  if (!error.ok()) ThrowLinkError(error);
  return snapshot;
}

void SyncLink::SendCommand(const std::string& path, const std::string& parameter) {
  LinkError error;
  bool done = false;
  link_.SendCommand(path, parameter, [&](const LinkError& e) {
    error = e;
    done = true;
  });
  Await(&done);
  if (!error.ok()) ThrowLinkError(error);
}

std::string SyncLink::ReadClock() {
  LinkError error;
  std::string date_line;
  bool done = false;
  link_.ReadClock([&](const LinkError& e, const std::string& line) {
    error = e;
    date_line = line;
    done = true;
  });
  Await(&done);
  if (!error.ok()) ThrowLinkError(error);
  return date_line;
}

bool SyncLink::WaitFor(const std::function<bool(const CameraSnapshot&)>& done, int timeout_ms,
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
