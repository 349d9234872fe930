// Where the system's list of available wireless networks comes from: the programs that can show
// it, in order of preference, and whether one is installed. Plain functions; any thread.
#pragma once

#include <span>
#include <string>

namespace kivo {

struct NetworkListTool {
  const char* program;
  const char* arguments;
};

// On Linux the desktop's network settings, the NetworkManager connection editor, nmtui in a
// terminal; on Windows the task bar's network list (rundll32.exe van.dll,RunVAN).
std::span<const NetworkListTool> NetworkListTools();

// Whether |program| is found where the system looks for programs (PATH).
bool ProgramOnPath(const std::string& program);

}  // namespace kivo
