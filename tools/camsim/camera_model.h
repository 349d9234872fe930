// The cameras the simulator can play: for each model code, the status records of a freshly
// powered, idle camera (recorded from real cameras where we have them), its readiness codes and
// how it scales its battery byte. Plain constant data, usable from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kivo::camsim {

inline constexpr int kBacPacRecordSize = 16;
inline constexpr int kCameraRecordSize = 31;

using BacPacRecord = std::array<uint8_t, kBacPacRecordSize>;
using CameraRecord = std::array<uint8_t, kCameraRecordSize>;

struct ModelProfile {
  int code;                 // byte 12 of the BacPac record
  std::string_view name;    // shown on the media server's front page and in photo metadata
  BacPacRecord bacpac;      // camera on and idle
  CameraRecord camera;      // the same moment, camera side
  uint8_t ready_on;         // BacPac byte 8 while the camera is on
  uint8_t ready_off;        // ... while it is off
  uint8_t ready_booting;    // ... while it is starting up
  int battery_full;         // raw battery value this model reports for a full battery
};

// Null when the code is not one the simulator plays.
const ModelProfile* FindModel(int code);
std::span<const ModelProfile> AllModels();

}  // namespace kivo::camsim
