#include "cli/cli_run.h"

#include <algorithm>
#include <chrono>

#include "platform/console.h"

namespace kivo {
namespace {

// The longest the loop runs without a look at the interrupt flag.
constexpr std::int64_t kSliceMs = 100;

}  // namespace

std::int64_t CliRun::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

CliRun::UntilAwait CliRun::Until(std::function<bool()> done, int timeout_ms, bool interruptible) {
  return UntilAwait{*this, std::move(done), timeout_ms < 0 ? -1 : NowMs() + timeout_ms,
                    interruptible};
}

CliRun::TogetherAwait CliRun::Together() { return TogetherAwait{*this}; }

bool CliRun::UntilAwait::await_ready() {
  if (done()) {
    result = true;
    return true;
  }
  return (interruptible && run.interrupted_) || (deadline_ms >= 0 && NowMs() >= deadline_ms);
}

void CliRun::UntilAwait::await_suspend(std::coroutine_handle<> waiting) {
  run.waits_.push_back({this, waiting});
}

bool CliRun::SomethingReady(std::size_t running) const {
  if (!gathered_.empty() && gathered_.size() >= running) return true;
  const std::int64_t now = NowMs();
  return std::any_of(waits_.begin(), waits_.end(), [now](const Wait& w) {
    return w.await->done() || (w.await->deadline_ms >= 0 && now >= w.await->deadline_ms);
  });
}

void CliRun::ResumeReady(std::size_t running) {
  const std::int64_t now = NowMs();
  std::vector<std::coroutine_handle<>> go;
  for (auto it = waits_.begin(); it != waits_.end();) {
    if (it->await->done()) {
      it->await->result = true;
    } else if (it->await->deadline_ms < 0 || now < it->await->deadline_ms) {
      ++it;
      continue;
    }
    go.push_back(it->handle);
    it = waits_.erase(it);
  }
  if (!gathered_.empty() && gathered_.size() >= running) {
    go.insert(go.end(), gathered_.begin(), gathered_.end());
    gathered_.clear();
  }
  for (std::coroutine_handle<> h : go) h.resume();
}

void CliRun::Interrupt() {
  interrupted_ = true;
  std::vector<std::coroutine_handle<>> go;
  for (auto it = waits_.begin(); it != waits_.end();) {
    if (!it->await->interruptible) {
      ++it;
      continue;
    }
    go.push_back(it->handle);
    it = waits_.erase(it);
  }
  go.insert(go.end(), gathered_.begin(), gathered_.end());
  gathered_.clear();
  for (std::coroutine_handle<> h : go) h.resume();
}

void CliRun::RunAll(std::vector<Task<int>>& tasks, const std::function<void()>& on_interrupt) {
  tasks_ = tasks.size();
  for (Task<int>& t : tasks) t.Start();
  auto running = [&] {
    return static_cast<std::size_t>(
        std::count_if(tasks.begin(), tasks.end(), [](const Task<int>& t) { return !t.Done(); }));
  };
  for (std::size_t left = running(); left > 0; left = running()) {
    if (!interrupted_ && InterruptExitCode()) {
      if (on_interrupt) on_interrupt();
      Interrupt();
      continue;
    }
    if (!SomethingReady(left)) {
      std::int64_t wait = kSliceMs;
      for (const Wait& w : waits_)
        if (w.await->deadline_ms >= 0) wait = std::min(wait, w.await->deadline_ms - NowMs());
      const bool interrupt_seen = interrupted_;
      loop_.RunUntil(
          [&] { return SomethingReady(left) || (!interrupt_seen && InterruptExitCode()); },
          static_cast<int>(std::max<std::int64_t>(wait, 0)));
    }
    ResumeReady(left);
  }
}

}  // namespace kivo
