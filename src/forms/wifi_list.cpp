// The system's list of available wireless networks: the first installed of the platform's tools
// for it (on Linux the desktop's network settings, the NetworkManager connection editor, or
// nmtui in a terminal). Fire and forget; when none can be started the status bar names them.
#include "platform/network_list.h"
#include "forms/main_window.h"

namespace kivo {

void TForm1::ViewWiFiConnections1Click() {
  std::string tried;
  for (const NetworkListTool& tool : NetworkListTools()) {
    if (!ProgramOnPath(tool.program)) {
      tried += (tried.empty() ? "" : ", ") + std::string(tool.program);
      continue;
    }
    if (!env_.shell.StartProgram(tool.program, tool.arguments))
      SetStatusText(kCannotStartText + std::string(tool.program));
    return;
  }
  SetStatusText(kCannotStartText + tried);  // none of them is installed
}

void TForm1::AutoVANClick() {
  Component& item = model_["AutoVAN"];
  item.SetChecked(!item.Checked());
}

}  // namespace kivo
