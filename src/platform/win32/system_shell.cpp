#include <windows.h>
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

// ShellExecute reports success with a value above 32.
bool Execute(const std::string& file, const std::string& parameters) {
  const std::wstring wide_file = win32::Wide(file);
  const std::wstring wide_parameters = win32::Wide(parameters);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", wide_file.c_str(),
                    parameters.empty() ? nullptr : wide_parameters.c_str(), nullptr,
                    SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace

bool SystemShell::OpenUrl(const std::string& url) { return Execute(url, ""); }

bool SystemShell::StartProgram(const std::string& program, const std::string& arguments) {
  return Execute(program, arguments);
}

// The "View Available Networks" panel of the task bar.
bool SystemShell::OpenNetworkList() { return Execute("rundll32.exe", "van.dll,RunVAN"); }

}  // namespace kivo
