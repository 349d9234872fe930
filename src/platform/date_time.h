// Date-time values as the program stores and shows them: days since 30 December 1899, the
// fraction being the time of day. Plain functions, usable from any thread; no time zone is
// applied here (the clock decides whether a value is local time or UTC).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivo {

using DateTime = double;

struct DateTimeParts {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int day_of_week = 7;  // 1 = Sunday .. 7 = Saturday
};

// Days in |month| of |year| (proleptic Gregorian); 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
bool IsLeapYear(int year);

// Encodes a calendar date and time. Returns false (and leaves |out| alone) when a field is out
// of range: year 1..9999, month 1..12, day within the month, hour 0..23, minute and second
// 0..59, millisecond 0..999.
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                       int millisecond, DateTime* out);
// As above; throws std::invalid_argument for a field out of range.
DateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                        int second = 0, int millisecond = 0);

// Splits a value into its fields, rounded to the millisecond. For values before 1899-12-30 the
// whole-day part counts backwards and the time of day is the magnitude of the fraction, the way
// the value has always been read.
DateTimeParts DecodeDateTime(DateTime value);

// Formats |value| with a picture in the usual date-time notation:
//   yy / yyyy            year, two or four digits
//   m / mm / mmm / mmmm  month: number, two digits, "Jan", "January"
//   d / dd / ddd / dddd  day: number, two digits, "Sun", "Sunday"
//   h / hh, n / nn, s / ss, z / zzz   hour, minute, second, millisecond
// "m"/"mm" right after an hour field means minutes ("hh:mm:ss"). Text inside double or single
// quotes is copied as it is, and so is every other character.
std::string FormatDateTime(std::string_view picture, DateTime value);

// English month and weekday names as the formatter uses them; |month| 1..12, |day_of_week|
// 1 (Sunday)..7. Out-of-range numbers give "".
std::string_view ShortMonthName(int month);
std::string_view LongMonthName(int month);
std::string_view ShortDayName(int day_of_week);
std::string_view LongDayName(int day_of_week);

// One second and one millisecond as fractions of a day.
inline constexpr double kOneSecond = 1.0 / 86400.0;
inline constexpr double kOneMillisecond = 1.0 / 86400000.0;

}  // namespace kivo
