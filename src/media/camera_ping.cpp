// Reachability of the camera: one blocking echo (at most the ping's 500 ms time-out) whose
// answer sets CameraReachable, which gates the BacPac poll.
#include "ui/main_window.h"

namespace kivo {

void TForm1::PingCamera() {
  Ping->SetAddress(camera_address);
  Ping->Ping();
}

void TForm1::PingBtnClick() { PingCamera(); }

void TForm1::PingEchoReply(TPing&, TICMP&, int status) {
  CameraReachable = status == 1;
  model_["PingBtn"].SetCaption("Ping =" + std::to_string(status));
}

}  // namespace kivo
