#include "platform/win32/winsock_startup.h"

#include <winsock2.h>

namespace kivo::win32 {

int EnsureWinsock() {
  // Never cleaned up: the process's end releases it, and sockets may outlive static objects.
  static const int result = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  return result;
}

}  // namespace kivo::win32
