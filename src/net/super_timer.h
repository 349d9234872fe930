// TSuperTimer: the program's timer — periodic (counting up) or one-shot (counting down). A worker
// thread of its own sleeps until the tick is due, then hands the tick to the event loop's thread;
// the next tick waits until that one has been handled, so OnTimer and OnStop always run on the
// loop thread, never two at once, and ticks never queue up.
// The worker starts at the first enabling (a timer never enabled costs no thread). It sleeps on a
// kernel timer that the loop thread moves itself when it enables or disables the timer, so
// neither wakes the worker: a disabled timer's worker sleeps without waking, and a time-out
// disabled before it is due costs no wake-up at all. A tick costs one wake-up of the worker
// (when it is due) and one of the loop (the hand-over).
// Use the timer (properties, destruction) only on the loop thread; the loop must outlive it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/event_loop.h"
#include "platform/timer_thread.h"

namespace kivo {

using TThreadPriority = ThreadPriorityLevel;

class TSuperTimer {
 public:
  using TNotifyEvent = std::function<void(TSuperTimer&)>;

  explicit TSuperTimer(EventLoop& loop);
  // Stops the worker. Safe while a tick is waiting for the loop, and from inside the timer's own
  // handler; no handler runs after this returns.
  ~TSuperTimer();
  TSuperTimer(const TSuperTimer&) = delete;
  TSuperTimer& operator=(const TSuperTimer&) = delete;

  // Fired on every tick.
  TNotifyEvent OnTimer;
  // Fired when a count-down timer stops itself (after it has disabled itself).
  TNotifyEvent OnStop;

  bool Enabled() const;
  // Enabling starts a period from now and continues the counter from where it stood; setting
  // the value the timer already has does nothing. A timer whose Interval is 0 stays disabled.
  void SetEnabled(bool enabled);

  std::uint16_t Interval() const;
  // Milliseconds. 0 disables the timer. A new value applies from the next due time computed:
  // set inside a handler it is the next period; set while a period runs, the one after.
  void SetInterval(std::uint16_t interval_ms);

  bool CountDown() const;
  // While running, the counter continues from its present value in the new direction.
  void SetCountDown(bool count_down);

  TThreadPriority ThreadPriority() const;
  // Applied to the worker thread at once, best effort.
  void SetThreadPriority(TThreadPriority priority);

  // Milliseconds counted since enabling (added to, or in count-down mode taken from, the value
  // it had then), as of the latest tick.
  std::int32_t Counter() const;

 private:
  using SteadyClock = std::chrono::steady_clock;
  struct Liveness {
    std::atomic<bool> alive{true};
  };

  void Run();                               // worker thread
  void Tick(const std::shared_ptr<Liveness>& liveness, std::uint64_t epoch);  // loop thread
  // The loop is done with the tick in flight (run or dropped): plans the next one.
  void FinishTick(std::uint64_t epoch);     // loop thread
  // Points the worker's sleep at |deadline| (max: until told), unless it already is. mutex_ held.
  void Arm(SteadyClock::time_point deadline);
  std::int64_t LiveCounter(SteadyClock::time_point now) const;  // mutex_ held
  static std::int64_t Ms(SteadyClock::time_point t);

  EventLoop& loop_;
  std::shared_ptr<Liveness> liveness_ = std::make_shared<Liveness>();
  std::atomic<bool> quit_{false};

  mutable std::mutex mutex_;
  // Guarded by mutex_.
  bool enabled_ = false;
  std::uint16_t interval_ = 1000;
  bool count_down_ = false;
  TThreadPriority priority_ = TThreadPriority::kHigher;
  bool priority_changed_ = true;  // the worker applies it at start
  std::int32_t counter_ = 0;
  std::int64_t base_ = 0;         // counter at the last enabling or direction change
  std::int64_t start_ms_ = 0;     // clock reading then
  SteadyClock::time_point due_{};
  SteadyClock::time_point tick_due_{};  // due time of the tick in flight
  std::uint64_t epoch_ = 0;       // bumped by every enabling and disabling
  bool in_flight_ = false;        // a tick was handed to the loop and is not done yet
  // Where the worker's sleep ends (max: it sleeps until told).
  SteadyClock::time_point armed_ = SteadyClock::time_point::max();

  std::unique_ptr<TimerSleep> sleep_;  // made with the worker, before it starts
  std::thread worker_;  // started at the first enabling (loop thread only)
};

}  // namespace kivo
