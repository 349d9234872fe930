// Passwords per camera: with several cameras each has its own, kept as rows of Kivo.ini's
// [Cameras] section keyed by the interface that leads to the camera or by the name of the
// camera's Wi-Fi network. Pure functions; any thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kivo {

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

}  // namespace kivo
