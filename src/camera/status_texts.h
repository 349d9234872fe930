// The texts both views say about the status records, made from the decoded values: the model's
// name, the batteries, the recording time, the mode captions, the lines the main window logs for
// a record and the status bar line it leaves. The main window (forms/status_view.cpp) shows them
// in its captions; kivo-cli prints them. Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "camera/status_values.h"

namespace kivo {

inline constexpr char kCameraOffStatus[] = "Connected Camera is off";
inline constexpr char kCameraOnStatus[] = "Connected Camera is on";
inline constexpr char kMenuOpenStatus[] = "Menu open";
inline constexpr char kNoSdCardStatus[] = "No SD Card";
inline constexpr char kBatteryLabel[] = "Battery: ";
inline constexpr char kWiFiBatteryLabel[] = "WiFi Battery:\r";
inline constexpr char kMinutesSuffix[] = " min";

// The group box caption for |code| (blanks included), or nullptr for a code the program does not
// know (the caption then stays as it was).
const char* ModelCaption(int code);
// The model's name: "Hero 3 Black"; "Camera" for a camera that does not say or a code the program
// does not know.
std::string ModelName(int code);

// "57%", or "Charging" above 100.
std::string WiFiBatteryValue(int percent);
// "87%" or "charging".
std::string BatteryValue(const Battery& battery);
// Bytes 13 and 14 as "mm:ss".
std::string RecordingTime(const CameraStatus& status);

// The lines the main window logs for a record, in its order.
std::vector<std::string> BacPacNotes(const BacPacStatus& status);
std::vector<std::string> CameraNotes(const CameraStatus& status);
// One of those lines: "BacPacStatus[N] is V" and "CameraStatus[N] error V" (N 1-based).
std::string BacPacByteNote(int index, int value);
std::string CameraByteNote(int index, int value);
// "BacPacStatus: " and the record's characters up to the first zero byte.
std::string BacPacTextNote(const BacPacStatus& status);
inline constexpr char kCameraBit1Note[] = "CameraStatus[19] = 2";

// The status bar line a window that showed nothing before is left with after showing |bacpac| and
// then |camera| (nullptr: no camera record was read).
std::string StatusLine(const BacPacStatus& bacpac, const CameraStatus* camera);

// The two mode labels: the mode ("Video 1080-30 T", "Photo - 11 MP Wide ") and the line below it
// (the field of view or the resolution's size), blanks included.
struct ModeCaptions {
  std::string mode;
  std::string detail;
};
// "Video", "Photo", "Burst", "Time Lapse", "Count Down", "Menu"; "" for an unknown mode.
ModeCaptions CaptureModeCaptions(std::optional<CaptureMode> mode);
// Video mode: the video mode's and the field of view's item captions (nullptr: none checked).
void AddVideoCaptions(ModeCaptions& captions, const char* video_mode, const char* fov);
// Photo, burst and time-lapse: the photo resolution's item caption, split at its first "-".
void AddPhotoCaption(ModeCaptions& captions, const std::string& resolution);
// Photo, burst and time-lapse take the photo resolution after them.
bool ShowsPhotoResolution(std::optional<CaptureMode> mode);
// The menu item caption of |setting|'s item |index|.
const char* SettingItemCaption(CameraSetting setting, int index);
// The labels as the main window shows them from its second poll of |status| on.
ModeCaptions StatusModeCaptions(const CameraStatus& status);

}  // namespace kivo
