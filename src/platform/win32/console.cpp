#include "platform/console.h"

#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

std::atomic<int> g_exit_code{0};

// Runs on a thread of its own that the system starts for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  const int code = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? kInterruptExitCode
                                                                      : kTerminateExitCode;
  if (g_exit_code.load() != 0) ExitProcess(static_cast<UINT>(code));
  g_exit_code.store(code);
  return TRUE;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> out;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return out;
  for (int i = 1; i < count; ++i) out.push_back(win32::Utf8(args[i]));
  LocalFree(args);
  return out;
}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void CatchInterrupts() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

int InterruptExitCode() { return g_exit_code.load(); }

}  // namespace kivo
