#include "platform/clock.h"

#include <windows.h>

namespace kivo {

DateTime SystemClock::Now() const {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  DateTime value = 0;
  TryEncodeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                    local.wSecond > 59 ? 59 : local.wSecond, local.wMilliseconds, &value);
  return value;
}

std::int64_t SystemClock::MonotonicMs() const {
  // Counts from boot, never goes back, and does not stop for clock changes.
  return static_cast<std::int64_t>(GetTickCount64());
}

TimeZoneBias SystemClock::Bias() const {
  TIME_ZONE_INFORMATION zone{};
  const DWORD which = GetTimeZoneInformation(&zone);
  TimeZoneBias result;
  if (which == TIME_ZONE_ID_INVALID) return result;
  result.bias = static_cast<int>(zone.Bias);
  result.standard_bias = static_cast<int>(zone.StandardBias);
  result.daylight_bias = static_cast<int>(zone.DaylightBias);
  result.daylight_in_force = which == TIME_ZONE_ID_DAYLIGHT;
  return result;
}

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

}  // namespace kivo
