#include "camera/clock_text.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace kivo {
namespace {

constexpr std::array<const char*, 12> kMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr char kUnknownMonth[] = "00";
constexpr std::array<int, 12> kDaysBeforeMonth{0,   31,  59,  90,  120, 151,
                                               181, 212, 243, 273, 304, 334};
// With (y + 100) / 4 leap days added, 365 * y + 36501 days lead from 1899-12-30 to the day
// before 1 January of 2000 + y (before the leap-year January/February correction).
constexpr int kDaysTo2000 = 36500 + 1;
constexpr double kSecondsPerDay = 86400.0;
// 0-based start of the six two-character fields of a clock text.
constexpr std::array<std::size_t, 6> kFieldStarts{0, 3, 6, 9, 12, 15};

// Substring by 1-based position and count that never reads past the end.
std::string_view Copy(std::string_view s, std::size_t position, std::size_t count) {
  if (position == 0 || position > s.size()) return {};
  return s.substr(position - 1, count);
}

std::string_view Field(std::string_view text, std::size_t index) {
  return Copy(text, kFieldStarts[index] + 1, 2);
}

// Leading blanks, then at least one digit and nothing else.
bool ParseDecimal(std::string_view field, int& value) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  if (field.empty()) return false;
  value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

int FieldOrZero(std::string_view text, std::size_t index) {
  int value = 0;
  return ParseDecimal(Field(text, index), value) ? value : 0;
}

std::string MonthNumber(std::string_view name) {
  for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
    if (name == kMonthNames[i]) {
      char text[4];
      std::snprintf(text, sizeof text, "%02zu", i + 1);
      return text;
    }
  }
  return kUnknownMonth;
}

}  // namespace

double ClockTextToDateTime(std::string_view text) {
  if (text.find(':') == std::string_view::npos) return 0;
  const int y = FieldOrZero(text, 0);
  const int m = FieldOrZero(text, 1);
  const int d = FieldOrZero(text, 2);
  const int h = FieldOrZero(text, 3);
  const int n = FieldOrZero(text, 4);
  const int s = FieldOrZero(text, 5);
  const bool month_known = m >= 1 && m <= 12;
  int days = 365 * y + kDaysTo2000 + (y + 100) / 4 + d;
  if (month_known) days += kDaysBeforeMonth[m - 1];
  if ((2000 + y) % 4 == 0 && (m == 1 || m == 2)) --days;
  return days + (3600.0 * h + 60.0 * n + s) / kSecondsPerDay;
}

std::string DateHeaderToClockText(std::string_view header_line) {
  // The text after "Date: ", e.g. "Sun, 01 Mar 2015 12:00:00 ".
  const std::string_view date = Copy(header_line, 7, 26);
  std::string text;
  text += Copy(date, 15, 2);
  text += '.';
  text += MonthNumber(Copy(date, 9, 3));
  text += '.';
  text += Copy(date, 6, 2);
  text += ' ';
  text += Copy(date, 18, 8);
  return text;
}

std::string ClockTextToTmParameter(std::string_view text) {
  std::string parameter;
  for (std::size_t i = 0; i < kFieldStarts.size(); ++i) {
    const std::string_view field = Field(text, i);
    int value = 0;
    if (!ParseDecimal(field, value))
      throw std::invalid_argument("'" + std::string(field) + "' is not a valid integer value");
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02x", value);
    if (i > 0) parameter += '%';
    parameter += hex;
  }
  return parameter;
}

std::string FormatClockText(double date_time) {
  using namespace std::chrono;
  const long long ms_total = std::llround(date_time * kSecondsPerDay * 1000.0);
  const long long day_ms = static_cast<long long>(kSecondsPerDay) * 1000;
  long long day = ms_total / day_ms;
  long long ms = ms_total % day_ms;
  if (ms < 0) {
    ms += day_ms;
    --day;
  }
  const year_month_day ymd{sys_days{year{1899} / December / 30} + days{day}};
  const long long seconds = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02u.%02u %02lld:%02lld:%02lld",
                ((static_cast<int>(ymd.year()) % 100) + 100) % 100,
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string ListingDateToName(std::string_view listing_date) {
  std::string name;
  name += Copy(listing_date, 8, 4);
  name += '-';
  name += MonthNumber(Copy(listing_date, 4, 3));
  name += '-';
  name += Copy(listing_date, 1, 2);
  name += '-';
  name += Copy(listing_date, 13, 2);
  name += Copy(listing_date, 16, 2);
  return name;
}

}  // namespace kivo
