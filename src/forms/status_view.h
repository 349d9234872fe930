// The main window's view of the two status records: decodes a reply (camera/) and shows the value
// in the window's components, in the order the window has always applied a record, with its texts
// and its one quirk (the video captions follow the check marks the previous record left). The one
// place where a status value becomes captions and check marks. Loop thread only, from
// HttpCli1DocData / HttpCli2DocData; the window's other needs go through StatusActions.
#pragma once

#include <cstdint>

#include "camera/status_values.h"

namespace kivo {

class ComponentModel;
class StatusActions;
struct CameraState;

// Copies the first min(len, 16) bytes of |data| into state.BacPacStatus (the rest zero) and shows
// the record. Never throws: a failure part-way leaves what was shown before it, as a half-read
// record must not take the window down.
void ShowBacPacStatus(const std::uint8_t* data, int len, ComponentModel& model,
                      CameraState& state, StatusActions& actions);

// Returns false, changing nothing, for a reply of 30 bytes or less. Otherwise copies the first 31
// bytes into state.CameraStatus and shows them. Never throws, as above.
bool ShowCameraStatus(const std::uint8_t* data, int len, ComponentModel& model,
                      CameraState& state, StatusActions& actions);

// The same for records already decoded.
void ApplyBacPacStatus(const BacPacStatus& status, ComponentModel& model, CameraState& state,
                       StatusActions& actions);
void ApplyCameraStatus(const CameraStatus& status, ComponentModel& model, const CameraState& state,
                       StatusActions& actions);

}  // namespace kivo
