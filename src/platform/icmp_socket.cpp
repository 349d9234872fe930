// The echo's choice of channel, the same on every system; the channels themselves are the
// system's (posix/, win32/).
#include "platform/icmp_socket.h"

namespace kivo {

EchoOutcome IcmpEchoSocket::Echo(std::uint32_t address, std::string_view payload, int ttl,
                                 int flags, int timeout_ms, const std::string& interface_name) {
  if (timeout_ms < 0) timeout_ms = 0;
  if (method_ == EchoMethod::kTcpConnect) return EchoTcp(address, ttl, timeout_ms, interface_name);
  return EchoIcmp(address, payload, ttl, flags, timeout_ms, interface_name);
}

}  // namespace kivo
