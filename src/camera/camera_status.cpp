#include "camera/camera_status.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "camera/camera_state.h"
#include "camera/command_table.h"
#include "camera/command_url.h"
#include "camera/status_actions.h"
#include "ui/component.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

using Record = std::array<std::uint8_t, kCameraStatusBytes>;

// Record layout, 0-based; two-byte counts are big-endian.
constexpr int kModeByte = 1;
constexpr int kDefaultModeByte = 3;
constexpr int kSpotMeterByte = 4;
constexpr int kIntervalByte = 5;
constexpr int kAutoPowerOffByte = 6;
constexpr int kFovByte = 7;
constexpr int kPhotoResolutionByte = 8;
constexpr int kVideoModeByte = 9;
constexpr int kTimeHighByte = 13;
constexpr int kTimeLowByte = 14;
constexpr int kBeepByte = 16;
constexpr int kLedsByte = 17;
constexpr int kFlagsByte = 18;
constexpr int kBatteryByte = 19;
constexpr int kPhotosAvailableByte = 21;
constexpr int kPhotosByte = 23;
constexpr int kVideoAvailableByte = 25;
constexpr int kVideosByte = 28;
constexpr int kCheckedValueByte = 30;
constexpr int kCheckedValueMax = 6;
constexpr int kNoSdCard = 255;
constexpr int kProtuneFirstVideoMode = 7;  // video modes from "1080-30 T" on are Protune modes

constexpr char kBattery[] = "Battery: ";
constexpr char kBatteryCharging[] = "Battery: charging";
constexpr char kMinutes[] = " min";
constexpr char kNoSdCardText[] = "No SD Card";
constexpr char kMenuOpen[] = "Menu open";
constexpr char kAssertedBit1[] = "CameraStatus[19] = 2";
constexpr char kConnected[] = "Connected";
constexpr char kVideoPrefix[] = "Video ";
constexpr char kFovIndent[] = "         ";
constexpr char kPhotoIndent[] = "      ";
constexpr char kTimeLapseShort[] = "TL";
constexpr char kModeSeparator[] = " - ";
constexpr char kStreamingPath[] = "camera/PV";
constexpr char kStreamingOn[] = "02";

// clang-format off
constexpr const char* kDefaultModeItems[] = {"Video2", "Photo2", "Burst2", "TimeLapse2"};
constexpr const char* kAutoPowerOffItems[] = {
    "Never1", "N60seconds2", "N120seconds1", "N300seconds1"};
constexpr const char* kFovItems[] = {"Wide1", "Medium1", "Narrow1"};
constexpr const char* kPhotoResolutionItems[] = {
    "N11MPWide1", "N8MPMedium1", "N5MPWide1", "N5MPMedium1", "N7MPWide1", "N7MPMedium1",
    "N12MPMedium4000x30001", "N4", "N10MPWide3680x23401"};
constexpr const char* kVideoModeItems[] = {
    "WVGA60501", "WVGA1201001", "N72030251", "N72060501", "N96030251", "N96048501",
    "N108030251", "N108030T1", "N108024T1", "N96048T1", "N72060T1", "N108025T1"};
constexpr const char* kBeepItems[] = {"Off1", "N701", "N1001"};
constexpr const char* kLedsItems[] = {"OFF2", "N2LEDs1", "N4LEDs1"};
// "1 hour or more" (index 7) is cleared with the others but never checked.
constexpr const char* kIntervalItems[] = {
    "N05seconds1", "N1second1", "N2seconds1", "N5seconds1", "N10seconds1", "N30second1",
    "N60seconds1", "Greaterthan60seconds1"};
// clang-format on

enum SettingsIndex {
  kDefaultMode,
  kAutoPowerOff,
  kFov,
  kPhotoResolution,
  kVideoMode,
  kBeep,
  kLeds,
  kInterval
};

