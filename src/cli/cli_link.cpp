#include "cli/cli_link.h"

#include <chrono>

#include "cli/cli_args.h"
#include "platform/console.h"

namespace kivo {
namespace {

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

CliLink::CliLink(CliRun& run, LinkOptions options)
    : run_(run), link_(run.Loop(), std::move(options)) {}

Task<void> CliLink::Await(const bool* done) {
  // The link times its own requests out; this only waits for the completion or an interrupt.
  const bool came = co_await run_.Until([done] { return *done; }, -1);
  if (!came) {
    link_.Cancel();
    ThrowIfInterrupted();
  }
}

Task<HttpReply> CliLink::Get(std::string url, int timeout_ms, bool head) {
  ThrowIfInterrupted();
  HttpReply reply;
  bool done = false;
  link_.Get(url, timeout_ms, head, [&](const HttpReply& r) {
    reply = r;
    done = true;
  });
  co_await Await(&done);
  co_return reply;
}

Task<CameraSnapshot> CliLink::ReadStatus() {
  ThrowIfInterrupted();
  CameraSnapshot snapshot;
  LinkError error;
  bool done = false;
  link_.ReadStatus([&](const LinkError& e, const CameraSnapshot& s) {
    error = e;
    snapshot = s;
    done = true;
  });
  co_await Await(&done);
  if (!error.ok()) ThrowLinkError(error);
  co_return snapshot;
}

Task<void> CliLink::SendCommand(std::string path, std::string parameter) {
  co_await run_.Together();
  ThrowIfInterrupted();
  LinkError error;
  bool done = false;
  link_.SendCommand(path, parameter, [&](const LinkError& e) {
    error = e;
    done = true;
  });
  co_await Await(&done);
  if (!error.ok()) ThrowLinkError(error);
}

Task<std::string> CliLink::ReadClock() {
  ThrowIfInterrupted();
  LinkError error;
  std::string date_line;
  bool done = false;
  link_.ReadClock([&](const LinkError& e, const std::string& line) {
    error = e;
    date_line = line;
    done = true;
  });
  co_await Await(&done);
  if (!error.ok()) ThrowLinkError(error);
  co_return date_line;
}

Task<std::optional<CardListing>> CliLink::ReadListing(int timeout_ms) {
  ThrowIfInterrupted();
  std::optional<CardListing> listing;
  link_.ReadListing([&](const CardListing& l) { listing = l; });
  const bool came = co_await run_.Until([&] { return listing.has_value(); }, timeout_ms);
  if (!came) {
    link_.Cancel();
    ThrowIfInterrupted();
  }
  co_return listing;
}

Task<bool> CliLink::WaitFor(std::function<bool(const CameraSnapshot&)> done, int timeout_ms,
                            int interval_ms) {
  const std::int64_t end = NowMs() + timeout_ms;
  for (;;) {
    const CameraSnapshot now = co_await ReadStatus();
    if (done(now)) co_return true;
    const std::int64_t left = end - NowMs();
    if (left <= 0) co_return false;
    co_await run_.Pause(static_cast<int>(std::min<std::int64_t>(left, interval_ms)));
    ThrowIfInterrupted();
  }
}

}  // namespace kivo
