// Where the system's list of available wireless networks comes from: the programs that can show
// it, in order of preference, whether one is installed, whether its window is open, and how the
// list behaves when it is opened again. Plain functions; any thread.
#pragma once

#include <span>
#include <string>

namespace kivo {

struct NetworkListTool {
  const char* program;
  const char* arguments;
  // The program whose running process shows the list ("" when nothing can be watched).
  const char* process;
};

// On Linux the desktop's network settings, the NetworkManager connection editor, nmtui in a
// terminal; on Windows the task bar's network list (rundll32.exe van.dll,RunVAN).
std::span<const NetworkListTool> NetworkListTools();

// Whether |program| is found where the system looks for programs (PATH).
bool ProgramOnPath(const std::string& program);

// Whether opening the list again while it is shown only brings up the same list: true on Windows,
// where it is one flyout of the task bar; false where every start opens one more window.
bool NetworkListReopensInPlace();

// Whether a window of one of the tools is open: one of their processes runs for this user.
// False where that cannot be told (and where the list reopens in place it does not matter).
bool NetworkListShowing();

}  // namespace kivo
