#include "camera/clock_text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace kivo {
namespace {

struct ToDateTimeCase {
  const char* test_name;
  const char* text;
  double value;
};

class ClockToDateTime : public ::testing::TestWithParam<ToDateTimeCase> {};

TEST_P(ClockToDateTime, Converts) {
  EXPECT_DOUBLE_EQ(ClockTextToDateTime(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ClockToDateTime,
    ::testing::Values(ToDateTimeCase{"FirstMarch2013Noon", "13.03.01 12:00:00", 41334.5},
                      ToDateTimeCase{"LeapDay2016", "16.02.29 00:00:00", 42429},
                      ToDateTimeCase{"LeapJanuaryIsOneDayEarlier", "16.01.01 00:00:00", 42370},
                      ToDateTimeCase{"NonLeapJanuary", "15.01.01 00:00:00", 42005},
                      ToDateTimeCase{"LeapYearMarchUnchanged", "16.03.01 00:00:00", 42430},
                      ToDateTimeCase{"Start2000", "00.01.01 00:00:00", 36526},
                      ToDateTimeCase{"LastSecondOfDay", "15.12.31 23:59:59",
                                     42369 + 86399.0 / 86400},
                      ToDateTimeCase{"NoColonIsZero", "15.03.01 12.00.00", 0},
                      ToDateTimeCase{"EmptyIsZero", "", 0},
                      ToDateTimeCase{"NonNumericFieldCountsZero", "13.03.01 xx:00:00", 41334},
                      // An unknown month counts like January, without reading past the table.
                      ToDateTimeCase{"MonthZero", "15.00.01 00:00:00", 42005},
                      ToDateTimeCase{"MonthThirteen", "15.13.01 00:00:00", 42005},
                      // Missing fields read as 0: day 0 of March is the last day of February.
                      ToDateTimeCase{"ShortText", "13:03", 41333}),
    [](const auto& info) { return std::string(info.param.test_name); });

struct HeaderCase {
  const char* test_name;
  const char* line;
  const char* clock_text;
};

class DateHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DateHeader, RearrangesIntoClockText) {
  EXPECT_EQ(DateHeaderToClockText(GetParam().line), GetParam().clock_text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DateHeader,
    ::testing::Values(
        HeaderCase{"Sunday", "Date: Sun, 01 Mar 2015 12:00:00 GMT", "15.03.01 12:00:00"},
        HeaderCase{"December", "Date: Thu, 05 Dec 2013 14:23:45 GMT", "13.12.05 14:23:45"},
        HeaderCase{"UnknownMonth", "Date: Thu, 05 Dez 2013 14:23:45 GMT", "13.00.05 14:23:45"},
        HeaderCase{"MonthIsCaseSensitive", "Date: Thu, 05 DEC 2013 14:23:45 GMT",
                   "13.00.05 14:23:45"},
        HeaderCase{"NoZone", "Date: Mon, 29 Feb 2016 01:02:03", "16.02.29 01:02:03"},
        HeaderCase{"ShortLine", "Date: Sun", ".00. "}, HeaderCase{"Empty", "", ".00. "}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST(DateHeader, SecondsBehindGiveMinusFiveSeconds) {
  const double camera =
      ClockTextToDateTime(DateHeaderToClockText("Date: Sun, 01 Mar 2015 12:00:00 GMT"));
  const double now = ClockTextToDateTime("15.03.01 12:00:05");
  EXPECT_NEAR((camera - now) * 86400, -5, 1e-6);
}

struct TmCase {
  const char* test_name;
  const char* text;
  const char* parameter;
};

class TmParameter : public ::testing::TestWithParam<TmCase> {};

TEST_P(TmParameter, SixLowerCaseHexFields) {
  EXPECT_EQ(ClockTextToTmParameter(GetParam().text), GetParam().parameter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TmParameter,
    ::testing::Values(TmCase{"FirstMarch2013", "13.03.01 12:00:00", "0d%03%01%0c%00%00"},
                      TmCase{"LastSecondOf2015", "15.12.31 23:59:59", "0f%0c%1f%17%3b%3b"},
                      TmCase{"SeparatorsNotChecked", "15x12x31x23x59x59", "0f%0c%1f%17%3b%3b"},
                      TmCase{"NinetyNine", "99.99.99 99.99.99", "63%63%63%63%63%63"},
                      TmCase{"LeadingBlank", " 5.01.02 03:04:05", "05%01%02%03%04%05"}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST(TmParameter, NonNumericFieldThrowsWithTheFieldInTheText) {
  for (auto [text, message] : {std::pair{"15.1x.31 23:59:59", "'1x' is not a valid integer value"},
                               {"15.12.31 23:59:-1", "'-1' is not a valid integer value"},
                               {"15.12.31 23:59", "'' is not a valid integer value"},
                               {"ab.12.31 23:59:59", "'ab' is not a valid integer value"}}) {
    try {
      ClockTextToTmParameter(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), message);
    }
  }
}

struct FormatCase {
  const char* test_name;
  double value;
  const char* text;
};

class FormatClock : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatClock, TwoDigitFields) {
  EXPECT_EQ(FormatClockText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatClock,
    ::testing::Values(
        FormatCase{"FirstMarch2013Noon", 41334.5, "13.03.01 12:00:00"},
        FormatCase{"LeapDay2016", 42429, "16.02.29 00:00:00"},
        FormatCase{"LastSecond", 42369 + 86399.0 / 86400, "15.12.31 23:59:59"},
        FormatCase{"HalfSecondTruncates", 42369 + 86399.5 / 86400, "15.12.31 23:59:59"},
        FormatCase{"RoundsUpToTheMillisecond", 42370 - 0.0000001 / 86400, "16.01.01 00:00:00"},
        FormatCase{"Year1999", 36525, "99.12.31 00:00:00"}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST(FormatClock, RoundTripsThroughTheConversion) {
  for (double value = 36526; value < 73051; value += 97.123456) {
    const std::string text = FormatClockText(value);
    ASSERT_EQ(text.size(), kClockTextLength) << value;
    EXPECT_NEAR(ClockTextToDateTime(text), value, 1.0 / 86400) << text;
  }
}

struct ListingCase {
  const char* test_name;
  const char* date;
  const char* name;
};

class ListingDate : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ListingDate, BecomesAFileName) {
  EXPECT_EQ(ListingDateToName(GetParam().date), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListingDate,
    ::testing::Values(ListingCase{"December", "05-Dec-2013 14:23", "2013-12-05-1423"},
                      ListingCase{"May", "21-May-2013 23:30", "2013-05-21-2330"},
                      ListingCase{"UnknownMonth", "21-may-2013 23:30", "2013-00-21-2330"},
                      ListingCase{"TrailingTextIgnored", "01-Jan-2014 00:01  ", "2014-01-01-0001"},
                      ListingCase{"Short", "01-Jan", "-01-01-"}),
    [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace kivo
