#include "net/super_timer.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace kivo {
namespace {

// No property sets a stop threshold, so it stays here: a count-down timer stops as soon as its
// counter reaches 0, a count-up timer never stops by itself.
constexpr std::int32_t kStopThreshold = -1;

std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TSuperTimer::TSuperTimer(EventLoop& loop) : loop_(loop) {}

TSuperTimer::~TSuperTimer() {
  liveness_->alive = false;  // a tick already queued on the loop will find this and do nothing
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    enabled_ = false;
  }
  if (worker_.joinable()) {
    sleep_->Wake();
    worker_.join();
  }
}

std::int64_t TSuperTimer::Ms(SteadyClock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

std::int64_t TSuperTimer::LiveCounter(SteadyClock::time_point now) const {
  return count_down_ ? base_ + start_ms_ - Ms(now) : Ms(now) + base_ - start_ms_;
}

bool TSuperTimer::Enabled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return enabled_;
}

void TSuperTimer::SetEnabled(bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (enabled_ == enabled) return;
  // Without a period there is nothing to wait for (and nothing to divide the counter by).
  if (enabled && interval_ == 0) return;
  enabled_ = enabled;
  ++epoch_;
  if (!sleep_) sleep_ = std::make_unique<TimerSleep>();
  if (enabled) {
    const auto now = SteadyClock::now();
    base_ = counter_;
    start_ms_ = Ms(now);
    due_ = now + std::chrono::milliseconds(interval_);
    // A tick still with the loop plans the next due time when it is done.
    if (!in_flight_) Arm(due_);
    if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
  } else {
    Arm(SteadyClock::time_point::max());
  }
}

std::uint16_t TSuperTimer::Interval() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return interval_;
}

void TSuperTimer::SetInterval(std::uint16_t interval_ms) {
  if (interval_ms == 0) SetEnabled(false);
  std::lock_guard<std::mutex> lock(mutex_);
  interval_ = interval_ms;
}

bool TSuperTimer::CountDown() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_down_;
}

void TSuperTimer::SetCountDown(bool count_down) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_down_ == count_down) return;
  if (enabled_) {
    base_ = counter_;
    start_ms_ = Ms(SteadyClock::now());
  }
  count_down_ = count_down;
}

TThreadPriority TSuperTimer::ThreadPriority() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return priority_;
}

void TSuperTimer::SetThreadPriority(TThreadPriority priority) {
  std::lock_guard<std::mutex> lock(mutex_);
  priority_ = priority;
  priority_changed_ = true;
  if (worker_.joinable()) sleep_->Wake();  // a worker not started yet applies it first thing
}

std::int32_t TSuperTimer::Counter() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counter_;
}

void TSuperTimer::Arm(SteadyClock::time_point deadline) {
  if (deadline == armed_) return;
  armed_ = deadline;
  sleep_->SetDeadline(deadline);
}

void TSuperTimer::Run() {
  PrepareTimerThread("kivo-timer");
  const std::shared_ptr<Liveness> liveness = liveness_;
  TimerSleep& sleep = *sleep_;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    if (priority_changed_) {
      priority_changed_ = false;
      const TThreadPriority priority = priority_;
      lock.unlock();
      ApplyThreadPriority(priority);
      lock.lock();
      continue;
    }
    // Disabled, not due yet, or due while the loop still runs the previous tick (a long
    // handler): sleep. The kernel timer is already where it must be (disarmed, at the due time,
    // or disarmed until the tick's completion plans the next one), so whatever the loop changes
    // meanwhile reaches this sleep without a lost wake-up. Every return is looked at afresh.
    const bool due = enabled_ && SteadyClock::now() >= due_;
    if (!due || in_flight_) {
      if (due) Arm(SteadyClock::time_point::max());
      lock.unlock();
      sleep.Wait();
      lock.lock();
      continue;
    }
    const std::uint64_t epoch = epoch_;
    counter_ = Clamp32(LiveCounter(SteadyClock::now()));
    in_flight_ = true;
    tick_due_ = due_;
    // Until the loop has run the tick, plan on a handler that returns within the period: the
    // worker then sleeps straight to the next due time and the loop need not wake it.
    due_ = due_ + std::chrono::milliseconds(interval_);
    Arm(due_);
    lock.unlock();
    loop_.Post([this, liveness, epoch] {
      if (!liveness->alive) return;  // the timer is gone; so is everything below
      Tick(liveness, epoch);
      if (liveness->alive) FinishTick(epoch);
    });
    lock.lock();
  }
}

void TSuperTimer::FinishTick(std::uint64_t epoch) {
  std::lock_guard<std::mutex> lock(mutex_);
  in_flight_ = false;
  if (!enabled_) return;
  // Unless the handler disabled or restarted the timer, the next period follows this one. A
  // handler that overran the period delays the next tick instead of queueing one; a new
  // Interval set by the handler is the next period.
  if (epoch_ == epoch) {
    const auto period = std::chrono::milliseconds(interval_);
    const auto after = SteadyClock::now();
    due_ = tick_due_ + period > after ? tick_due_ + period : after + period;
  }
  Arm(due_);
}

void TSuperTimer::Tick(const std::shared_ptr<Liveness>& liveness, std::uint64_t epoch) {
  {
    // Disabled (or disabled and enabled again) after the worker decided to tick: this tick
    // belongs to a period that no longer exists.
    std::lock_guard<std::mutex> lock(mutex_);
    if (!enabled_ || epoch_ != epoch) return;
  }
  EventLoop& loop = loop_;  // still needed if a handler destroys this timer
  std::exception_ptr failure;
  if (OnTimer) {
    const TNotifyEvent handler = OnTimer;  // the handler may replace OnTimer or destroy us
    try {
      handler(*this);
    } catch (...) {
      failure = std::current_exception();
    }
    if (!liveness->alive) {
      if (failure) loop.Post([failure] { std::rethrow_exception(failure); });
      return;
    }
  }
  bool stop = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The handler stopped or restarted the timer itself: nothing more to decide.
    if (enabled_ && epoch_ == epoch) {
      const std::int32_t ticks = counter_ / interval_;
      stop = count_down_ ? !(kStopThreshold < ticks && counter_ > 0)
                         : !(ticks < kStopThreshold || kStopThreshold <= 0);
    }
  }
  if (stop) {
    SetEnabled(false);
    if (OnStop) {
      const TNotifyEvent handler = OnStop;
      try {
        handler(*this);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
  }
  // A handler's exception goes to the loop's own error handling; raising it here would leave
  // the worker waiting for a hand-over that never completes.
  if (failure) loop.Post([failure] { std::rethrow_exception(failure); });
}

}  // namespace kivo
