// The decoders on their own: the recorded records as values, and every byte of them changed in
// turn, so that a field read from the wrong byte, or a byte read into two fields, shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/bacpac_status.h"
#include "camera/camera_status.h"
#include "test_window.h"

namespace kivo {
namespace {

using test::Hex;

// Recorded from a HERO3 Black and a HERO3+ Black right after switching on. The HERO2 record is
// the simulator's (the HERO3 Black's with the HERO2's generation, readiness and model codes).
using test::kHero3BlackBacPac;
constexpr char kHero3PlusBlackBacPac[] = "006401000400ff00520100010b020101";
constexpr char kHero2BacPac[] = "006401000200ff000101000101020101";
using test::kHero3BlackCamera;
constexpr char kHero3PlusBlackCamera[] =
    "0000000000000000050000ff000000000002903f00123700000086 00010004";

BacPacStatus BacPac(const std::vector<std::uint8_t>& bytes) { return DecodeBacPacStatus(bytes); }

CameraStatus Camera(const std::vector<std::uint8_t>& bytes) {
  const std::optional<CameraStatus> status = DecodeCameraStatus(bytes);
  if (!status) throw std::runtime_error("record dropped");
  return *status;
}

// The fields of two values that differ, by name, blank-separated.
std::string Differences(const BacPacStatus& a, const BacPacStatus& b) {
  std::string out;
  auto field = [&](const char* name, bool differs) {
    if (differs) out += (out.empty() ? "" : " ") + std::string(name);
  };
  field("password_refused", a.password_refused != b.password_refused);
  field("power", a.power != b.power);
  field("power_code", a.power_code != b.power_code);
  field("readiness", a.readiness != b.readiness);
  field("readiness_code", a.readiness_code != b.readiness_code);
  field("model_code", a.model_code != b.model_code);
  field("model_known", a.model_known != b.model_known);
  field("wifi_battery", a.wifi_battery != b.wifi_battery);
  field("connection_code", a.connection_code != b.connection_code);
  field("power_switchable", a.power_switchable != b.power_switchable);
  field("recording", a.recording != b.recording);
  field("text_reply", a.text_reply != b.text_reply);
  return out;
}

std::string Differences(const CameraStatus& a, const CameraStatus& b) {
  std::string out;
  auto field = [&](const std::string& name, bool differs) {
    if (differs) out += (out.empty() ? "" : " ") + name;
  };
  const char* kSettingNames[] = {"default_mode", "auto_power_off", "fov",  "photo_resolution",
                                 "video_mode",   "beep",           "leds", "interval"};
  field("mode", a.mode != b.mode);
  for (std::size_t i = 0; i < kCameraSettingCount; ++i)
    field(kSettingNames[i], a.settings[i] != b.settings[i]);
  field("spot_meter", a.spot_meter != b.spot_meter);
  field("battery_reading", a.battery_reading != b.battery_reading);
  field("photos_available", a.photos_available != b.photos_available);
  field("photos", a.photos != b.photos);
  field("video_minutes_available", a.video_minutes_available != b.video_minutes_available);
  field("videos", a.videos != b.videos);
  field("no_sd_card", a.no_sd_card != b.no_sd_card);
  field("time_high", a.time_high != b.time_high);
  field("time_low", a.time_low != b.time_low);
  field("checked_value_ok", a.checked_value_ok != b.checked_value_ok);
  const CameraFlags& f = a.flags;
  const CameraFlags& g = b.flags;
  field("flags", f.streaming != g.streaming || f.bit1 != g.bit1 ||
                     f.orientation_down != g.orientation_down || f.one_button != g.one_button ||
                     f.osd != g.osd || f.pal != g.pal || f.locate != g.locate || f.bit7 != g.bit7);
  return out;
}

TEST(StatusValues, RecordedBacPacRecords) {
  const struct {
    const char* record;
    int readiness_code;
    int model_code;
    std::optional<int> wifi_battery;
  } kCases[] = {
      {kHero3BlackBacPac, 34, kModelHero3Black, std::nullopt},
      {kHero3PlusBlackBacPac, 82, kModelHero3PlusBlack, std::nullopt},
      {kHero2BacPac, 1, kModelHero2, 100},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    const BacPacStatus s = BacPac(Hex(c.record));
    EXPECT_EQ(std::vector<std::uint8_t>(s.raw.begin(), s.raw.end()), Hex(c.record));
    EXPECT_FALSE(s.password_refused);
    EXPECT_EQ(s.power, CameraPower::kOn);
    EXPECT_EQ(s.power_code, 1);
    EXPECT_EQ(s.readiness, Readiness::kReady);
    EXPECT_EQ(s.readiness_code, c.readiness_code);
    EXPECT_EQ(s.model_code, c.model_code);
    EXPECT_TRUE(s.model_known);
    EXPECT_EQ(s.wifi_battery, c.wifi_battery);
    EXPECT_EQ(s.connection_code, 1);
    EXPECT_TRUE(s.power_switchable);
    EXPECT_FALSE(s.recording);
    EXPECT_FALSE(s.text_reply);
  }
}

TEST(StatusValues, RecordedCameraRecords) {
  const struct {
    const char* record;
    int video_mode;
    int battery;
    int photos_available;
    int photos;
  } kCases[] = {
      {kHero3BlackCamera, 5, 99, 0x1233, 2},
      {kHero3PlusBlackCamera, 0, 63, 0x1237, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.record);
    const CameraStatus s = Camera(Hex(c.record));
    EXPECT_EQ(std::vector<std::uint8_t>(s.raw.begin(), s.raw.end()), Hex(c.record));
    EXPECT_EQ(s.mode, CaptureMode::kVideo);
    const std::optional<int> settings[] = {0, 0, 0, 5, c.video_mode, 0, 2, 0};
    for (std::size_t i = 0; i < kCameraSettingCount; ++i)
      EXPECT_EQ(s.settings[i], settings[i]) << CameraSettingsMenus()[i].menu;
    EXPECT_EQ(s.spot_meter, false);
    EXPECT_EQ(s.battery_reading, c.battery);
    EXPECT_EQ(s.photos_available, c.photos_available);
    EXPECT_EQ(s.photos, c.photos);
    EXPECT_EQ(s.video_minutes_available, 0x86);
    EXPECT_EQ(s.videos, 1);
    EXPECT_FALSE(s.no_sd_card);
    EXPECT_EQ(s.time_high, 0);
    EXPECT_EQ(s.time_low, 0);
    EXPECT_TRUE(s.checked_value_ok);
    const CameraFlags& f = s.flags;  // 0x90: on-screen display and bit 7
    EXPECT_TRUE(f.osd && f.bit7);
    EXPECT_FALSE(f.streaming || f.bit1 || f.orientation_down || f.one_button || f.pal || f.locate);
  }
}

// Each byte of the HERO3 Black BacPac record (HERO2 for byte 1) changed alone.
TEST(StatusValues, EachBacPacByteFeedsItsOwnFields) {
  const struct {
    int byte;
    int value;
    const char* changed;
  } kCases[] = {
      {0, 0x34, ""},  {1, 0x20, ""},  {2, 0x33, ""}, {3, 7, ""}, {4, 7, ""},
      {5, 1, "recording"},            {6, 7, ""},    {7, 7, ""},
      {8, 2, "readiness readiness_code"},            {8, 1, "readiness_code"},
      {9, 0, "power power_code"},     {9, 'h', "power power_code text_reply"},
      {10, 7, ""},    {11, 7, ""},
      {12, 13, "model_code model_known"},            {12, 1, "model_code wifi_battery"},
      {13, 7, ""},    {14, 2, "connection_code power_switchable"},
      {14, 3, "connection_code"},     {15, 7, ""},
  };
  const std::vector<std::uint8_t> base = Hex(kHero3BlackBacPac);
  for (const auto& c : kCases) {
    std::vector<std::uint8_t> changed = base;
    changed[c.byte] = static_cast<std::uint8_t>(c.value);
    EXPECT_EQ(Differences(BacPac(base), BacPac(changed)), c.changed) << "byte " << c.byte;
  }
  std::vector<std::uint8_t> hero2 = Hex(kHero2BacPac);
  const BacPacStatus before = BacPac(hero2);
  hero2[1] = 101;
  EXPECT_EQ(Differences(before, BacPac(hero2)), "wifi_battery");
  EXPECT_EQ(BacPac(hero2).wifi_battery, 101);
}

TEST(StatusValues, ShortAndRefusedBacPacReplies) {
  const BacPacStatus refused = BacPac({'4', '0', '3'});
  EXPECT_TRUE(refused.password_refused);
  // Ten bytes: the rest reads as zero, so the model is 0 and unknown.
  const std::vector<std::uint8_t> full = Hex(kHero3BlackBacPac);
  const BacPacStatus cut = BacPac({full.begin(), full.begin() + 10});
  EXPECT_EQ(cut.power, CameraPower::kOn);
  EXPECT_EQ(cut.model_code, 0);
  EXPECT_FALSE(cut.model_known);
  EXPECT_EQ(cut.raw[12], 0);
  const BacPacStatus empty = BacPac({});
  EXPECT_EQ(empty.power, CameraPower::kOff);
}

// Each byte of the HERO3 Black camera record changed alone.
TEST(StatusValues, EachCameraByteFeedsItsOwnFields) {
  const struct {
    int byte;
    int value;
    const char* changed;
  } kCases[] = {
      {0, 7, ""},
      {1, 1, "mode"},
      {1, 5, "mode"},
      {2, 7, ""},
      {3, 3, "default_mode"},
      {4, 1, "spot_meter"},
      {5, 60, "interval"},
      {6, 3, "auto_power_off"},
      {7, 2, "fov"},
      {8, 9, "photo_resolution"},
      {9, 11, "video_mode"},
      {10, 7, ""},
      {11, 7, ""},
      {12, 7, ""},
      {13, 7, "time_high"},
      {14, 7, "time_low"},
      {15, 7, ""},
      {16, 2, "beep"},
      {17, 1, "leds"},
      {18, 0x91, "flags"},
      {19, 200, "battery_reading"},
      {20, 7, ""},
      {21, 7, "photos_available"},
      {22, 7, "photos_available"},
      {23, 7, "photos"},
      {24, 7, "photos"},
      {25, 7, "video_minutes_available"},
      {25, 255, "video_minutes_available no_sd_card"},
      {26, 7, "video_minutes_available"},
      {27, 7, ""},
      {28, 7, "videos"},
      {29, 7, ""},
      {30, 7, "checked_value_ok"},
  };
  const std::vector<std::uint8_t> base = Hex(kHero3BlackCamera);
  for (const auto& c : kCases) {
    std::vector<std::uint8_t> changed = base;
    changed[c.byte] = static_cast<std::uint8_t>(c.value);
    EXPECT_EQ(Differences(Camera(base), Camera(changed)), c.changed) << "byte " << c.byte;
  }
}

TEST(StatusValues, CameraRecordReading) {
  EXPECT_FALSE(DecodeCameraStatus(std::vector<std::uint8_t>(30, 0)));
  std::vector<std::uint8_t> record(31, 0);
  record[18] = 0xff;
  const CameraFlags f = Camera(record).flags;
  EXPECT_TRUE(f.streaming && f.bit1 && f.orientation_down && f.one_button && f.osd && f.pal &&
              f.locate && f.bit7);
  // Interval codes are seconds; 5 and 10 share the items of 3 and 4.
  const struct {
    int code;
    std::optional<int> index;
  } kIntervals[] = {{0, 0}, {4, 4}, {5, 3}, {10, 4}, {30, 5}, {60, 6}, {6, std::nullopt}};
  for (const auto& c : kIntervals) {
    record[5] = static_cast<std::uint8_t>(c.code);
    EXPECT_EQ(Camera(record).Setting(CameraSetting::kInterval), c.index) << c.code;
  }
  // The battery: raw for most models, scaled for the Silver (72) and White (76), charging
  // above 100.
  const struct {
    int reading;
    int model;
    bool charging;
    int percent;
  } kBatteries[] = {{54, kModelHero3Silver, false, 75}, {54, kModelHero3White, false, 71},
                    {72, kModelHero3Silver, false, 100}, {37, kModelHero2, false, 37},
                    {0xc8, kModelHero3Black, true, 0x48}};
  for (const auto& c : kBatteries) {
    record[19] = static_cast<std::uint8_t>(c.reading);
    const Battery battery = CameraBattery(Camera(record), c.model);
    EXPECT_EQ(battery.charging, c.charging) << c.reading;
    EXPECT_EQ(battery.percent, c.percent) << c.reading;
  }
}

}  // namespace
}  // namespace kivo
