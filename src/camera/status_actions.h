// What the status decoders ask of the main window beyond its components: error log, commands,
// the follow-up requests, stopping the poll and a modal message. Implemented by the window and
// by test fakes; called only on the loop thread, from inside a decode.
#pragma once

#include <string>

namespace kivo {

class StatusActions {
 public:
  virtual ~StatusActions() = default;

  // LogError: sets the status bar text (Caption of "StatusBar") to |text| first, then logs it.
  // May throw when the log cannot be written; the decoders' guard catches that.
  virtual void LogError(const std::string& text) = 0;
  // SendCommand of the command channel; may throw the client's busy error.
  virtual void SendCommand(const std::string& path, const std::string& parameter) = 0;
  // CameraStatusBtnClick: starts the camera status request.
  virtual void CameraStatusRequest() = 0;
  // GetTimeBtnClick: starts reading the camera clock.
  virtual void ReadCameraClock() = 0;
  // Disables BacPacStatusTimer until the user sets the address or password again.
  virtual void StopBacPacPoll() = 0;
  // A modal message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace kivo
