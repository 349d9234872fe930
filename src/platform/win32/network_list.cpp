#include "platform/network_list.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

// The "View Available Networks" panel of the task bar.
constexpr NetworkListTool kNetworkListTools[] = {
    {"rundll32.exe", "van.dll,RunVAN", ""},
};

}  // namespace

std::span<const NetworkListTool> NetworkListTools() { return kNetworkListTools; }

bool ProgramOnPath(const std::string& program) {
  wchar_t found[MAX_PATH];
  return SearchPathW(nullptr, win32::Wide(program).c_str(), nullptr, MAX_PATH, found, nullptr) >
         0;
}

// One flyout of the task bar: a second call brings up the same list, no second window.
bool NetworkListReopensInPlace() { return true; }

bool NetworkListShowing() { return false; }

}  // namespace kivo
