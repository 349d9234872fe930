// The system's list of available wireless networks: on Linux the first that is installed of
// the desktop's network settings, the NetworkManager connection editor, or nmtui in a terminal.
// Fire and forget; when none can be started the status bar names them.
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "ui/main_window.h"

namespace kivo {
namespace {

struct NetworkListTool {
  const char* program;
  const char* arguments;
};

constexpr NetworkListTool kNetworkListTools[] = {
    {"gnome-control-center", "wifi"},
    {"nm-connection-editor", ""},
    {"x-terminal-emulator", "-e nmtui"},
};

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

}  // namespace

void TForm1::ViewWiFiConnections1Click() {
  std::string tried;
  for (const NetworkListTool& tool : kNetworkListTools) {
    if (!OnPath(tool.program)) {
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
