#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

namespace kivo {
namespace {

volatile sig_atomic_t g_exit_code = 0;

void OnSignal(int signal_number) {
  const int code = signal_number == SIGTERM ? kTerminateExitCode : kInterruptExitCode;
  if (g_exit_code != 0) _exit(code);  // the second interrupt: the user means it
  g_exit_code = code;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A reader that goes away (kivo-cli ls | head) must not kill the program mid-download.
  signal(SIGPIPE, SIG_IGN);
}

int InterruptExitCode() { return g_exit_code; }

}  // namespace kivo