constexpr SettingsMenuSpec kSettings[] = {
    {"DefaultMode", kDefaultModeByte, kDefaultModeItems},
    {"AutoPowerOff", kAutoPowerOffByte, kAutoPowerOffItems},
    {"VideoFOV", kFovByte, kFovItems},
    {"PhotoResolution", kPhotoResolutionByte, kPhotoResolutionItems},
    {"VideoMode", kVideoModeByte, kVideoModeItems},
    {"Beep", kBeepByte, kBeepItems},
    {"LEDs", kLedsByte, kLedsItems},
    {"TimeLapseInterval", kIntervalByte, kIntervalItems},
};

// Interval code (seconds, 0 = half a second) to item index.
struct IntervalRow {
  int code;
  int index;
};
constexpr IntervalRow kIntervals[] = {{0, 0}, {1, 1},  {2, 2},  {3, 3}, {4, 4},
                                      {5, 3}, {10, 4}, {30, 5}, {60, 6}};

struct ModeRow {
  int code;
  const char* item;     // checked for this mode; nullptr: none
  const char* caption;  // ModeL
};
constexpr char kVideoCaption[] = "Video";
constexpr char kPhotoMode[] = "Photo";
constexpr char kBurstMode[] = "Burst";
constexpr char kTimeLapseMode[] = "Time Lapse";
constexpr int kVideoCode = 0;
constexpr int kMenuCode = 7;
constexpr ModeRow kModes[] = {
    {kVideoCode, "Video1", kVideoCaption},
    {1, "Photo1", kPhotoMode},
    {2, "Burst1", kBurstMode},
    {3, "TimeLapse1", kTimeLapseMode},
    {4, "Countdown1", "Count Down"},
    {kMenuCode, nullptr, "Menu"},
};
constexpr const char* kModeItems[] = {"Video1",     "Photo1",     "Burst1",
                                      "TimeLapse1", "Countdown1", "Protune1"};
// Modes whose caption is followed by the photo resolution.
constexpr const char* kPhotoModes[] = {kPhotoMode, kBurstMode, kTimeLapseMode};

enum class FlagEffect { kStreaming, kErrorWhenSet, kOrientation, kCheck, kVideoStandard, kStar };
struct FlagRow {
  std::uint8_t mask;
  FlagEffect effect;
  const char* component;
};
constexpr FlagRow kFlags[] = {
    {0x01, FlagEffect::kStreaming, "StreamingEnabled"},
    {0x02, FlagEffect::kErrorWhenSet, nullptr},
    {0x04, FlagEffect::kOrientation, "Orientation1"},
    {0x08, FlagEffect::kCheck, "OneButtonMode"},
    {0x10, FlagEffect::kCheck, "OSD"},
    {0x20, FlagEffect::kVideoStandard, nullptr},
    {0x40, FlagEffect::kCheck, "Locate"},
    {0x80, FlagEffect::kStar, "CameraStatusL"},
};
constexpr std::uint8_t kPalMask = 0x20;

// Cameras whose battery byte is a raw reading: percent = min(100, reading * 100 / divisor).
struct BatteryScale {
  int model;
  int divisor;
};
constexpr BatteryScale kBatteryScales[] = {{3, 72}, {2, 76}};  // Hero 3 Silver, Hero 3 White
constexpr int kBatteryFullPercent = 100;

// Messages name a byte by its 1-based position.
std::string RangeError(int index, int value) {
  return "CameraStatus[" + std::to_string(index + 1) + "] error " + std::to_string(value);
}

int Word(const Record& r, int index) { return 256 * r[index] + r[index + 1]; }

void SetCaption(ComponentModel& model, const char* name, std::string text) {
  model.Get(name).SetCaption(std::move(text));
}

void CheckIndex(ComponentModel& model, const SettingsMenuSpec& menu, std::size_t index) {
  for (const char* item : menu.items) model.Get(item).SetChecked(false);
  model.Get(menu.items[index]).SetChecked(true);
}

// A value the menu has no item for is logged and leaves the menu as it was.
void ApplySetting(const Record& r, const SettingsMenuSpec& menu, ComponentModel& model,
                  StatusActions& actions) {
  const int value = r[menu.byte];
  if (static_cast<std::size_t>(value) < menu.items.size())
    CheckIndex(model, menu, value);
  else
    actions.LogError(RangeError(menu.byte, value));
}

