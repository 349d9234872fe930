#include "platform/socket_errors.h"

#include <winsock2.h>

namespace kivo {

// Winsock reports its own numbers already.
int WinsockErrorFromSystem(int system_error) { return system_error; }

int LastWinsockError() { return WSAGetLastError(); }

}  // namespace kivo
