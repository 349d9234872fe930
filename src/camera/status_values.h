// What the two status records say, as values: the BacPac record (/bacpac/se) and the camera
// record (/camera/se) decoded byte by byte, with nothing of any window in them. The decoders in
// bacpac_status.h and camera_status.h make them; the main window turns them into its captions
// and check marks, kivo-cli into text and JSON. Plain values; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kivo {

inline constexpr std::size_t kBacPacStatusBytes = 16;
inline constexpr std::size_t kCameraStatusBytes = 31;

enum class CameraPower { kOff, kOn, kUnknown };
// Byte 8: whether the camera lets the user shoot and preview now.
enum class Readiness { kReady, kBusy, kUnknown };

// Model codes of byte 12 the program knows.
enum ModelCode : int {
  kModelHero2 = 1,
  kModelHero3White = 2,
  kModelHero3Silver = 3,
  kModelHero3Black = 4,
  kModelHero3PlusSilver = 10,
  kModelHero3PlusBlack = 11,
  kModelUnnamedCamera = 255,
};

struct BacPacStatus {
  std::array<std::uint8_t, kBacPacStatusBytes> raw{};  // the record, zero after the reply's end
  bool password_refused = false;  // the reply starts with "403": nothing else is meaningful
  CameraPower power = CameraPower::kUnknown;
  int power_code = 0;  // byte 9
  Readiness readiness = Readiness::kUnknown;
  int readiness_code = 0;  // byte 8
  int model_code = 0;      // byte 12
  bool model_known = false;
  // Byte 1, the Wi-Fi add-on's own battery in percent (above 100: charging); only a HERO2 runs
  // on it, so it is empty for every other model.
  std::optional<int> wifi_battery;
  int connection_code = 0;       // byte 14
  bool power_switchable = false;  // bit 0 of byte 14: the add-on can switch the camera on or off
  bool recording = false;         // byte 5
  // A printable byte where the power code belongs: the reply is a text page, not a record.
  bool text_reply = false;
};

enum class CaptureMode { kVideo, kPhoto, kBurst, kTimeLapse, kCountdown, kMenu };

// The settings of the camera record, in the order of CameraSettingsMenus().
enum class CameraSetting {
  kDefaultMode,
  kAutoPowerOff,
  kFov,
  kPhotoResolution,
  kVideoMode,
  kBeep,
  kLeds,
  kInterval,
};
inline constexpr std::size_t kCameraSettingCount = 8;

struct CameraFlags {  // byte 18, bit 0 first
  bool streaming = false;
  bool bit1 = false;  // set only on a fault of the camera; logged
  bool orientation_down = false;  // the picture is taken upside down
  bool one_button = false;
  bool osd = false;
  bool pal = false;
  bool locate = false;
  bool bit7 = false;
};

struct Battery {
  bool charging = false;
  int percent = 0;
};

struct CameraStatus {
  std::array<std::uint8_t, kCameraStatusBytes> raw{};
  std::optional<CaptureMode> mode;  // empty: a code no mode stands for (in raw[1])
  // Each setting as the index of its menu item; empty when the camera reported a value no item
  // stands for (the value is in raw, at the setting's byte).
  std::array<std::optional<int>, kCameraSettingCount> settings{};
  std::optional<bool> spot_meter;    // byte 4
  int battery_reading = 0;           // byte 19, before scaling (see CameraBattery)
  int photos_available = 0;          // bytes 21-22
  int photos = 0;                    // bytes 23-24
  int video_minutes_available = 0;   // bytes 25-26
  int videos = 0;                    // byte 28
  bool no_sd_card = false;           // byte 25 is 255
  int time_high = 0;                 // byte 13, shown as the recording time's first two digits
  int time_low = 0;                  // byte 14
  bool checked_value_ok = true;      // byte 30 is 0-6
  CameraFlags flags;

  std::optional<int> Setting(CameraSetting s) const {
    return settings[static_cast<std::size_t>(s)];
  }
};

}  // namespace kivo
