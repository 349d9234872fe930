// The camera clock's text form "yy.mm.dd hh:nn:ss" and its conversions: to and from date-time
// values (days since 1899-12-30, time of day as fraction), from the media server's Date header,
// and to the parameter of the camera's set-clock command. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

inline constexpr std::size_t kClockTextLength = 17;

// Days since 1899-12-30 for a clock text of the years 2000-2099. A text without ":" gives 0;
// a field that is not a number counts as 0; a month outside 1-12 counts as having no days
// before it, like January.
double ClockTextToDateTime(std::string_view text);

// The header line "Date: Sun, 01 Mar 2015 12:00:00 GMT" as "15.03.01 12:00:00". The zone is not
// read. An unknown month name gives month "00"; a short line gives a short text.
std::string DateHeaderToClockText(std::string_view header_line);

// "13.03.01 12:00:00" as "0d%03%01%0c%00%00": each two-character field as a decimal number
// written in two lower-case hex digits. Throws std::invalid_argument with the text
// "'XX' is not a valid integer value" for a field that is not a number.
std::string ClockTextToTmParameter(std::string_view text);

// A date-time value as a clock text (two-digit year), rounded to the millisecond and then
// truncated to the second.
std::string FormatClockText(double date_time);

// The media listing's "05-Dec-2013 14:23" as "2013-12-05-1423"; an unknown month gives "00".
std::string ListingDateToName(std::string_view listing_date);

}  // namespace kivo
