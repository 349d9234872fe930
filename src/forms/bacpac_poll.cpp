// The BacPac status poll: every tick of BacPacStatusTimer either pings (camera not reachable)
// or asks /bacpac/se on HttpCli1; the first chunk of the reply is decoded and, with the camera
// on, the camera status request follows at once.
#include "camera/command_url.h"
#include "camera/link_texts.h"
#include "forms/main_window.h"
#include "forms/status_view.h"
#include "platform/socket_errors.h"

namespace kivo {

void TForm1::BacPacStatusBtnClick() {
  if (!CameraReachable) {
    // The line comes first, so that a remark of the ping (an address it cannot resolve) stands;
    // the name is looked up again at each poll, so a remark already shown is kept until the
    // address changes or resolves.
    if (!UnresolvedAddressShown()) SetStatusText("Not connected to camera");
    PingCamera();
    try {
      AutoViewNetworkList();
    } catch (...) {
      // The list is a convenience; the poll goes on without it.
    }
    return;
  }
  auto_view_armed_ = true;  // reached: the next absence may show the list again
  if (StatusText().find("Connected") == std::string::npos) SetStatusText("Connecting...");
  HttpCli1->URL = BuildCommandUrl(camera_address, PasswordInUse(), kBacPacStatusPath, "");
  if (HttpCli1->State() != THttpState::Ready) return;  // no queue: this tick is lost
  try {
    TimeOut1->SetEnabled(true);
    HttpCli1->GetASync();
  } catch (...) {
    SetStatusText("HTTP error getting BacPac Status");
  }
}

void TForm1::HttpCli1DocData(THttpCli&, const char* buffer, int len) {
  TimeOut1->SetEnabled(false);
  HttpCli1->Abort();
  LastReplyLength = len;
  ShowBacPacStatus(reinterpret_cast<const std::uint8_t*>(buffer), len, model_, camera, *this);
}

void TForm1::HttpCli1RequestDone(THttpCli&, THttpRequest, std::uint16_t error) {
  if (LastReplyLength == 0 || error == kWsaEConnAborted || error == kWsaETimedOut) {
    SetStatusText(kNoConnectionStatus);
    PingCamera();
  } else if (error == kHttpErrorAborted) {
    // The abort after the first chunk: the normal end of a poll.
  } else {
    SetStatusText("BacPac Status " + std::to_string(error));
  }
}

void TForm1::HttpCli1SocketError(THttpCli&) { SetStatusText("Status Request failed"); }

void TForm1::TimeOut1Stop() {
  HttpCli1->Abort();
  SetStatusText(kBacPacTimeoutStatus);
  PingCamera();
}

void TForm1::ShowMessage(const std::string& text) {
  env_.dialogs.MessageBox(text, MsgType::kInformation, MsgButtons::kOk);
}

}  // namespace kivo
