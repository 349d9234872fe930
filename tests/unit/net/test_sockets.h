// The few plain blocking socket calls the scripted server makes, so the same server runs on
// POSIX and on Winsock (test_sockets_posix.cpp / test_sockets_win32.cpp, chosen by CMake).
// Any thread; a socket is an int, -1 for none.
#pragma once

#include <cstddef>

namespace kivo::testing::sockets {

// A listening socket on 127.0.0.1 at an ephemeral port; -1 on failure.
int ListenLoopback(int* port);
// Waits up to |timeout_ms| for |fd| to be readable (or to have a connection to accept).
bool WaitReadable(int fd, int timeout_ms);
int Accept(int listener);
void SetNoDelay(int fd);
// recv/send; <= 0 when the connection is closed or failed.
long Receive(int fd, char* buffer, std::size_t len);
long Send(int fd, const char* data, std::size_t len);
void Close(int fd);
void ShutdownWrite(int fd);
// Closes with SO_LINGER 0, so the peer sees a reset.
void CloseWithReset(int fd);

}  // namespace kivo::testing::sockets
