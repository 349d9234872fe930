// Decodes the port-80 requests of the camera: the two status records and every command of the
// /bacpac/ and /camera/ groups, with the one-byte "%xx" parameters, and applies them to the state.
// Single-threaded: used from the loop thread only.
#pragma once

#include <string>
#include <string_view>

#include "camera_state.h"

namespace kivo::camsim {

// The parts of a command query: "t=PASSWORD&p=%xx". Both are percent-decoded, so each "%xx"
// becomes one byte (a password or camera name holding "&" or a blank arrives as "%26", "%20").
struct CommandQuery {
  std::string password;
  bool has_parameter = false;
  std::string parameter;
};

CommandQuery ParseCommandQuery(std::string_view query);
// "%0d%03" -> bytes 0x0d 0x03; a "%" not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);

enum class CommandResult {
  kDone,      // applied (or nothing to change)
  kRejected,  // understood, but not now or not with this parameter
  kUnknown,   // no such command
};

// Runs "/GROUP/CODE" (for instance "/camera/VR") with its decoded parameter.
CommandResult RunCommand(CameraState& state, std::string_view group, std::string_view code,
                         const CommandQuery& query);

}  // namespace kivo::camsim
