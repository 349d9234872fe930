// Decode of the BacPac status record (reply of /bacpac/se) into the main window: power, model,
// Wi-Fi battery, readiness, recording. Loop thread only, from HttpCli1DocData once the caller has
// disabled TimeOut1, aborted HttpCli1 and stored LastReplyLength; it calls back StatusActions.
#pragma once

#include <cstdint>

namespace kivo {

class ComponentModel;
class StatusActions;
struct CameraState;

inline constexpr char kPasswordRefusedMessage[] = "Connection Refused. Check Password...";
// Left on the status bar once the poll has stopped, in place of the last "Connected ..." line.
inline constexpr char kPasswordRefusedStatus[] =
    "Password refused: status polling stopped (set it under Options > Password)";

// Copies the first min(len, 16) bytes of |data| into state.BacPacStatus (the rest zero) and
// applies the record to |model|, |state| and |actions|. Never throws: a failure part-way leaves
// what was applied before it, as a half-read record must not take the window down.
void DecodeBacPacStatus(const std::uint8_t* data, int len, ComponentModel& model,
                        CameraState& state, StatusActions& actions);

}  // namespace kivo
