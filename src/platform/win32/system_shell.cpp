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

bool SystemShell::StartScript(const std::string& path) {
  // cmd.exe /c runs the batch file; CREATE_NO_WINDOW keeps its console from showing.
  std::wstring interpreter(MAX_PATH, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"ComSpec", interpreter.data(), MAX_PATH);
  interpreter = n > 0 && n < MAX_PATH ? interpreter.substr(0, n) : std::wstring(L"cmd.exe");
  std::wstring script = win32::Wide(path);
  for (wchar_t& c : script) {
    if (c == L'/') c = L'\\';
  }
  std::wstring command = L"\"" + interpreter + L"\" /c \"\"" + script + L"\"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// ShellExecute hands a page to whatever browser the user chose.
std::string SystemShell::UrlOpener() const { return "the web browser"; }

}  // namespace kivo
