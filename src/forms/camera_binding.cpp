// Options > Cameras... and the camera the main window controls when a rig of cameras is joined,
// one Wi-Fi adapter each: the Cameras window (forms/cameras_window.h) chooses, this window
// follows. Loop thread only.
#include "forms/main_window.h"
#include "platform/user_dirs.h"

namespace kivo {

void TForm1::Cameras1Click() {
  if (OnCameras) OnCameras();
}

void TForm1::BindToCamera(const std::string& interface_name, std::optional<std::string> password) {
  bound_interface_ = interface_name;
  bound_password_ = std::move(password);
  for (THttpCli* client : {HttpCli1.get(), HttpCli2.get(), HttpCli3.get()})
    client->BindInterface = interface_name;
  Ping->SetBindInterface(interface_name);
  // What was read of the camera so far was another camera's: its clock is read afresh, and the
  // next poll starts with an echo through the new adapter.
  camera.ClockKnown = false;
  CameraReachable = false;
}

std::string TForm1::DownloadFolder() const {
  if (!download_folder.empty()) return download_folder;
  return UserPicturesSubdir("Kivo");
}

}  // namespace kivo
