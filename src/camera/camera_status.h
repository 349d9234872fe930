// Decode of the camera status record (reply of /camera/se) into the main window: mode, battery,
// counts, time and every settings check mark. Loop thread only, from HttpCli2DocData once the
// caller has disabled TimeOut2 (it aborts HttpCli2 afterwards); it calls back StatusActions.
#pragma once

#include <cstdint>
#include <span>

namespace kivo {

class ComponentModel;
class StatusActions;
struct CameraState;

// Shortest reply that is a record; anything up to 30 bytes is dropped unread.
inline constexpr int kMinCameraStatusLength = 31;

// Returns false, changing nothing, when |len| is below kMinCameraStatusLength. Otherwise copies
// the first 31 bytes into state.CameraStatus and applies them. The video captions of ModeL and
// Mode2L come from the VideoMode/VideoFOV check marks as the previous record left them. Never
// throws: a failure part-way keeps what was applied before it.
bool DecodeCameraStatus(const std::uint8_t* data, int len, ComponentModel& model,
                        CameraState& state, StatusActions& actions);

// Item names of a settings menu by the index the camera reports (for tests and the window).
struct SettingsMenuSpec {
  const char* menu;
  int byte;  // 0-based position in the record
  std::span<const char* const> items;
};
std::span<const SettingsMenuSpec> CameraSettingsMenus();

}  // namespace kivo
