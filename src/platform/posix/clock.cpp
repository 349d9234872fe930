#include "platform/clock.h"

#include <time.h>

namespace kivo {
namespace {

// Seconds east of UTC and the daylight flag of the local zone at |t|.
bool LocalOffset(time_t t, long* gmtoff, bool* dst) {
  struct tm local{};
  if (localtime_r(&t, &local) == nullptr) return false;
  *gmtoff = local.tm_gmtoff;
  *dst = local.tm_isdst > 0;
  return true;
}

}  // namespace

DateTime SystemClock::Now() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm local{};
  localtime_r(&ts.tv_sec, &local);
  DateTime value = 0;
  TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                    static_cast<int>(ts.tv_nsec / 1000000), &value);
  return value;
}

std::int64_t SystemClock::MonotonicMs() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TimeZoneBias SystemClock::Bias() const {
  TimeZoneBias result;
  const time_t now = time(nullptr);
  long offset_now = 0;
  bool dst_now = false;
  if (!LocalOffset(now, &offset_now, &dst_now)) return result;
  // Find the other season's offset by looking half a year away, so both the standard and the
  // daylight bias are known whichever is in force today.
  long standard = offset_now;
  long daylight = offset_now;
  for (int months : {6, 3, 9}) {
    long other = 0;
    bool other_dst = false;
    if (!LocalOffset(now + static_cast<time_t>(months) * 30 * 86400, &other, &other_dst)) continue;
    if (other_dst == dst_now) continue;
    if (other_dst) {
      daylight = other;
    } else {
      standard = other;
    }
    break;
  }
  if (dst_now) daylight = offset_now;
  result.bias = static_cast<int>(-standard / 60);
  result.standard_bias = 0;
  result.daylight_bias = static_cast<int>(-(daylight - standard) / 60);
  result.daylight_in_force = dst_now;
  return result;
}

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

}  // namespace kivo