void ApplyInterval(const Record& r, ComponentModel& model, StatusActions& actions) {
  const int code = r[kIntervalByte];
  for (const IntervalRow& row : kIntervals) {
    if (row.code == code) {
      CheckIndex(model, kSettings[kInterval], row.index);
      return;
    }
  }
  actions.LogError(RangeError(kIntervalByte, code));
}

void ApplyBattery(const Record& r, ComponentModel& model, const CameraState& state) {
  const int reading = r[kBatteryByte];
  std::string text = kBattery + std::to_string(reading & 0x7f) + "%";
  for (const BatteryScale& scale : kBatteryScales) {
    if (scale.model == state.CameraModel) {
      const int percent = std::min(kBatteryFullPercent, reading * 100 / scale.divisor);
      text = kBattery + std::to_string(percent) + "%";
    }
  }
  if (reading > kBatteryFullPercent) text = kBatteryCharging;
  SetCaption(model, "CamBat", std::move(text));
}

void ApplyCounts(const Record& r, ComponentModel& model) {
  SetCaption(model, "Photos", std::to_string(Word(r, kPhotosByte)));
  SetCaption(model, "PhotosAvailable", std::to_string(Word(r, kPhotosAvailableByte)));
  SetCaption(model, "Videos", std::to_string(r[kVideosByte]));
  SetCaption(model, "VideoAvailable", std::to_string(Word(r, kVideoAvailableByte)) + kMinutes);
}

// The video captions read the VideoMode and VideoFOV check marks before this record's own
// values are applied, so they show what the previous record said.
void ApplyMode(const Record& r, ComponentModel& model, StatusActions& actions) {
  for (const char* item : kModeItems) model.Get(item).SetChecked(false);
  Component& mode_l = model.Get("ModeL");
  Component& mode2_l = model.Get("Mode2L");
  mode_l.SetCaption("");
  mode2_l.SetCaption("");
  const int code = r[kModeByte];
  const ModeRow* row = nullptr;
  for (const ModeRow& m : kModes)
    if (m.code == code) row = &m;
  if (!row) {
    actions.LogError(RangeError(kModeByte, code));
    return;
  }
  if (row->item) model.Get(row->item).SetChecked(true);
  if (code == kMenuCode) SetCaption(model, "StatusBar", kMenuOpen);
  mode_l.SetCaption(row->caption);
  if (code != kVideoCode) return;
  const auto& video_modes = kSettings[kVideoMode].items;
  for (std::size_t i = 0; i < video_modes.size(); ++i) {
    const Component& item = model.Get(video_modes[i]);
    if (!item.Checked()) continue;
    mode_l.SetCaption(kVideoPrefix + item.Caption());
    if (i >= kProtuneFirstVideoMode) model.Get("Protune1").SetChecked(true);
  }
  for (const char* name : kSettings[kFov].items) {
    const Component& item = model.Get(name);
    if (item.Checked()) mode2_l.SetCaption(kFovIndent + item.Caption());
  }
}

void ApplyVideoStandard(bool pal, ComponentModel& model) {
  model.Get("NTSC1").SetChecked(!pal);
  model.Get("PAL1").SetChecked(pal);
}

void ApplyFlags(const Record& r, ComponentModel& model, const CameraState& state,
                StatusActions& actions) {
  const std::uint8_t flags = r[kFlagsByte];
  for (const FlagRow& row : kFlags) {
    const bool set = (flags & row.mask) != 0;
    switch (row.effect) {
      case FlagEffect::kStreaming:
        model.Get(row.component).SetChecked(set);
        if (set && !state.ClockKnown) actions.ReadCameraClock();
        // The preview stream must stay on for the preview button to work at once.
        if (!model.Get(row.component).Checked()) actions.SendCommand(kStreamingPath, kStreamingOn);
        break;
      case FlagEffect::kErrorWhenSet:
        if (set) actions.LogError(kAssertedBit1);
        break;
      case FlagEffect::kOrientation:
        SetCaption(model, row.component, set ? kOrientationUpCaption : kOrientationDownCaption);
        break;
      case FlagEffect::kCheck:
        model.Get(row.component).SetChecked(set);
        break;
      case FlagEffect::kVideoStandard:
        ApplyVideoStandard(set, model);
        break;
      case FlagEffect::kStar:
        if (set) {
          Component& label = model.Get(row.component);
          label.SetCaption(label.Caption() + "*");
        }
        break;
    }
  }
  model.Get("NTSC1").SetChecked(false);
  model.Get("PAL1").SetChecked(false);
  ApplyVideoStandard((flags & kPalMask) != 0, model);
}

