// The console a command-line program runs in: whether standard error is a terminal (for progress
// lines) and the user's interrupts (Ctrl-C, a termination request). Any thread. The first
// interrupt is only noted, so the program can end cleanly; a second one ends the process at once.
#pragma once

namespace kivo {

inline constexpr int kInterruptExitCode = 130;  // Ctrl-C (128 + SIGINT)
inline constexpr int kTerminateExitCode = 143;  // a termination request (128 + SIGTERM)

bool StandardErrorIsTerminal();

// Installs the handlers; call once, early.
void CatchInterrupts();
// 0 while no interrupt has come; otherwise kInterruptExitCode or kTerminateExitCode.
int InterruptExitCode();

}  // namespace kivo
