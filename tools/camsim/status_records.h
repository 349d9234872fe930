// Builds the two binary status records from the camera state: the 16-byte BacPac record
// (/bacpac/se) and the 31-byte camera record (/camera/se). Bytes the program does not read keep
// the values the real camera sent. Pure functions, used from the loop thread.
#pragma once

#include <string>

#include "camera_model.h"
#include "camera_state.h"

namespace kivo::camsim {

BacPacRecord EncodeBacPacRecord(const CameraState& state);
CameraRecord EncodeCameraRecord(const CameraState& state);

// "00 64 01 ..." for logs and the control channel.
std::string HexBytes(const uint8_t* data, size_t size);

}  // namespace kivo::camsim
