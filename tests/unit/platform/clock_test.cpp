#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ostream>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace kivo {
namespace {

// Sets TZ for one test and restores it afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

bool DaylightNow() {
  const time_t now = time(nullptr);
  struct tm local{};
  localtime_r(&now, &local);
  return local.tm_isdst > 0;
}

struct ZoneCase {
  const char* name;
  const char* tz;
  int bias;
  int daylight_bias;
};

// Tests are listed by their case name.
void PrintTo(const ZoneCase& c, std::ostream* os) { *os << c.name; }

const ZoneCase kZoneCases[] = {
    {"Utc", "UTC0", 0, 0},
    {"CentralEurope", "CET-1CEST,M3.5.0,M10.5.0/3", -60, -60},
    {"UsEastern", "EST5EDT,M3.2.0,M11.1.0", 300, -60},
    {"IndiaHalfHour", "IST-5:30", -330, 0},
    {"SouthernHemisphere", "AEST-10AEDT,M10.1.0,M4.1.0/3", -600, -60},
};

class TimeZoneBiasTest : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(TimeZoneBiasTest, MatchesTheWindowsConvention) {
  const ZoneCase& c = GetParam();
  ScopedTimeZone zone(c.tz);
  const TimeZoneBias bias = SystemClock::Instance().Bias();
  EXPECT_EQ(bias.bias, c.bias);
  EXPECT_EQ(bias.standard_bias, 0);
  EXPECT_EQ(bias.daylight_bias, c.daylight_bias);
  EXPECT_EQ(bias.daylight_in_force, DaylightNow());
  // UTC = local + bias, checked against the C library's own view of now.
  const time_t now = time(nullptr);
  struct tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(bias.CurrentMinutes(), -local.tm_gmtoff / 60);
}

INSTANTIATE_TEST_SUITE_P(Zones, TimeZoneBiasTest, ::testing::ValuesIn(kZoneCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SystemClockTest, NowIsLocalTimeAsADayCount) {
  ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
  const time_t before = time(nullptr);
  const DateTime now = SystemClock::Instance().Now();
  struct tm local{};
  localtime_r(&before, &local);
  const DateTime expected = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                           local.tm_hour, local.tm_min, local.tm_sec);
  // The two readings may straddle a second boundary, nothing more.
  EXPECT_GE(now, expected - kOneMillisecond);
  EXPECT_LT(now, expected + 2 * kOneSecond);
}

TEST(SystemClockTest, MonotonicMillisecondsMoveForward) {
  const std::int64_t first = SystemClock::Instance().MonotonicMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::int64_t second = SystemClock::Instance().MonotonicMs();
  EXPECT_GE(second - first, 20);
}

TEST(FakeClockTest, MovesOnlyWhenTold) {
  FakeClock clock(41334.5, 1000);
  EXPECT_EQ(clock.Now(), 41334.5);
  EXPECT_EQ(clock.MonotonicMs(), 1000);
  clock.AdvanceMs(5000);
  EXPECT_EQ(clock.MonotonicMs(), 6000);
  EXPECT_NEAR(clock.Now(), 41334.5 + 5 * kOneSecond, 1e-9);
  clock.SetNow(42429.0);
  EXPECT_EQ(clock.Now(), 42429.0);
  EXPECT_EQ(clock.MonotonicMs(), 6000);
  clock.SetBias({-60, 0, -60, true});
  EXPECT_EQ(clock.Bias().CurrentMinutes(), -120);
}

TEST(TimeZoneBiasStructTest, CurrentMinutesAddsTheSeasonsPart) {
  EXPECT_EQ((TimeZoneBias{300, 0, -60, false}).CurrentMinutes(), 300);
  EXPECT_EQ((TimeZoneBias{300, 0, -60, true}).CurrentMinutes(), 240);
  EXPECT_EQ((TimeZoneBias{-60, 5, -60, false}).CurrentMinutes(), -55);
}

}  // namespace
}  // namespace kivo
