#include "platform/date_time.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace kivo {
namespace {

// 1899-12-30, the day whose value is 0, counted from 1970-01-01.
constexpr std::int64_t kEpochOffsetDays = 25569;
constexpr std::int64_t kMsPerDay = 86400000;

constexpr std::array<std::string_view, 12> kShortMonths = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed",
                                                        "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kLongDays = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// Days since 1970-01-01 of a proleptic Gregorian date (valid for any year).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

std::string Padded(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       int millisecond, DateTime* out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || millisecond < 0 || millisecond > 999) {
    return false;
  }
  const double date = static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
      kEpochOffsetDays);
  const double time =
      static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) /
      static_cast<double>(kMsPerDay);
  // Before the epoch the time of day is stored as a magnitude: -1.25 is 29 Dec 1899, 06:00.
  *out = date < 0 ? date - time : date + time;
  return true;
}

DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                        int millisecond) {
  DateTime value = 0;
  if (!TryEncodeDateTime(year, month, day, hour, minute, second, millisecond, &value)) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "invalid date or time %04d-%02d-%02d %02d:%02d:%02d.%03d",
                  year, month, day, hour, minute, second, millisecond);
    throw std::invalid_argument(buf);
  }
  return value;
}

DateTimeParts DecodeDateTime(DateTime value) {
  DateTimeParts parts;
  if (!std::isfinite(value)) return parts;
  double whole_part = std::trunc(value);
  std::int64_t whole = static_cast<std::int64_t>(whole_part);
  std::int64_t ms = std::llround(std::fabs(value - whole_part) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {  // rounded up to midnight: that is the next calendar day
    ms -= kMsPerDay;
    whole += 1;
  }
  CivilFromDays(whole - kEpochOffsetDays, &parts.year, &parts.month, &parts.day);
  parts.millisecond = static_cast<int>(ms % 1000);
  parts.second = static_cast<int>(ms / 1000 % 60);
  parts.minute = static_cast<int>(ms / 60000 % 60);
  parts.hour = static_cast<int>(ms / 3600000);
  parts.day_of_week = static_cast<int>(((whole - 1) % 7 + 7) % 7) + 1;
  return parts;
}

std::string_view ShortMonthName(int month) {
  return month >= 1 && month <= 12 ? kShortMonths[month - 1] : std::string_view();
}
std::string_view LongMonthName(int month) {
  return month >= 1 && month <= 12 ? kLongMonths[month - 1] : std::string_view();
}
std::string_view ShortDayName(int day_of_week) {
  return day_of_week >= 1 && day_of_week <= 7 ? kShortDays[day_of_week - 1] : std::string_view();
}
std::string_view LongDayName(int day_of_week) {
  return day_of_week >= 1 && day_of_week <= 7 ? kLongDays[day_of_week - 1] : std::string_view();
}

std::string FormatDateTime(std::string_view picture, DateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  std::string out;
  bool after_hour = false;  // "m" right after an hour field is minutes
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '"' || c == '\'') {
      size_t end = picture.find(c, i + 1);
      if (end == std::string_view::npos) end = picture.size();
      out.append(picture.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    size_t run = 1;
    while (i + run < picture.size()) {
      char next = picture[i + run];
      if (next >= 'A' && next <= 'Z') next = static_cast<char>(next + ('a' - 'A'));
      if (next != lower) break;
      ++run;
    }
    switch (lower) {
      case 'y':
        out += run <= 2 ? Padded(p.year % 100, 2) : Padded(p.year, 4);
        after_hour = false;
        break;
      case 'm':
        if (after_hour && run <= 2) {
          out += Padded(p.minute, static_cast<int>(run));
        } else if (run <= 2) {
          out += Padded(p.month, static_cast<int>(run));
        } else {
          out += run == 3 ? ShortMonthName(p.month) : LongMonthName(p.month);
        }
        after_hour = false;
        break;
      case 'd':
        if (run <= 2) {
          out += Padded(p.day, static_cast<int>(run));
        } else {
          out += run == 3 ? ShortDayName(p.day_of_week) : LongDayName(p.day_of_week);
        }
        after_hour = false;
        break;
      case 'h':
        out += Padded(p.hour, run >= 2 ? 2 : 1);
        after_hour = true;
        break;
      case 'n':
        out += Padded(p.minute, run >= 2 ? 2 : 1);
        after_hour = false;
        break;
      case 's':
        out += Padded(p.second, run >= 2 ? 2 : 1);
        after_hour = false;
        break;
      case 'z':
        out += Padded(p.millisecond, run >= 3 ? 3 : 1);
        after_hour = false;
        break;
      default:
        // Separators and any other character are copied; they keep an hour's "m" meaning minutes.
        out.append(picture.substr(i, run));
        break;
    }
    i += run;
  }
  return out;
}

}  // namespace kivo
