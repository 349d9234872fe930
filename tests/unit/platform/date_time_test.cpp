#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <ostream>

#include <stdexcept>

namespace kivo {
namespace {

struct EncodeCase {
  const char* name;
  int y, mo, d, h, mi, s, ms;
  double expected;
  int day_of_week;  // 1 = Sunday
};

// Tests are listed by their case name.
void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

const EncodeCase kEncodeCases[] = {
    {"Epoch", 1899, 12, 30, 0, 0, 0, 0, 0.0, 7},
    {"FirstOf1900", 1900, 1, 1, 0, 0, 0, 0, 2.0, 2},
    {"UnixEpoch", 1970, 1, 1, 0, 0, 0, 0, 25569.0, 5},
    {"Millennium", 2000, 1, 1, 0, 0, 0, 0, 36526.0, 7},
    {"NoonFirstMarch2013", 2013, 3, 1, 12, 0, 0, 0, 41334.5, 6},
    {"LeapDay2016", 2016, 2, 29, 0, 0, 0, 0, 42429.0, 2},
    {"FiveSecondsPastNoon", 2015, 3, 1, 12, 0, 5, 0, 42064.0 + (12 * 3600 + 5) / 86400.0, 1},
    {"LastSecondOfLeapDay", 2024, 2, 29, 23, 59, 59, 0, 45351.0 + 86399 / 86400.0, 5},
    {"HalfSecond", 2000, 1, 1, 0, 0, 0, 500, 36526.0 + 0.5 / 86400.0, 7},
    {"BeforeEpochSixAm", 1899, 12, 29, 6, 0, 0, 0, -1.25, 6},
    {"YearOne", 1, 1, 1, 0, 0, 0, 0, -693593.0, 2},
    {"LastDay", 9999, 12, 31, 23, 59, 59, 0, 2958465.0 + 86399 / 86400.0, 6},
};

class EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, EncodesToTheDayCount) {
  const EncodeCase& c = GetParam();
  EXPECT_NEAR(EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms), c.expected, 1e-9);
}

TEST_P(EncodeTest, DecodesBackToTheFields) {
  const EncodeCase& c = GetParam();
  const DateTimeParts p = DecodeDateTime(c.expected);
  EXPECT_EQ(p.year, c.y);
  EXPECT_EQ(p.month, c.mo);
  EXPECT_EQ(p.day, c.d);
  EXPECT_EQ(p.hour, c.h);
  EXPECT_EQ(p.minute, c.mi);
  EXPECT_EQ(p.second, c.s);
  EXPECT_EQ(p.millisecond, c.ms);
  EXPECT_EQ(p.day_of_week, c.day_of_week);
}

