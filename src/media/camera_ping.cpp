// Reachability of the camera: one blocking echo (at most the ping's 500 ms time-out) whose
// answer sets CameraReachable, which gates the BacPac poll.
#include <cstdio>

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

// The ping's own remarks (an address it cannot resolve, or that it stands in with a TCP
// connection where the system allows no ICMP) go to standard error; an address that cannot be
// resolved is also the one thing the user can fix, so it is said on the status bar as well.
void TForm1::PingDisplay(const std::string& message) {
  std::fprintf(stderr, "kivo: ping: %s\n", message.c_str());
  if (message.rfind(TICMP::kUnableToResolve, 0) == 0) SetStatusText(message);
}

}  // namespace kivo
