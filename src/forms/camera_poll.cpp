// The camera status request: follows every BacPac record that reports the camera on, on
// HttpCli2 guarded by TimeOut2; only the first chunk of the reply is used.
#include "camera/command_url.h"
#include "forms/main_window.h"
#include "forms/status_view.h"

namespace kivo {

void TForm1::CameraStatusBtnClick() {
  ClearStatusUnlessConnected();
  HttpCli2->URL = BuildCommandUrl(camera_address, PasswordInUse(), kCameraStatusPath, "");
  // The two status requests never overlap.
  if (HttpCli2->State() == THttpState::Ready && HttpCli1->State() == THttpState::Ready) {
    try {
      TimeOut2->SetEnabled(true);
      HttpCli2->GetASync();
    } catch (...) {
      // TimeOut2 stays armed and reports the failure as a time-out.
    }
  }
  model_["Cam"].SetCaption("");
}

void TForm1::HttpCli2DocData(THttpCli&, const char* buffer, int len) {
  TimeOut2->SetEnabled(false);
  ShowCameraStatus(reinterpret_cast<const std::uint8_t*>(buffer), len, model_, camera, *this);
  HttpCli2->Abort();
}

void TForm1::HttpCli2RequestDone(THttpCli&, THttpRequest, std::uint16_t) {}

void TForm1::TimeOut2Stop() {
  HttpCli2->Abort();
  SetStatusText("Camera timeout");
}

}  // namespace kivo
