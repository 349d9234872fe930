#include "platform/network_list.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kivo {
namespace {

constexpr NetworkListTool kNetworkListTools[] = {
    {"gnome-control-center", "wifi", "gnome-control-center"},
    {"nm-connection-editor", "", "nm-connection-editor"},
    {"x-terminal-emulator", "-e nmtui", "nmtui"},
};

// The program name a process was started as: the last part of its first argument.
std::string ProcessName(const std::filesystem::path& proc_dir) {
  std::ifstream in(proc_dir / "cmdline", std::ios::binary);
  std::string first;
  std::getline(in, first, '\0');
  const std::size_t slash = first.rfind('/');
  return slash == std::string::npos ? first : first.substr(slash + 1);
}

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

bool NetworkListReopensInPlace() { return false; }

bool NetworkListShowing() {
  std::error_code error;
  const uid_t me = getuid();
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat info;
    if (stat(entry.path().c_str(), &info) != 0 || info.st_uid != me) continue;
    const std::string name = ProcessName(entry.path());
    for (const NetworkListTool& tool : kNetworkListTools)
      if (*tool.process != '\0' && name == tool.process) return true;
  }
  return false;
}

}  // namespace kivo
