#include "platform/console.h"

#include <windows.h>
#include <io.h>

#include <atomic>
#include <cstdio>

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

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void CatchInterrupts() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

int InterruptExitCode() { return g_exit_code.load(); }

}  // namespace kivo
