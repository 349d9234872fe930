// The computer's clock as the program reads it: local date-time "now", a monotonic millisecond
// counter and the time-zone bias. Injected wherever time matters so tests can fix "now".
// SystemClock is stateless and thread-safe; FakeClock is thread-safe too (tests set it).
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/date_time.h"

namespace kivo {

// The zone's offset the way Windows reports it: UTC = local time + bias (minutes west of UTC,
// so Central Europe in winter is -60). |bias| is the standard-time bias; |standard_bias| and
// |daylight_bias| are added to it in the respective season.
struct TimeZoneBias {
  int bias = 0;
  int standard_bias = 0;
  int daylight_bias = 0;
  bool daylight_in_force = false;

  // The bias in force now: bias plus the daylight or standard addition.
  int CurrentMinutes() const { return bias + (daylight_in_force ? daylight_bias : standard_bias); }
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock time.
  virtual DateTime Now() const = 0;
  // Milliseconds from an arbitrary start; never goes backwards, unaffected by clock changes.
  virtual std::int64_t MonotonicMs() const = 0;
  virtual TimeZoneBias Bias() const = 0;
};

// The operating system's clocks.
class SystemClock final : public Clock {
 public:
  DateTime Now() const override;
  std::int64_t MonotonicMs() const override;
  TimeZoneBias Bias() const override;

  // A shared instance for code that is not handed a clock.
  static SystemClock& Instance();
};

// A clock that only moves when told to.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(DateTime now = 0, std::int64_t monotonic_ms = 0)
      : now_(now), ms_(monotonic_ms) {}

  DateTime Now() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
  }
  std::int64_t MonotonicMs() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return ms_;
  }
  TimeZoneBias Bias() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return bias_;
  }

  void SetNow(DateTime now) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ = now;
  }
  void SetBias(const TimeZoneBias& bias) {
    std::lock_guard<std::mutex> lock(mutex_);
    bias_ = bias;
  }
  // Moves both the wall clock and the monotonic counter forward.
  void AdvanceMs(std::int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    ms_ += ms;
    now_ += static_cast<double>(ms) * kOneMillisecond;
  }

 private:
  mutable std::mutex mutex_;
  DateTime now_;
  std::int64_t ms_;
  TimeZoneBias bias_;
};

}  // namespace kivo
