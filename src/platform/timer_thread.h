// The operating system's side of a timer's worker thread: its scheduling priority, a precise
// wake-up, a name for debuggers, and the sleep itself. The functions act on the calling thread;
// all are best effort and silently keep the defaults where the system refuses (an ordinary user
// cannot raise priority).
#pragma once

#include <chrono>
#include <cstdint>

namespace kivo {

// The priority levels a timer thread can ask for, lowest first.
enum class ThreadPriorityLevel {
  kIdle,
  kLowest,
  kLower,
  kNormal,
  kHigher,
  kHighest,
  kTimeCritical,
};

// Names the thread and asks the scheduler for wake-ups without added slack.
void PrepareTimerThread(const char* name);

// Applies |level| to the calling thread.
void ApplyThreadPriority(ThreadPriorityLevel level);

// A worker's sleep until a deadline on the monotonic clock. The deadline lives in a kernel timer
// (timerfd on Linux, a waitable timer on Windows), so another thread moves or cancels it with
// one system call and the sleeper is not woken for it: a time-out armed and disarmed before it
// is due costs its worker nothing. Wait() belongs to one thread; the rest may be called from
// any thread.
class TimerSleep {
 public:
  using Clock = std::chrono::steady_clock;

  TimerSleep();
  ~TimerSleep();
  TimerSleep(const TimerSleep&) = delete;
  TimerSleep& operator=(const TimerSleep&) = delete;

  // The sleep ends at |deadline| (at once if it has passed); Clock::time_point::max() cancels it.
  void SetDeadline(Clock::time_point deadline);
  // Ends the present or the next Wait() now, whatever the deadline.
  void Wake();
  // Blocks until the deadline passes or Wake() is called; may also return early, so the caller
  // looks at its state afresh after every return. A deadline that has fired is spent.
  void Wait();

 private:
  std::intptr_t timer_;  // the kernel timer (a descriptor or a handle)
  std::intptr_t wake_;   // the wake-up signal (likewise)
};

}  // namespace kivo
