// Program-wide camera values that the main window keeps from the status records: the model code
// of the last BacPac record, whether the camera clock has been read, the models ever seen, and
// the last two status records. A plain value owned by the main window; loop thread only.
#pragma once

#include <array>
#include <cstdint>

#include "camera/status_values.h"

namespace kivo {

struct CameraState {
  int CameraModel = 0;      // byte 12 of the last BacPac record; scales the camera battery
  bool ClockKnown = false;  // the camera clock has been read since the camera was last seen off
  // Every model this installation has seen: set by the BacPac decode, never cleared, and kept in
  // the settings file.
  bool Hero2 = false;
  bool HeroWhite = false;
  bool HeroSilver = false;
  bool HeroBlack = false;
  bool HeroBlackPlus = false;
  bool HeroSilverPlus = false;
  // BacPac records in a row whose recording flag read zero (at most 2): the Record button leaves
  // "Stop" at the second, as the first may lag a start.
  int RecordingOffRecords = 0;
  std::array<std::uint8_t, kBacPacStatusBytes> BacPacStatus{};
  std::array<std::uint8_t, kCameraStatusBytes> CameraStatus{};
};

}  // namespace kivo
