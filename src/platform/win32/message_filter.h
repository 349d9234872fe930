// A hook into the Win32 message loop for the window renderer: keyboard accelerators and dialog
// keys must be translated before a message is dispatched. Loop thread only.
#pragma once

#include <windows.h>

#include <functional>

namespace kivo::win32 {

// |filter| sees every message the loop takes from the queue (each window adds its own);
// returning true means it handled the message and it is not dispatched. Returns an id for
// RemoveMessageFilter.
int AddMessageFilter(std::function<bool(MSG&)> filter);
void RemoveMessageFilter(int id);

}  // namespace kivo::win32
