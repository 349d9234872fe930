// Passwords per camera: with several cameras each has its own, kept as rows of Kivo.ini's
// [Cameras] section keyed by the interface that leads to the camera or by the name of the
// camera's Wi-Fi network. CameraPassword is pure; PasswordFromSettings reads the settings file
// and may ask the system for a network's name, which blocks: keep it off the UI thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kivo {

class IniFile;

inline constexpr char kCamerasSection[] = "Cameras";

struct CameraPasswordRow {
  std::string key;       // an interface name or a Wi-Fi network name
  std::string password;  // may be empty: a camera without a password
};

// The password of the camera behind |interface_name|: the row for the interface, else the row
// for its Wi-Fi network |ssid| (ignored when ""); nullopt when neither has one. Keys compare
// without regard to ASCII case, as Kivo.ini's keys do.
std::optional<std::string> CameraPassword(std::string_view interface_name, std::string_view ssid,
                                          std::span<const CameraPasswordRow> rows);

// The password for the camera behind |interface_name|, as both the window and kivo-cli read it:
// the interface's [Cameras] row, else the row of its Wi-Fi network (asked of the system only when
// [Cameras] has rows but none for the interface: it takes a moment), else |password| (the one
// password of [BacPac]). |ini| may be null (no settings file); "" as |interface_name| means the
// camera the system routes to, which has no row.
std::string PasswordFromSettings(const std::string& interface_name, const IniFile* ini,
                                 const std::string& password);

}  // namespace kivo
