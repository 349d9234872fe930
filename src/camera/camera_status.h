// Decode of the camera status record (reply of /camera/se): mode, every setting, battery,
// counts, recording time and flags. A pure function of the reply's bytes; any thread. The main
// window shows the value (forms/status_view.h), kivo-cli prints it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "camera/status_values.h"

namespace kivo {

// Shortest reply that is a record; anything up to 30 bytes is dropped unread.
inline constexpr int kMinCameraStatusLength = 31;

// Empty when |reply| is shorter than kMinCameraStatusLength; otherwise its first 31 bytes,
// decoded.
std::optional<CameraStatus> DecodeCameraStatus(std::span<const std::uint8_t> reply);

// The camera's battery: a HERO3 Silver or White (|camera_model|, byte 12 of the BacPac record)
// reports a raw reading that is scaled to percent; any reading above 100 means charging.
Battery CameraBattery(const CameraStatus& status, int camera_model);

// A settings menu of the main window: the menu, the record byte that sets it, and its items by
// the index the decode gives (the menu item's component name).
struct SettingsMenuSpec {
  const char* menu;
  int byte;  // 0-based position in the record
  std::span<const char* const> items;
};
// In CameraSetting order.
std::span<const SettingsMenuSpec> CameraSettingsMenus();
const SettingsMenuSpec& SettingsMenu(CameraSetting setting);

// The Mode menu's item checked for |mode|; nullptr for the camera's menu.
const char* ModeItem(CaptureMode mode);
// Video modes from "1080-30 T" on are Protune modes.
bool IsProtuneVideoMode(int index);

// The caption of the window's Orientation1 item, which names the orientation a click switches to:
// "&Orientation Up" while the picture is taken upside down.
const char* OrientationItemCaption(bool orientation_down);

// Whether the main window shows menu item |item| checked for |status|, as it does from its second
// poll of the same record on (the video captions and Protune follow the previous record's check
// marks). The capture modes, Protune, every settings item, the spot meter, the stream, one-button
// mode, OSD, Locate and the video standard; false for any other name.
bool StatusChecks(const CameraStatus& status, std::string_view item);

// Record bytes the window's messages name (0-based).
inline constexpr int kCameraModeByte = 1;
inline constexpr int kCameraSpotMeterByte = 4;
inline constexpr int kCameraCheckedValueByte = 30;

}  // namespace kivo
