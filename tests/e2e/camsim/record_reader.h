// Test support: reads the status records back the way the program decodes them (battery rule,
// big-endian counts, the time label, the flag bits), so the tests can say what a person would see.
#pragma once

#include <cstdint>
#include <string>

namespace kivo::camsim::testing {

struct CameraView {
  std::string battery;      // "Battery: 99%" or "Battery: charging"
  int photos_available = 0;
  int photos = 0;
  int video_minutes = 0;
  bool no_card = false;
  int videos = 0;
  std::string time;         // "MM:SS"
  bool streaming = false;
};

inline CameraView ReadCamera(const std::string& record, int model) {
  CameraView v;
  auto b = [&](int i) { return static_cast<int>(static_cast<uint8_t>(record.at(i))); };
  const int r = b(19);
  int value = r & 0x7f;
  if (model == 3) value = std::min(100, r * 100 / 72);
  if (model == 2) value = std::min(100, r * 100 / 76);
  v.battery = r > 100 ? "Battery: charging" : "Battery: " + std::to_string(value) + "%";
  v.photos_available = 256 * b(21) + b(22);
  v.photos = 256 * b(23) + b(24);
  v.video_minutes = 256 * b(25) + b(26);
  v.no_card = b(25) == 255;
  v.videos = b(28);
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", b(13), b(14));
  v.time = time;
  v.streaming = b(18) & 1;
  return v;
}

}  // namespace kivo::camsim::testing
