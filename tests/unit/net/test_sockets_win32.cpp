#include <winsock2.h>

#include <cstdint>

#include "platform/win32/winsock_startup.h"
#include "test_sockets.h"

namespace kivo::testing::sockets {
namespace {

SOCKET S(int fd) { return static_cast<SOCKET>(static_cast<std::intptr_t>(fd)); }

}  // namespace

int ListenLoopback(int* port) {
  kivo::win32::EnsureWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  // No SO_REUSEADDR: on Windows it would let another socket take the same port.
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 16) != 0) {
    closesocket(s);
    return -1;
  }
  int len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  *port = ntohs(addr.sin_port);
  return static_cast<int>(s);
}

bool WaitReadable(int fd, int timeout_ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(S(fd), &readable);
  timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  return select(0, &readable, nullptr, nullptr, timeout_ms < 0 ? nullptr : &wait) > 0;
}

int Accept(int listener) {
  SOCKET s = accept(S(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? -1 : static_cast<int>(s);
}

void SetNoDelay(int fd) {
  BOOL on = TRUE;
  setsockopt(S(fd), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

long Receive(int fd, char* buffer, std::size_t len) {
  return recv(S(fd), buffer, static_cast<int>(len), 0);
}

long Send(int fd, const char* data, std::size_t len) {
  return send(S(fd), data, static_cast<int>(len), 0);
}

void Close(int fd) { closesocket(S(fd)); }

void ShutdownWrite(int fd) { shutdown(S(fd), SD_SEND); }

void CloseWithReset(int fd) {
  linger l{1, 0};
  setsockopt(S(fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  closesocket(S(fd));
}

}  // namespace kivo::testing::sockets
