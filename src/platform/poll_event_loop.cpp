// The parts of PollEventLoop that are the same on every system: running in rounds until Quit,
// until a condition holds, or for a while. The rounds themselves (RunOnce) and the wake-up are
// the system's (posix/, win32/).
#include "platform/poll_event_loop.h"

#include <algorithm>
#include <chrono>

namespace kivo {

int PollEventLoop::Run() {
  // Rounds rather than a bare wait for the next message: what stays ready is looked at again in
  // the next round, after everything else (painting, timers) has had its turn.
  quit_ = false;
  while (!quit_) RunOnce(-1);
  return quit_code_;
}

void PollEventLoop::Quit(int code) {
  quit_code_ = code;
  if (IsLoopThread()) {
    quit_ = true;
    Wake();  // a round waiting for the system returns and sees quit_
  } else {
    Post([this] { quit_ = true; });
  }
}

bool PollEventLoop::IsLoopThread() const { return std::this_thread::get_id() == owner_; }

bool PollEventLoop::RunUntil(const std::function<bool()>& done, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return false;
    RunOnce(static_cast<int>(std::min<long long>(left, 50)));
  }
  return true;
}

void PollEventLoop::RunFor(int ms) {
  RunUntil([] { return false; }, ms);
}

}  // namespace kivo
