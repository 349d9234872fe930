#include "camera/clock_display.h"

#include <gtest/gtest.h>

#include "camera/clock_text.h"
#include "media/reply_file.h"
#include "media/text_lines.h"

namespace kivo {
namespace {

constexpr double kSecond = 1.0 / 86400;

struct DeltaCase {
  const char* test_name;
  double offset;
  const char* delta;
};

class ClockDelta : public ::testing::TestWithParam<DeltaCase> {};

TEST_P(ClockDelta, Shows) { EXPECT_EQ(ClockDeltaText(GetParam().offset), GetParam().delta); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ClockDelta,
    ::testing::Values(DeltaCase{"FiveBehind", -5 * kSecond, "- 00:00:05"},
                      DeltaCase{"NinetyAhead", 90 * kSecond, "+ 00:01:30"},
                      DeltaCase{"Zero", 0, "00:00:00"},
                      DeltaCase{"UnderOneSecondAhead", 0.4 * kSecond, "00:00:00"},
                      DeltaCase{"JustUnderOneSecondBehind", -0.9999 * kSecond, "00:00:00"},
                      DeltaCase{"OneSecondBehind", -kSecond, "- 00:00:01"},
                      DeltaCase{"ExactlyTheLimit", 0.97, "+ 23:16:48"},
                      DeltaCase{"ExactlyTheLimitBehind", -0.97, "- 23:16:48"},
                      DeltaCase{"OneSecondOverTheLimit", -(0.97 + kSecond), "Incorrect Date"},
                      DeltaCase{"Days", 3.25, "Incorrect Date"}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST(ClockLabels, PlaceholdersUntilKnownThenCameraTime) {
  const ClockLabels unknown = CameraClockLabels(false, 41334.5, -5 * kSecond);
  EXPECT_EQ(unknown.date, "Camera Date");
  EXPECT_EQ(unknown.time, "Camera Time");
  EXPECT_EQ(unknown.delta, "");
  // "Sun, 01 Mar 2015 12:00:00 GMT" read at 12:00:05 the same day.
  const double now = ClockTextToDateTime("15.03.01 12:00:05");
  const double offset =
      ClockTextToDateTime(DateHeaderToClockText("Date: Sun, 01 Mar 2015 12:00:00 GMT")) - now;
  const ClockLabels known = CameraClockLabels(true, now, offset);
  EXPECT_EQ(known.date, "Mar 1 2015");
  EXPECT_EQ(known.time, "12:00:00");
  EXPECT_EQ(known.delta, "- 00:00:05");
  // A text without ":" reads as 0: the offset is minus now.
  EXPECT_EQ(CameraClockLabels(true, now, ClockTextToDateTime("15.03.01 12.00.00") - now).delta,
            "Incorrect Date");
}

TEST(ReplyLines, EveryLineEndAndALastLineWithoutOne) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (V{"a", ""}));
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(SplitLines("\n"), V{""});
}

}  // namespace
}  // namespace kivo
