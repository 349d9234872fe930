#include "camera/bacpac_status.h"

#include <algorithm>
#include <array>
#include <string>

#include "camera/camera_state.h"
#include "camera/command_table.h"
#include "camera/command_url.h"
#include "camera/status_actions.h"
#include "ui/component.h"

namespace kivo {
namespace {

// Record layout, 0-based.
constexpr int kWiFiBatteryByte = 1;
constexpr int kRecordingByte = 5;
constexpr int kReadinessByte = 8;
constexpr int kPowerByte = 9;
constexpr int kModelByte = 12;
constexpr int kConnectionByte = 14;

constexpr Rgb kGreen{0, 128, 0};
constexpr Rgb kRed{255, 0, 0};

constexpr char kCameraOff[] = "Connected Camera is off";
constexpr char kCameraOn[] = "Connected Camera is on";
constexpr char kWiFiBattery[] = "WiFi Battery:\r";
constexpr char kCharging[] = "Charging";
constexpr char kRecordDumpPrefix[] = "BacPacStatus: ";
constexpr char kConnectionLabel[] = "Camera Connected: ";
constexpr char kReadinessLabel[] = "Camera: ";
constexpr std::array kCameraMenus{"Mode1", "Settings1", "SDCard"};

// Codes of byte 8 that let the user shoot or preview, and those that forbid it; other codes
// are logged and change nothing.
constexpr std::array<int, 3> kReadyCodes{1, 34, 82};
constexpr std::array<int, 5> kBusyCodes{0, 2, 32, 33, 80};

enum class ModelBattery { kNone, kBacPac, kCameraOnly };

struct ModelRow {
  int code;
  const char* caption;  // caption of CamPanel; the blanks are part of it
  bool CameraState::*flag;
  ModelBattery battery;
};

constexpr ModelRow kModels[] = {
    {1, "    Hero 2   ", &CameraState::Hero2, ModelBattery::kBacPac},
    {2, "    Hero 3 White   ", &CameraState::HeroWhite, ModelBattery::kCameraOnly},
    {3, "    Hero 3 Silver   ", &CameraState::HeroSilver, ModelBattery::kCameraOnly},
    {4, "    Hero 3 Black   ", &CameraState::HeroBlack, ModelBattery::kCameraOnly},
    {10, "    Hero 3+ Silver   ", &CameraState::HeroSilverPlus, ModelBattery::kCameraOnly},
    {11, "    Hero 3+ Black   ", &CameraState::HeroBlackPlus, ModelBattery::kCameraOnly},
    {255, "    Camera    ", nullptr, ModelBattery::kNone},
};

// Messages name a byte by its 1-based position.
std::string ByteError(int index, int value) {
  return "BacPacStatus[" + std::to_string(index + 1) + "] is " + std::to_string(value);
}

bool Contains(const auto& codes, int value) {
  return std::find(codes.begin(), codes.end(), value) != codes.end();
}

void SetStatusBar(ComponentModel& model, std::string text) {
  model.Get("StatusBar").SetCaption(std::move(text));
}

void ApplyPower(const std::array<std::uint8_t, kBacPacStatusBytes>& r, ComponentModel& model,
                CameraState& state, StatusActions& actions) {
  const int power = r[kPowerByte];
  if (power == 0) {
    for (const char* menu : kCameraMenus) model.Get(menu).SetEnabled(false);
    Component& on_btn = model.Get("OnBtn");
    on_btn.SetCaption(kOnCaption);
    on_btn.SetFontColor(kGreen);
    model.Get("RecordBtn").SetEnabled(false);
    model.Get("CamBat").SetCaption("");
    SetStatusBar(model, kCameraOff);
    state.ClockKnown = false;
  } else if (power == 1) {
    actions.CameraStatusRequest();
    for (const char* menu : kCameraMenus) model.Get(menu).SetEnabled(true);
    Component& on_btn = model.Get("OnBtn");
    on_btn.SetCaption(kOffCaption);
    on_btn.SetFontColor(kRed);
    model.Get("RecordBtn").SetEnabled(true);
    SetStatusBar(model, kCameraOn);
  } else {
    actions.LogError(ByteError(kPowerByte, power));
    // A printable byte here means the reply is text (an error page), not a record: log it as
    // text. A zero byte ends it, so the log never receives NUL characters.
    if (power >= 32) {
      std::string text;
      for (std::uint8_t b : r) {
        if (b == 0) break;
        text += static_cast<char>(b);
      }
      actions.LogError(kRecordDumpPrefix + text);
    }
  }
}

void ApplyReadiness(int code, ComponentModel& model, StatusActions& actions) {
  if (Contains(kReadyCodes, code) || Contains(kBusyCodes, code)) {
    const bool ready = Contains(kReadyCodes, code);
    model.Get("RecordBtn").SetEnabled(ready);
    model.Get("VLCBtn").SetEnabled(ready);
  } else {
    actions.LogError(ByteError(kReadinessByte, code));
  }
}

void ApplyModel(const std::array<std::uint8_t, kBacPacStatusBytes>& r, ComponentModel& model,
                CameraState& state, StatusActions& actions) {
  const int code = r[kModelByte];
  state.CameraModel = code;
  const ModelRow* row = nullptr;
  for (const ModelRow& m : kModels)
    if (m.code == code) row = &m;
  if (!row) {
    actions.LogError(ByteError(kModelByte, code));
    return;
  }
  model.Get("CamPanel").SetCaption(row->caption);
  if (row->flag) state.*(row->flag) = true;
  switch (row->battery) {
    case ModelBattery::kBacPac: {
      // Only the HERO2 runs on the add-on's own battery; above 100 it reports charging.
      const int percent = r[kWiFiBatteryByte];
      model.Get("BacPacBat")
          .SetCaption(std::string(kWiFiBattery) +
                      (percent > 100 ? std::string(kCharging) : std::to_string(percent) + "%"));
      break;
    }
    case ModelBattery::kCameraOnly:
      model.Get("RecordBtn").SetEnabled(true);
      model.Get("BacPacBat").SetCaption("");
      break;
    case ModelBattery::kNone:
      break;
  }
}

}  // namespace

void DecodeBacPacStatus(const std::uint8_t* data, int len, ComponentModel& model,
                        CameraState& state, StatusActions& actions) {
  auto& r = state.BacPacStatus;
  r.fill(0);
  const std::size_t n = data ? std::min<std::size_t>(std::max(len, 0), r.size()) : 0;
  std::copy_n(data, n, r.begin());
  try {
    model.Get("Bac").SetCaption(BacPacDump(r));
    if (r[0] == '4' && r[1] == '0' && r[2] == '3') {
      actions.StopBacPacPoll();
      SetStatusBar(model, kPasswordRefusedStatus);
      actions.ShowMessage(kPasswordRefusedMessage);
      return;
    }
    model.Get("GoProReady").SetCaption(kConnectionLabel + std::to_string(r[kConnectionByte]));
    model.Get("CameraStatusL").SetCaption(kReadinessLabel + std::to_string(r[kReadinessByte]));
    ApplyPower(r, model, state, actions);
    ApplyReadiness(r[kReadinessByte], model, actions);
    ApplyModel(r, model, state, actions);
    model.Get("OnBtn").SetEnabled((r[kConnectionByte] & 0x01) != 0);
    if (r[kRecordingByte] != 0) {
      model.Get("RecordBtn").SetCaption(kStopCaption);
      if (model.Get("Video1").Checked()) model.Get("VLCBtn").SetEnabled(true);
    }
  } catch (const std::exception&) {
    // A half-decoded record keeps what it set; the next poll brings a fresh one.
  }
}

}  // namespace kivo
