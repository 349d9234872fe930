// CliRun: the loop kivo-cli's command tasks run on, and what a task may wait for besides the
// camera: a condition (with a time limit), a pause, and the moment every camera of a rig has its
// command ready, so that the commands leave in one pass. The user's interrupt ends every wait
// under way at once, one time; the tasks then see InterruptExitCode() and wind down. Loop thread
// only (the program's only thread).
#pragma once

#include <coroutine>
#include <cstdint>
#include <functional>
#include <vector>

#include "cli/cli_task.h"
#include "platform/poll_event_loop.h"

namespace kivo {

class CliRun {
 public:
  explicit CliRun(PollEventLoop& loop) : loop_(loop) {}
  CliRun(const CliRun&) = delete;
  CliRun& operator=(const CliRun&) = delete;

  PollEventLoop& Loop() { return loop_; }
  // The interrupt has come and ended the waits that were under way.
  bool Interrupted() const { return interrupted_; }

  // Starts every task and runs the loop until all have finished; their values (or what they
  // threw) are then in the tasks. |on_interrupt| runs once when the user interrupts, before the
  // waits under way end (the links drop their requests there).
  void RunAll(std::vector<Task<int>>& tasks, const std::function<void()>& on_interrupt = nullptr);

  // co_await Until(done, ms): true once |done()| holds, false when |timeout_ms| passed first
  // (-1: no limit) or, for an |interruptible| wait, when the user interrupted (at once if that
  // has already happened).
  struct UntilAwait;
  UntilAwait Until(std::function<bool()> done, int timeout_ms, bool interruptible = true);
  // co_await Pause(ms): ends after |ms|, or early on an interrupt.
  UntilAwait Pause(int ms) { return Until([] { return false; }, ms); }
  // co_await Together(): with several cameras, waits until every camera still at work waits
  // here too, then all go on in one pass; with one camera, goes on at once.
  struct TogetherAwait;
  TogetherAwait Together();

  struct UntilAwait {
    CliRun& run;
    std::function<bool()> done;
    std::int64_t deadline_ms;  // -1: none
    bool interruptible;
    bool result = false;
    bool await_ready();
    void await_suspend(std::coroutine_handle<> waiting);
    bool await_resume() const { return result; }
  };
  struct TogetherAwait {
    CliRun& run;
    bool await_ready() const { return run.tasks_ <= 1 || run.interrupted_; }
    void await_suspend(std::coroutine_handle<> waiting) { run.gathered_.push_back(waiting); }
    void await_resume() const {}
  };

 private:
  struct Wait {
    UntilAwait* await;
    std::coroutine_handle<> handle;
  };

  // Whether a wait can end or the gathering is complete.
  bool SomethingReady(std::size_t running) const;
  // Resumes what can go on; the gathered tasks in one pass.
  void ResumeReady(std::size_t running);
  void Interrupt();
  static std::int64_t NowMs();

  PollEventLoop& loop_;
  std::vector<Wait> waits_;
  std::vector<std::coroutine_handle<>> gathered_;
  std::size_t tasks_ = 0;
  bool interrupted_ = false;
};

}  // namespace kivo
