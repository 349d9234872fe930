// The system's list of available wireless networks: the first installed of the platform's tools
// for it (on Linux the desktop's network settings, the NetworkManager connection editor, or
// nmtui in a terminal). Fire and forget; when the menu's start fails the status bar names what
// could not be started. The poll opens it too while the camera is away (Auto-View).
#include "platform/network_list.h"
#include "forms/main_window.h"

namespace kivo {

std::string TForm1::StartNetworkList() {
  std::string tried;
  for (const NetworkListTool& tool : NetworkListTools()) {
    if (!ProgramOnPath(tool.program)) {
      tried += (tried.empty() ? "" : ", ") + std::string(tool.program);
      continue;
    }
    if (!env_.shell.StartProgram(tool.program, tool.arguments))
      return kCannotStartText + std::string(tool.program);
    return "";
  }
  return kCannotStartText + tried;  // none of them is installed
}

void TForm1::ViewWiFiConnections1Click() {
  const std::string failure = StartNetworkList();
  if (!failure.empty()) SetStatusText(failure);
}

void TForm1::AutoViewNetworkList() {
  if (!model_["AutoVAN"].Checked()) return;
  if (!network_list_reopens_in_place) {
    // Each start would open one more window: one per absence is enough, even when it fails.
    if (!auto_view_armed_) return;
    // A list still open serves the user; the chance is kept for when it has been closed.
    if (network_list_showing && network_list_showing()) return;
    auto_view_armed_ = false;
  }
  StartNetworkList();  // a failure stays off the status bar: "Not connected to camera" matters
}

void TForm1::AutoVANClick() {
  Component& item = model_["AutoVAN"];
  item.SetChecked(!item.Checked());
}

}  // namespace kivo
