#include "platform/network_list.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace kivo {
namespace {

constexpr NetworkListTool kNetworkListTools[] = {
    {"gnome-control-center", "wifi"},
    {"nm-connection-editor", ""},
    {"x-terminal-emulator", "-e nmtui"},
};

}  // namespace

std::span<const NetworkListTool> NetworkListTools() { return kNetworkListTools; }

bool ProgramOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

}  // namespace kivo
