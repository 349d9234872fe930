// Reachability of the camera: one echo whose answer sets CameraReachable, which gates the BacPac
// poll. The echo never holds up the window: its answer (a reply, or a time-out after 500 ms)
// arrives later on the loop; until then CameraReachable keeps its value.
#include <cstdio>

#include "forms/main_window.h"

namespace kivo {

namespace {

// The camera address goes into URLs, so it may carry a port ("10.5.5.9:8080"); an echo goes
// to the host alone.
std::string EchoHost(const std::string& address) {
  const std::size_t colon = address.rfind(':');
  if (colon == std::string::npos || colon + 1 == address.size() ||
      address.find_first_not_of("0123456789", colon + 1) != std::string::npos)
    return address;
  return address.substr(0, colon);
}

}  // namespace

void TForm1::PingCamera() {
  Ping->SetAddress(EchoHost(camera_address));
  Ping->Ping();
}

void TForm1::PingBtnClick() { PingCamera(); }

bool TForm1::UnresolvedAddressShown() {
  return StatusText() == TICMP::kUnableToResolve + EchoHost(camera_address);
}

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
