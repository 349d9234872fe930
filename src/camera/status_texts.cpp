#include "camera/status_texts.h"

#include <cstdio>

#include "camera/camera_status.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

constexpr int kReadinessByte = 8;
constexpr int kPowerByte = 9;
constexpr int kModelByte = 12;

struct ModelRow {
  int code;
  const char* name;
  const char* caption;  // the window's group box; the blanks are part of it
};
constexpr ModelRow kModels[] = {
    {kModelHero2, "Hero 2", "    Hero 2   "},
    {kModelHero3White, "Hero 3 White", "    Hero 3 White   "},
    {kModelHero3Silver, "Hero 3 Silver", "    Hero 3 Silver   "},
    {kModelHero3Black, "Hero 3 Black", "    Hero 3 Black   "},
    {kModelHero3PlusSilver, "Hero 3+ Silver", "    Hero 3+ Silver   "},
    {kModelHero3PlusBlack, "Hero 3+ Black", "    Hero 3+ Black   "},
    {kModelUnnamedCamera, "Camera", "    Camera    "},
};
constexpr char kUnknownModelName[] = "Camera";

constexpr char kFovIndent[] = "         ";
constexpr char kPhotoIndent[] = "      ";
constexpr char kVideoPrefix[] = "Video ";
constexpr char kTimeLapseShort[] = "TL";
constexpr char kModeSeparator[] = " - ";
constexpr char kConnected[] = "Connected";

struct ModeText {
  CaptureMode mode;
  const char* caption;
};
constexpr ModeText kModeTexts[] = {
    {CaptureMode::kVideo, "Video"},       {CaptureMode::kPhoto, "Photo"},
    {CaptureMode::kBurst, "Burst"},       {CaptureMode::kTimeLapse, "Time Lapse"},
    {CaptureMode::kCountdown, "Count Down"}, {CaptureMode::kMenu, "Menu"},
};

// The settings in the order the window checks their range after the flags.
constexpr CameraSetting kVideoSettings[] = {CameraSetting::kVideoMode, CameraSetting::kFov,
                                            CameraSetting::kPhotoResolution,
                                            CameraSetting::kInterval};
constexpr CameraSetting kOtherSettings[] = {CameraSetting::kBeep, CameraSetting::kDefaultMode,
                                            CameraSetting::kLeds, CameraSetting::kAutoPowerOff};

}  // namespace

const char* ModelCaption(int code) {
  for (const ModelRow& row : kModels)
    if (row.code == code) return row.caption;
  return nullptr;
}

std::string ModelName(int code) {
  for (const ModelRow& row : kModels)
    if (row.code == code) return row.name;
  return kUnknownModelName;
}

std::string WiFiBatteryValue(int percent) {
  return percent > 100 ? "Charging" : std::to_string(percent) + "%";
}

std::string BatteryValue(const Battery& battery) {
  return battery.charging ? "charging" : std::to_string(battery.percent) + "%";
}

std::string RecordingTime(const CameraStatus& status) {
  char text[16];
  std::snprintf(text, sizeof text, "%2.2d:%2.2d", status.time_high, status.time_low);
  return text;
}

std::string BacPacByteNote(int index, int value) {
  return "BacPacStatus[" + std::to_string(index + 1) + "] is " + std::to_string(value);
}

std::string CameraByteNote(int index, int value) {
  return "CameraStatus[" + std::to_string(index + 1) + "] error " + std::to_string(value);
}

std::string BacPacTextNote(const BacPacStatus& status) {
  // A zero byte ends the text, so the log never receives NUL characters.
  std::string text = "BacPacStatus: ";
  for (std::uint8_t b : status.raw) {
    if (b == 0) break;
    text += static_cast<char>(b);
  }
  return text;
}

std::vector<std::string> BacPacNotes(const BacPacStatus& s) {
  std::vector<std::string> notes;
  if (s.password_refused) return notes;
  if (s.power == CameraPower::kUnknown) {
    notes.push_back(BacPacByteNote(kPowerByte, s.power_code));
    if (s.text_reply) notes.push_back(BacPacTextNote(s));
  }
  if (s.readiness == Readiness::kUnknown)
    notes.push_back(BacPacByteNote(kReadinessByte, s.readiness_code));
  if (!s.model_known) notes.push_back(BacPacByteNote(kModelByte, s.model_code));
  return notes;
}

