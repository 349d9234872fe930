#include "camera_clock.h"

#include <cstdio>
#include <ctime>

namespace kivo::camsim {
namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Days since 1970-01-01 of a proleptic Gregorian date (the well-known era-based algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string Format(const char* format, auto... args) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

}  // namespace

int64_t ToNaiveSeconds(const CivilTime& t) {
  return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
             86400 +
         t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromNaiveSeconds(int64_t seconds) {
  CivilTime t;
  const int64_t days = FloorDiv(seconds, 86400);
  const int64_t rest = seconds - days * 86400;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

bool IsValid(const CivilTime& t) {
  return t.year >= 1970 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour < 24 && t.minute >= 0 &&
         t.minute < 60 && t.second >= 0 && t.second < 60;
}

std::optional<CivilTime> ParseCivilTime(const std::string& text) {
  CivilTime t;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d%*1[-.:/]%2d%*1[-.:/]%2d%*1[ T]%2d%*1[:.-]%2d%*1[:.-]%2d%c",
                  &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second, &tail) != 6) {
    return std::nullopt;
  }
  if (!IsValid(t)) return std::nullopt;
  return t;
}

std::string FormatRfc1123(const CivilTime& t) {
  const int64_t days = DaysFromCivil(t.year, t.month, t.day);
  const int weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return Format("%s, %02d %s %04d %02d:%02d:%02d GMT", kDayNames[weekday], t.day,
                kMonthNames[t.month - 1], t.year, t.hour, t.minute, t.second);
}

std::string FormatListingDate(const CivilTime& t) {
  return Format("%02d-%s-%04d %02d:%02d", t.day, kMonthNames[t.month - 1], t.year, t.hour,
                t.minute);
}

std::string FormatExifDate(const CivilTime& t) {
  return Format("%04d:%02d:%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
}

std::string FormatIsoDate(const CivilTime& t) {
  return Format("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
}

CivilTime HostLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

int64_t HostLocalNaiveMs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  return (static_cast<int64_t>(now.tv_sec) + local.tm_gmtoff) * 1000 + now.tv_nsec / 1000000;
}

CameraClock::CameraClock(std::function<int64_t()> monotonic_ms)
    : monotonic_ms_(std::move(monotonic_ms)) {
  SetFromHost(0);
}

void CameraClock::SetFromHost(int64_t offset_ms) {
  base_naive_ms_ = HostLocalNaiveMs() + offset_ms;
  base_monotonic_ms_ = monotonic_ms_();
}

void CameraClock::Set(const CivilTime& t) {
  base_naive_ms_ = ToNaiveSeconds(t) * 1000;
  base_monotonic_ms_ = monotonic_ms_();
}

int64_t CameraClock::NowNaiveSeconds() const {
  return FloorDiv(base_naive_ms_ + (monotonic_ms_() - base_monotonic_ms_), 1000);
}

CivilTime CameraClock::Now() const { return FromNaiveSeconds(NowNaiveSeconds()); }

}  // namespace kivo::camsim