INSTANTIATE_TEST_SUITE_P(Dates, EncodeTest, ::testing::ValuesIn(kEncodeCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct InvalidCase {
  const char* name;
  int y, mo, d, h, mi, s, ms;
};

// Tests are listed by their case name.
void PrintTo(const InvalidCase& c, std::ostream* os) { *os << c.name; }

const InvalidCase kInvalidCases[] = {
    {"February29InCommonYear", 2015, 2, 29, 0, 0, 0, 0},
    {"February29In1900", 1900, 2, 29, 0, 0, 0, 0},
    {"MonthZero", 2015, 0, 1, 0, 0, 0, 0},
    {"Month13", 2015, 13, 1, 0, 0, 0, 0},
    {"DayZero", 2015, 1, 0, 0, 0, 0, 0},
    {"April31", 2015, 4, 31, 0, 0, 0, 0},
    {"Hour24", 2015, 1, 1, 24, 0, 0, 0},
    {"Minute60", 2015, 1, 1, 0, 60, 0, 0},
    {"Second60", 2015, 1, 1, 0, 0, 60, 0},
    {"Millisecond1000", 2015, 1, 1, 0, 0, 0, 1000},
    {"YearZero", 0, 1, 1, 0, 0, 0, 0},
    {"Year10000", 10000, 1, 1, 0, 0, 0, 0},
};

class InvalidDateTest : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidDateTest, IsRejected) {
  const InvalidCase& c = GetParam();
  DateTime value = 123.0;
  EXPECT_FALSE(TryEncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms, &value));
  EXPECT_EQ(value, 123.0);
  EXPECT_THROW(EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(Dates, InvalidDateTest, ::testing::ValuesIn(kInvalidCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeDateTimeTest, RoundingUpToMidnightMovesToTheNextDay) {
  const DateTimeParts p = DecodeDateTime(36526.0 + 86399.9999 / 86400.0);
  EXPECT_EQ(p.year, 2000);
  EXPECT_EQ(p.month, 1);
  EXPECT_EQ(p.day, 2);
  EXPECT_EQ(p.hour, 0);
  EXPECT_EQ(p.second, 0);
}

TEST(DecodeDateTimeTest, EveryDayOfFourYearsRoundTrips) {
  // Walks 2015..2018 day by day at 13:45:30, across the leap day and every month end.
  DateTime value = EncodeDateTime(2015, 1, 1, 13, 45, 30);
  int y = 2015, m = 1, d = 1;
  for (int i = 0; i < 4 * 365 + 1; ++i) {
    const DateTimeParts p = DecodeDateTime(value);
    ASSERT_EQ(p.year, y) << i;
    ASSERT_EQ(p.month, m) << i;
    ASSERT_EQ(p.day, d) << i;
    ASSERT_EQ(p.hour, 13);
    ASSERT_EQ(p.minute, 45);
    ASSERT_EQ(p.second, 30);
    value += 1.0;
    if (++d > DaysInMonth(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }
}

struct FormatCase {
  const char* name;
  const char* picture;
  double value;
  const char* expected;
};

// Tests are listed by their case name.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

const double kNoonPlus5 = 42064.0 + (12 * 3600 + 5) / 86400.0;  // Sun 1 Mar 2015 12:00:05

const FormatCase kFormatCases[] = {
    {"ClockTime", "hh:mm:ss", kNoonPlus5, "12:00:05"},
    {"CameraDate", "mmm d yyyy", kNoonPlus5, "Mar 1 2015"},
    {"ClockText", "yy.mm.dd hh:nn:ss", kNoonPlus5, "15.03.01 12:00:05"},
    {"LongNames", "dddd, d mmmm yyyy", kNoonPlus5, "Sunday, 1 March 2015"},
    {"ShortDay", "ddd dd/mm/yy", kNoonPlus5, "Sun 01/03/15"},
    {"UnpaddedTime", "h:n:s", 36526.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0, "3:4:5"},
    {"Milliseconds", "ss.zzz", 36526.0 + 7.25 / 86400.0, "07.250"},
    {"QuotedTextIsLiteral", "\"hh at\" hh 'mm'", kNoonPlus5, "hh at 12 mm"},
    {"MinutesAfterHourSeparatedBySpace", "hh mm", 36526.0 + (10 * 60 + 7) * 60 / 86400.0, "10 07"},
    {"MonthWhenNoHourBefore", "mm", kNoonPlus5, "03"},
    {"NegativeOffsetShowsMagnitude", "hh:mm:ss", -5.0 / 86400.0, "00:00:05"},
    {"LargeNegativeOffset", "hh:mm:ss", -(3600.0 + 2 * 60 + 3) / 86400.0, "01:02:03"},
    {"DecemberName", "mmm", 36525.0, "Dec"},
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, Formats) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(FormatDateTime(c.picture, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Pictures, FormatTest, ::testing::ValuesIn(kFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NamesTest, OutOfRangeGiveEmptyText) {
  EXPECT_EQ(ShortMonthName(0), "");
  EXPECT_EQ(ShortMonthName(13), "");
  EXPECT_EQ(LongDayName(8), "");
  EXPECT_EQ(ShortMonthName(9), "Sep");
  EXPECT_EQ(LongDayName(7), "Saturday");
}

}  // namespace
}  // namespace kivo
