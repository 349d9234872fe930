// Menu shortcut texts ("Ctrl+W", "Alt+P", "F5") as Win32 accelerator entries. Plain function,
// any thread.
#pragma once

#include <windows.h>

#include <string>

namespace kivo::win32 {

// Fills |accel|'s fVirt and key (not its command); false for a text it does not understand.
bool ParseShortCut(const std::string& text, ACCEL* accel);

}  // namespace kivo::win32
