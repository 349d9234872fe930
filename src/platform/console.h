// The console a command-line program runs in: whether standard error is a terminal (for progress
// lines) and the user's interrupts (Ctrl-C, a termination request). Any thread. The first
// interrupt is only noted, so the program can end cleanly; a second one ends the process at once.
#pragma once

#include <string>
#include <vector>

namespace kivo {

// The program's arguments in UTF-8, without the program's name. On Windows they are taken from
// the wide command line (argv holds them in the ANSI code page, which loses characters), and the
// console is switched to UTF-8 output.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

inline constexpr int kInterruptExitCode = 130;  // Ctrl-C (128 + SIGINT)
inline constexpr int kTerminateExitCode = 143;  // a termination request (128 + SIGTERM)

bool StandardErrorIsTerminal();

// Installs the handlers; call once, early.
void CatchInterrupts();
// 0 while no interrupt has come; otherwise kInterruptExitCode or kTerminateExitCode.
int InterruptExitCode();

}  // namespace kivo