// "Photo - 11 MP Wide " over "      3840 x 2880": the resolution split at its first "-".
void ApplyPhotoCaption(ComponentModel& model) {
  Component& mode_l = model.Get("ModeL");
  if (std::find_if(std::begin(kPhotoModes), std::end(kPhotoModes),
                   [&](const char* m) { return mode_l.Caption() == m; }) == std::end(kPhotoModes))
    return;
  for (const char* name : kSettings[kPhotoResolution].items) {
    const Component& item = model.Get(name);
    if (!item.Checked()) continue;
    if (mode_l.Caption() == kTimeLapseMode) mode_l.SetCaption(kTimeLapseShort);
    const std::string& caption = item.Caption();
    const std::size_t dash = caption.find('-');
    const std::size_t head = dash == std::string::npos ? 0 : dash;
    const std::size_t tail = dash == std::string::npos ? 1 : dash + 2;
    mode_l.SetCaption(mode_l.Caption() + kModeSeparator + caption.substr(0, head));
    model.Get("Mode2L").SetCaption(kPhotoIndent +
                                   caption.substr(std::min(tail, caption.size()), 99));
  }
}

void ApplyTime(const Record& r, ComponentModel& model) {
  char text[16];
  std::snprintf(text, sizeof text, "%2.2d:%2.2d", r[kTimeHighByte], r[kTimeLowByte]);
  SetCaption(model, "Time", text);
}

void Apply(const Record& r, ComponentModel& model, const CameraState& state,
           StatusActions& actions) {
  SetCaption(model, "Cam", CameraDump(r));
  ApplyBattery(r, model, state);
  ApplyCounts(r, model);
  ApplyMode(r, model, actions);
  Component& record_btn = model.Get("RecordBtn");
  if (record_btn.Caption() != kStopCaption)
    record_btn.SetCaption(model.Get("Video1").Checked() ? kRecordCaption : kTakePhotoCaption);
  if (r[kVideoAvailableByte] == kNoSdCard) SetCaption(model, "StatusBar", kNoSdCardText);
  if (r[kCheckedValueByte] > kCheckedValueMax)
    actions.LogError(RangeError(kCheckedValueByte, r[kCheckedValueByte]));
  const int spot = r[kSpotMeterByte];
  if (spot <= 1)
    model.Get("SpotMeter1").SetChecked(spot == 1);
  else
    actions.LogError(RangeError(kSpotMeterByte, spot));
  ApplyFlags(r, model, state, actions);
  for (SettingsIndex s : {kVideoMode, kFov, kPhotoResolution})
    ApplySetting(r, kSettings[s], model, actions);
  ApplyPhotoCaption(model);
  ApplyInterval(r, model, actions);
  for (SettingsIndex s : {kBeep, kDefaultMode, kLeds, kAutoPowerOff})
    ApplySetting(r, kSettings[s], model, actions);
  ApplyTime(r, model);
}

}  // namespace

std::span<const SettingsMenuSpec> CameraSettingsMenus() { return kSettings; }

bool DecodeCameraStatus(const std::uint8_t* data, int len, ComponentModel& model,
                        CameraState& state, StatusActions& actions) {
  if (!data || len < kMinCameraStatusLength) return false;
  Record& r = state.CameraStatus;
  r.fill(0);
  try {
    Component& status_bar = model.Get("StatusBar");
    if (status_bar.Caption().find(kConnected) == std::string::npos) status_bar.SetCaption("");
    std::copy_n(data, r.size(), r.begin());
    Apply(r, model, state, actions);
  } catch (const std::exception&) {
    // A half-decoded record keeps what it set; the next poll brings a fresh one.
  }
  return true;
}

}  // namespace kivo
