// Winsock must be started once per process before any socket call; every Win32 file that opens
// sockets calls EnsureWinsock() first. Thread-safe.
#pragma once

namespace kivo::win32 {

// Returns 0, or the Winsock number WSAStartup failed with.
int EnsureWinsock();

}  // namespace kivo::win32