std::vector<std::string> CameraNotes(const CameraStatus& s) {
  std::vector<std::string> notes;
  auto check = [&](CameraSetting setting) {
    const int byte = SettingsMenu(setting).byte;
    if (!s.Setting(setting)) notes.push_back(CameraByteNote(byte, s.raw[byte]));
  };
  if (!s.mode) notes.push_back(CameraByteNote(kCameraModeByte, s.raw[kCameraModeByte]));
  if (!s.checked_value_ok)
    notes.push_back(CameraByteNote(kCameraCheckedValueByte, s.raw[kCameraCheckedValueByte]));
  if (!s.spot_meter)
    notes.push_back(CameraByteNote(kCameraSpotMeterByte, s.raw[kCameraSpotMeterByte]));
  if (s.flags.bit1) notes.push_back(kCameraBit1Note);
  for (CameraSetting setting : kVideoSettings) check(setting);
  for (CameraSetting setting : kOtherSettings) check(setting);
  return notes;
}

std::string StatusLine(const BacPacStatus& bacpac, const CameraStatus* camera) {
  std::string line;
  if (bacpac.password_refused) return line;
  if (bacpac.power == CameraPower::kOff) line = kCameraOffStatus;
  if (bacpac.power == CameraPower::kOn) line = kCameraOnStatus;
  for (const std::string& note : BacPacNotes(bacpac)) line = note;
  if (!camera) return line;
  // The camera record's decode clears a line that does not report the connection, then says
  // (in this order) the mode's trouble or the open menu, a missing card, and its other notes.
  if (line.find(kConnected) == std::string::npos) line.clear();
  const std::vector<std::string> notes = CameraNotes(*camera);
  std::size_t next = 0;
  if (!camera->mode)
    line = notes[next++];
  else if (*camera->mode == CaptureMode::kMenu)
    line = kMenuOpenStatus;
  if (camera->no_sd_card) line = kNoSdCardStatus;
  for (; next < notes.size(); ++next) line = notes[next];
  return line;
}

ModeCaptions CaptureModeCaptions(std::optional<CaptureMode> mode) {
  for (const ModeText& row : kModeTexts)
    if (mode == row.mode) return {row.caption, ""};
  return {};
}

void AddVideoCaptions(ModeCaptions& captions, const char* video_mode, const char* fov) {
  if (video_mode) captions.mode = kVideoPrefix + std::string(video_mode);
  if (fov) captions.detail = kFovIndent + std::string(fov);
}

void AddPhotoCaption(ModeCaptions& captions, const std::string& resolution) {
  // "Photo - 11 MP Wide " over "      3840 x 2880": the resolution split at its first "-".
  if (captions.mode == "Time Lapse") captions.mode = kTimeLapseShort;
  const std::size_t dash = resolution.find('-');
  const std::size_t head = dash == std::string::npos ? 0 : dash;
  const std::size_t tail = dash == std::string::npos ? 1 : dash + 2;
  captions.mode += kModeSeparator + resolution.substr(0, head);
  captions.detail = kPhotoIndent + resolution.substr(std::min(tail, resolution.size()), 99);
}

bool ShowsPhotoResolution(std::optional<CaptureMode> mode) {
  return mode == CaptureMode::kPhoto || mode == CaptureMode::kBurst ||
         mode == CaptureMode::kTimeLapse;
}

const char* SettingItemCaption(CameraSetting setting, int index) {
  const auto& items = SettingsMenu(setting).items;
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return nullptr;
  const MenuSpec* spec = FindMenuSpec(items[index]);
  return spec ? spec->caption : nullptr;
}

ModeCaptions StatusModeCaptions(const CameraStatus& s) {
  ModeCaptions captions = CaptureModeCaptions(s.mode);
  auto caption = [&](CameraSetting setting) -> const char* {
    const std::optional<int> index = s.Setting(setting);
    return index ? SettingItemCaption(setting, *index) : nullptr;
  };
  if (s.mode == CaptureMode::kVideo)
    AddVideoCaptions(captions, caption(CameraSetting::kVideoMode), caption(CameraSetting::kFov));
  if (ShowsPhotoResolution(s.mode))
    if (const char* resolution = caption(CameraSetting::kPhotoResolution))
      AddPhotoCaption(captions, resolution);
  return captions;
}

}  // namespace kivo
