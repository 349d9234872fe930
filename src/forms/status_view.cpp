#include "forms/status_view.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "camera/bacpac_status.h"
#include "camera/camera_state.h"
#include "camera/camera_status.h"
#include "camera/command_table.h"
#include "camera/command_url.h"
#include "camera/status_actions.h"
#include "camera/status_texts.h"
#include "ui/component.h"

namespace kivo {
namespace {

constexpr int kRecordingOffToRestore = 2;  // one record may lag a start

constexpr Rgb kGreen{0, 128, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr char kConnected[] = "Connected";
constexpr char kConnectionLabel[] = "Camera Connected: ";
constexpr char kReadinessLabel[] = "Camera: ";
constexpr char kStreamingPath[] = "camera/PV";
constexpr char kStreamingOn[] = "02";
constexpr std::array kCameraMenus{"Mode1", "Settings1", "SDCard"};
constexpr std::array kModeItems{"Video1",     "Photo1",     "Burst1",
                                "TimeLapse1", "Countdown1", "Protune1"};

// The model flag each known model sets, and whether it runs on the add-on's battery.
struct ModelFlag {
  int code;
  bool CameraState::*flag;
};
constexpr ModelFlag kModelFlags[] = {
    {kModelHero2, &CameraState::Hero2},
    {kModelHero3White, &CameraState::HeroWhite},
    {kModelHero3Silver, &CameraState::HeroSilver},
    {kModelHero3Black, &CameraState::HeroBlack},
    {kModelHero3PlusSilver, &CameraState::HeroSilverPlus},
    {kModelHero3PlusBlack, &CameraState::HeroBlackPlus},
};

void SetCaption(ComponentModel& model, const char* name, std::string text) {
  model.Get(name).SetCaption(std::move(text));
}

void ShowPower(const BacPacStatus& s, ComponentModel& model, CameraState& state,
               StatusActions& actions) {
  switch (s.power) {
    case CameraPower::kOff: {
      for (const char* menu : kCameraMenus) model.Get(menu).SetEnabled(false);
      Component& on_btn = model.Get("OnBtn");
      on_btn.SetCaption(kOnCaption);
      on_btn.SetFontColor(kGreen);
      model.Get("RecordBtn").SetEnabled(false);
      SetCaption(model, "CamBat", "");
      SetCaption(model, "StatusBar", kCameraOffStatus);
      state.ClockKnown = false;
      break;
    }
    case CameraPower::kOn: {
      actions.CameraStatusRequest();
      for (const char* menu : kCameraMenus) model.Get(menu).SetEnabled(true);
      Component& on_btn = model.Get("OnBtn");
      on_btn.SetCaption(kOffCaption);
      on_btn.SetFontColor(kRed);
      model.Get("RecordBtn").SetEnabled(true);
      SetCaption(model, "StatusBar", kCameraOnStatus);
      break;
    }
    case CameraPower::kUnknown:
      actions.LogError(BacPacByteNote(9, s.power_code));
      // A printable byte here means the reply is text (an error page): log it as text.
      if (s.text_reply) actions.LogError(BacPacTextNote(s));
      break;
  }
}

void ShowModel(const BacPacStatus& s, ComponentModel& model, CameraState& state,
               StatusActions& actions) {
  state.CameraModel = s.model_code;
  const char* caption = ModelCaption(s.model_code);
  if (!caption) {
    actions.LogError(BacPacByteNote(12, s.model_code));
    return;
  }
  SetCaption(model, "CamPanel", caption);
  for (const ModelFlag& m : kModelFlags)
    if (m.code == s.model_code) state.*(m.flag) = true;
  if (s.wifi_battery) {
    // Only the HERO2 runs on the add-on's own battery.
    SetCaption(model, "BacPacBat", kWiFiBatteryLabel + WiFiBatteryValue(*s.wifi_battery));
  } else if (s.model_code != kModelUnnamedCamera) {
    model.Get("RecordBtn").SetEnabled(true);
    SetCaption(model, "BacPacBat", "");
  }
}

// The caption "Stop" stays while the camera records; once it has stopped (by its own button as
// well as by ours) the button offers what the mode calls for again.
void ShowRecording(const BacPacStatus& s, ComponentModel& model, CameraState& state) {
  Component& record_btn = model.Get("RecordBtn");
  if (s.recording) {
    state.RecordingOffRecords = 0;
    record_btn.SetCaption(kStopCaption);
    if (model.Get("Video1").Checked()) model.Get("VLCBtn").SetEnabled(true);
    return;
  }
  state.RecordingOffRecords = std::min(state.RecordingOffRecords + 1, kRecordingOffToRestore);
  if (state.RecordingOffRecords >= kRecordingOffToRestore && record_btn.Caption() == kStopCaption)
    record_btn.SetCaption(model.Get("Video1").Checked() ? kRecordCaption : kTakePhotoCaption);
}

// Every mark is set once per record, to what the record says: a mark that stays as it was is
// not cleared and set again at every poll (each change reaches the window and its menus).
void CheckIndex(ComponentModel& model, const SettingsMenuSpec& menu, int index) {
  for (std::size_t i = 0; i < menu.items.size(); ++i)
    if (static_cast<int>(i) != index) model.Get(menu.items[i]).SetChecked(false);
  model.Get(menu.items[index]).SetChecked(true);
}

// A value the menu has no item for is logged and leaves the menu as it was.
void ShowSetting(const CameraStatus& s, CameraSetting setting, ComponentModel& model,
                 StatusActions& actions) {
  const SettingsMenuSpec& menu = SettingsMenu(setting);
  if (const std::optional<int> index = s.Setting(setting))
    CheckIndex(model, menu, *index);
  else
    actions.LogError(CameraByteNote(menu.byte, s.raw[menu.byte]));
}

// The video captions read the VideoMode and VideoFOV check marks before this record's own values
// are applied, so they show what the previous record said. Marks and captions are worked out
// first and then set once each, like CheckIndex's.
void ShowMode(const CameraStatus& s, ComponentModel& model, StatusActions& actions) {
  ModeCaptions captions = CaptureModeCaptions(s.mode);
  std::string mode_caption;
  std::string detail_caption;
  std::vector<std::string_view> marks;  // the mode items this record checks
  if (s.mode) {
    if (const char* item = ModeItem(*s.mode)) marks.push_back(item);
    mode_caption = captions.mode;
  }
  if (s.mode == CaptureMode::kVideo) {
    const auto& video_modes = SettingsMenu(CameraSetting::kVideoMode).items;
    for (std::size_t i = 0; i < video_modes.size(); ++i) {
      const Component& item = model.Get(video_modes[i]);
      if (!item.Checked()) continue;
      AddVideoCaptions(captions, item.Caption().c_str(), nullptr);
      mode_caption = captions.mode;
      if (IsProtuneVideoMode(static_cast<int>(i))) marks.push_back("Protune1");
    }
    for (const char* name : SettingsMenu(CameraSetting::kFov).items) {
      const Component& item = model.Get(name);
      if (!item.Checked()) continue;
      AddVideoCaptions(captions, nullptr, item.Caption().c_str());
      detail_caption = captions.detail;
    }
  }
  for (const char* item : kModeItems)
    if (std::find(marks.begin(), marks.end(), item) == marks.end())
      model.Get(item).SetChecked(false);
  for (std::string_view item : marks) model.Get(item).SetChecked(true);
  model.Get("ModeL").SetCaption(mode_caption);
  model.Get("Mode2L").SetCaption(detail_caption);
  if (!s.mode) {
    actions.LogError(CameraByteNote(kCameraModeByte, s.raw[kCameraModeByte]));
    return;
  }
  if (*s.mode == CaptureMode::kMenu) SetCaption(model, "StatusBar", kMenuOpenStatus);
}

void ShowVideoStandard(bool pal, ComponentModel& model) {
  model.Get("NTSC1").SetChecked(!pal);
  model.Get("PAL1").SetChecked(pal);
}

void ShowFlags(const CameraStatus& s, ComponentModel& model, const CameraState& state,
               StatusActions& actions) {
  const CameraFlags& f = s.flags;
  Component& streaming = model.Get("StreamingEnabled");
  streaming.SetChecked(f.streaming);
  if (f.streaming && !state.ClockKnown) actions.ReadCameraClock();
  // The preview stream must stay on for the preview button to work at once.
  if (!streaming.Checked()) actions.SendCommand(kStreamingPath, kStreamingOn);
  if (f.bit1) actions.LogError(kCameraBit1Note);
  SetCaption(model, "Orientation1", OrientationItemCaption(f.orientation_down));
  model.Get("OneButtonMode").SetChecked(f.one_button);
  model.Get("OSD").SetChecked(f.osd);
  ShowVideoStandard(f.pal, model);
  model.Get("Locate").SetChecked(f.locate);
  if (f.bit7) {
    Component& label = model.Get("CameraStatusL");
    label.SetCaption(label.Caption() + "*");
  }
}

// "Photo - 11 MP Wide " over "      3840 x 2880", from the resolution checked now.
void ShowPhotoCaption(const CameraStatus& s, ComponentModel& model) {
  if (!ShowsPhotoResolution(s.mode)) return;
  Component& mode_l = model.Get("ModeL");
  for (const char* name : SettingsMenu(CameraSetting::kPhotoResolution).items) {
    const Component& item = model.Get(name);
    if (!item.Checked()) continue;
    ModeCaptions captions{mode_l.Caption(), ""};
    AddPhotoCaption(captions, item.Caption());
    mode_l.SetCaption(captions.mode);
    SetCaption(model, "Mode2L", captions.detail);
  }
}

}  // namespace

void ApplyBacPacStatus(const BacPacStatus& s, ComponentModel& model, CameraState& state,
                       StatusActions& actions) {
  SetCaption(model, "Bac", BacPacDump(s.raw));
  if (s.password_refused) {
    actions.StopBacPacPoll();
    SetCaption(model, "StatusBar", kPasswordRefusedStatus);
    actions.ShowMessage(kPasswordRefusedMessage);
    return;
  }
  SetCaption(model, "GoProReady", kConnectionLabel + std::to_string(s.connection_code));
  SetCaption(model, "CameraStatusL", kReadinessLabel + std::to_string(s.readiness_code));
  ShowPower(s, model, state, actions);
  if (s.readiness == Readiness::kUnknown) {
    actions.LogError(BacPacByteNote(8, s.readiness_code));
  } else {
    const bool ready = s.readiness == Readiness::kReady;
    model.Get("RecordBtn").SetEnabled(ready);
    model.Get("VLCBtn").SetEnabled(ready);
  }
  ShowModel(s, model, state, actions);
  model.Get("OnBtn").SetEnabled(s.power_switchable);
  ShowRecording(s, model, state);
}

void ApplyCameraStatus(const CameraStatus& s, ComponentModel& model, const CameraState& state,
                       StatusActions& actions) {
  SetCaption(model, "Cam", CameraDump(s.raw));
  SetCaption(model, "CamBat", kBatteryLabel + BatteryValue(CameraBattery(s, state.CameraModel)));
  SetCaption(model, "Photos", std::to_string(s.photos));
  SetCaption(model, "PhotosAvailable", std::to_string(s.photos_available));
  SetCaption(model, "Videos", std::to_string(s.videos));
  SetCaption(model, "VideoAvailable", std::to_string(s.video_minutes_available) + kMinutesSuffix);
  ShowMode(s, model, actions);
  Component& record_btn = model.Get("RecordBtn");
  if (record_btn.Caption() != kStopCaption)
    record_btn.SetCaption(model.Get("Video1").Checked() ? kRecordCaption : kTakePhotoCaption);
  if (s.no_sd_card) SetCaption(model, "StatusBar", kNoSdCardStatus);
  if (!s.checked_value_ok)
    actions.LogError(CameraByteNote(kCameraCheckedValueByte, s.raw[kCameraCheckedValueByte]));
  if (s.spot_meter)
    model.Get("SpotMeter1").SetChecked(*s.spot_meter);
  else
    actions.LogError(CameraByteNote(kCameraSpotMeterByte, s.raw[kCameraSpotMeterByte]));
  ShowFlags(s, model, state, actions);
  for (CameraSetting setting :
       {CameraSetting::kVideoMode, CameraSetting::kFov, CameraSetting::kPhotoResolution})
    ShowSetting(s, setting, model, actions);
  ShowPhotoCaption(s, model);
  for (CameraSetting setting : {CameraSetting::kInterval, CameraSetting::kBeep,
                                CameraSetting::kDefaultMode, CameraSetting::kLeds,
                                CameraSetting::kAutoPowerOff})
    ShowSetting(s, setting, model, actions);
  SetCaption(model, "Time", RecordingTime(s));
}

void ShowBacPacStatus(const std::uint8_t* data, int len, ComponentModel& model,
                      CameraState& state, StatusActions& actions) {
  const std::size_t n = data ? std::min<std::size_t>(std::max(len, 0), kBacPacStatusBytes) : 0;
  const BacPacStatus status = DecodeBacPacStatus({data, n});
  state.BacPacStatus = status.raw;
  try {
    ApplyBacPacStatus(status, model, state, actions);
  } catch (const std::exception&) {
    // A half-shown record keeps what it set; the next poll brings a fresh one.
  }
}

bool ShowCameraStatus(const std::uint8_t* data, int len, ComponentModel& model,
                      CameraState& state, StatusActions& actions) {
  if (!data || len < kMinCameraStatusLength) return false;
  const std::optional<CameraStatus> status =
      DecodeCameraStatus({data, static_cast<std::size_t>(len)});
  state.CameraStatus.fill(0);
  try {
    Component& status_bar = model.Get("StatusBar");
    if (status_bar.Caption().find(kConnected) == std::string::npos) status_bar.SetCaption("");
    state.CameraStatus = status->raw;
    ApplyCameraStatus(*status, model, state, actions);
  } catch (const std::exception&) {
    // A half-shown record keeps what it set; the next poll brings a fresh one.
  }
  return true;
}

}  // namespace kivo
