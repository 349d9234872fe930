// Decode of the BacPac status record (reply of /bacpac/se): power, model, Wi-Fi battery,
// readiness, connection, recording. A pure function of the reply's bytes; any thread. The main
// window shows the value (forms/status_view.h), kivo-cli prints it.
#pragma once

#include <cstdint>
#include <span>

#include "camera/status_values.h"

namespace kivo {

inline constexpr char kPasswordRefusedMessage[] = "Connection Refused. Check Password...";
// Left on the status bar once the poll has stopped, in place of the last "Connected ..." line.
inline constexpr char kPasswordRefusedStatus[] =
    "Password refused: status polling stopped (set it under Options > Password)";

// The first min(size, 16) bytes of |reply| (the rest read as zero), decoded.
BacPacStatus DecodeBacPacStatus(std::span<const std::uint8_t> reply);

}  // namespace kivo
