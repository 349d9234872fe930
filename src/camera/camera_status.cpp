#include "camera/camera_status.h"

#include <algorithm>

#include "camera/setting_items.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

using Record = std::array<std::uint8_t, kCameraStatusBytes>;

// Record layout, 0-based; two-byte counts are big-endian.
constexpr int kIntervalByte = 5;
constexpr int kTimeHighByte = 13;
constexpr int kTimeLowByte = 14;
constexpr int kFlagsByte = 18;
constexpr int kBatteryByte = 19;
constexpr int kPhotosAvailableByte = 21;
constexpr int kPhotosByte = 23;
constexpr int kVideoAvailableByte = 25;
constexpr int kVideosByte = 28;
constexpr int kCheckedValueMax = 6;
constexpr int kNoSdCard = 255;
constexpr int kProtuneFirstVideoMode = 7;  // video modes from "1080-30 T" on are Protune modes

// In CameraSetting order.
constexpr SettingsMenuSpec kSettings[] = {
    {"DefaultMode", 3, kDefaultModeItems},
    {"AutoPowerOff", 6, kAutoPowerOffItems},
    {"VideoFOV", 7, kFovItems},
    {"PhotoResolution", 8, kPhotoResolutionItems},
    {"VideoMode", 9, kVideoModeItems},
    {"Beep", 16, kBeepItems},
    {"LEDs", 17, kLedsItems},
    {"TimeLapseInterval", kIntervalByte, kIntervalItems},
};
static_assert(std::size(kSettings) == kCameraSettingCount);

// Interval code (seconds, 0 = half a second) to item index.
struct IntervalRow {
  int code;
  int index;
};
constexpr IntervalRow kIntervals[] = {{0, 0}, {1, 1},  {2, 2},  {3, 3}, {4, 4},
                                      {5, 3}, {10, 4}, {30, 5}, {60, 6}};

struct ModeRow {
  int code;
  CaptureMode mode;
  const char* item;  // the Mode menu's item checked for it; nullptr: none
};
constexpr ModeRow kModes[] = {
    {0, CaptureMode::kVideo, "Video1"},         {1, CaptureMode::kPhoto, "Photo1"},
    {2, CaptureMode::kBurst, "Burst1"},         {3, CaptureMode::kTimeLapse, "TimeLapse1"},
    {4, CaptureMode::kCountdown, "Countdown1"}, {7, CaptureMode::kMenu, nullptr},
};

// Cameras whose battery byte is a raw reading: percent = min(100, reading * 100 / divisor).
struct BatteryScale {
  int model;
  int divisor;
};
constexpr BatteryScale kBatteryScales[] = {{kModelHero3Silver, 72}, {kModelHero3White, 76}};
constexpr int kBatteryFullPercent = 100;

int Word(const Record& r, int index) { return 256 * r[index] + r[index + 1]; }

std::optional<int> SettingIndex(const Record& r, CameraSetting setting) {
  const SettingsMenuSpec& menu = kSettings[static_cast<std::size_t>(setting)];
  const int value = r[menu.byte];
  if (setting == CameraSetting::kInterval) {
    for (const IntervalRow& row : kIntervals)
      if (row.code == value) return row.index;
    return std::nullopt;
  }
  if (static_cast<std::size_t>(value) < menu.items.size()) return value;
  return std::nullopt;
}

bool Bit(std::uint8_t flags, int bit) { return (flags >> bit & 1) != 0; }

}  // namespace

std::span<const SettingsMenuSpec> CameraSettingsMenus() { return kSettings; }

const SettingsMenuSpec& SettingsMenu(CameraSetting setting) {
  return kSettings[static_cast<std::size_t>(setting)];
}

std::optional<CameraStatus> DecodeCameraStatus(std::span<const std::uint8_t> reply) {
  if (reply.size() < static_cast<std::size_t>(kMinCameraStatusLength)) return std::nullopt;
  CameraStatus s;
  Record& r = s.raw;
  std::copy_n(reply.begin(), r.size(), r.begin());
  for (const ModeRow& row : kModes)
    if (row.code == r[kCameraModeByte]) s.mode = row.mode;
  for (std::size_t i = 0; i < kCameraSettingCount; ++i)
    s.settings[i] = SettingIndex(r, static_cast<CameraSetting>(i));
  if (r[kCameraSpotMeterByte] <= 1) s.spot_meter = r[kCameraSpotMeterByte] == 1;
  s.battery_reading = r[kBatteryByte];
  s.photos_available = Word(r, kPhotosAvailableByte);
  s.photos = Word(r, kPhotosByte);
  s.video_minutes_available = Word(r, kVideoAvailableByte);
  s.videos = r[kVideosByte];
  s.no_sd_card = r[kVideoAvailableByte] == kNoSdCard;
  s.time_high = r[kTimeHighByte];
  s.time_low = r[kTimeLowByte];
  s.checked_value_ok = r[kCameraCheckedValueByte] <= kCheckedValueMax;
  const std::uint8_t f = r[kFlagsByte];
  s.flags = {Bit(f, 0), Bit(f, 1), Bit(f, 2), Bit(f, 3), Bit(f, 4), Bit(f, 5), Bit(f, 6), Bit(f, 7)};
  return s;
}

Battery CameraBattery(const CameraStatus& status, int camera_model) {
  const int reading = status.battery_reading;
  Battery battery{reading > kBatteryFullPercent, reading & 0x7f};
  for (const BatteryScale& scale : kBatteryScales)
    if (scale.model == camera_model)
      battery.percent = std::min(kBatteryFullPercent, reading * 100 / scale.divisor);
  return battery;
}

const char* ModeItem(CaptureMode mode) {
  for (const ModeRow& row : kModes)
    if (row.mode == mode) return row.item;
  return nullptr;
}

const char* OrientationItemCaption(bool orientation_down) {
  return orientation_down ? kOrientationUpCaption : kOrientationDownCaption;
}

bool IsProtuneVideoMode(int index) { return index >= kProtuneFirstVideoMode; }

bool StatusChecks(const CameraStatus& s, std::string_view item) {
  for (const ModeRow& row : kModes)
    if (row.item && item == row.item) return s.mode == row.mode;
  const std::optional<int> video_mode = s.Setting(CameraSetting::kVideoMode);
  if (item == "Protune1")
    return s.mode == CaptureMode::kVideo && video_mode && IsProtuneVideoMode(*video_mode);
  for (std::size_t i = 0; i < kCameraSettingCount; ++i) {
    const auto& items = kSettings[i].items;
    for (std::size_t index = 0; index < items.size(); ++index)
      if (item == items[index]) return s.settings[i] == static_cast<int>(index);
  }
  if (item == "SpotMeter1") return s.spot_meter.value_or(false);
  if (item == "StreamingEnabled") return s.flags.streaming;
  if (item == "OneButtonMode") return s.flags.one_button;
  if (item == "OSD") return s.flags.osd;
  if (item == "Locate") return s.flags.locate;
  if (item == "NTSC1") return !s.flags.pal;
  if (item == "PAL1") return s.flags.pal;
  return false;
}

}  // namespace kivo
