// Winsock behind the socket seam. A SOCKET is kept in an int: Windows hands out socket handles
// that fit in 32 bits (they are shared with 32-bit processes), and INVALID_SOCKET becomes -1.
#include "platform/socket_api.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdint>
#include <cstdlib>

#include "platform/net_interfaces.h"
#include "platform/socket_errors.h"
#include "platform/win32/winsock_startup.h"

namespace kivo::socket_api {
namespace {

SOCKET S(int handle) { return static_cast<SOCKET>(static_cast<std::intptr_t>(handle)); }

int Result(int rc) { return rc == SOCKET_ERROR ? WSAGetLastError() : 0; }

int SetIntOption(int handle, int level, int name, int value) {
  return Result(
      setsockopt(S(handle), level, name, reinterpret_cast<const char*>(&value), sizeof value));
}

bool MakeAddress(const std::string& dotted, int port, sockaddr_in* out) {
  *out = sockaddr_in{};
  out->sin_family = AF_INET;
  out->sin_port = htons(static_cast<u_short>(port));
  return inet_pton(AF_INET, dotted.c_str(), &out->sin_addr) == 1;
}

}  // namespace

int SystemLookupIpv4(const std::string& name, std::vector<std::uint32_t>* addresses) {
  if (int rc = win32::EnsureWinsock(); rc != 0) return rc;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  // getaddrinfo returns Winsock numbers (WSAHOST_NOT_FOUND, WSATRY_AGAIN, ...) itself.
  if (int rc = getaddrinfo(name.c_str(), nullptr, &hints, &found); rc != 0) return rc;
  for (addrinfo* ai = found; ai != nullptr; ai = ai->ai_next)
    addresses->push_back(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
  freeaddrinfo(found);
  return 0;
}

int SystemServicePort(const std::string& name, const std::string& proto, int* port) {
  if (int rc = win32::EnsureWinsock(); rc != 0) return rc;
  // getservbyname's result lives in per-thread storage, so this is thread-safe as it is.
  const servent* entry = getservbyname(name.c_str(), proto.c_str());
  if (entry == nullptr) return kWsaNoData;
  *port = ntohs(static_cast<u_short>(entry->s_port));
  return 0;
}

int OpenTcpSocket(int* handle) {
  *handle = kNoSocket;
  if (int rc = win32::EnsureWinsock(); rc != 0) return rc;
  // WSA_FLAG_NO_HANDLE_INHERIT is the close-on-exec of Windows 7 SP1 and later; Windows 7
  // without the service pack refuses the flag, and then the socket is made without it.
  SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                        WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET && WSAGetLastError() == WSAEINVAL)
    s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET) return WSAGetLastError();
  u_long non_blocking = 1;
  if (ioctlsocket(s, FIONBIO, &non_blocking) != 0) {
    const int error = WSAGetLastError();
    closesocket(s);
    return error;
  }
  *handle = static_cast<int>(s);
  return 0;
}

int SetReuseAddr(int handle, bool on) { return SetIntOption(handle, SOL_SOCKET, SO_REUSEADDR, on); }

int SetNoDelay(int handle, bool on) { return SetIntOption(handle, IPPROTO_TCP, TCP_NODELAY, on); }

int SetLinger(int handle, bool on, int seconds) {
  linger value{static_cast<u_short>(on ? 1 : 0), static_cast<u_short>(seconds)};
  return Result(setsockopt(S(handle), SOL_SOCKET, SO_LINGER,
                           reinterpret_cast<const char*>(&value), sizeof value));
}

int SetKeepAlive(int handle, bool on) { return SetIntOption(handle, SOL_SOCKET, SO_KEEPALIVE, on); }

int Bind(int handle, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!MakeAddress(dotted, port, &addr)) return kWsaEInval;
  return Result(bind(S(handle), reinterpret_cast<const sockaddr*>(&addr), sizeof addr));
}

int BindToInterface(int handle, const std::string& name) {
  NetInterface nif;
  if (int rc = FindNetInterface(name, &nif); rc != 0) return rc;
  // For IPv4 the option takes the index in network byte order (IPv6's takes it as it is).
  const DWORD index = htonl(static_cast<u_long>(nif.index));
  return Result(setsockopt(S(handle), IPPROTO_IP, IP_UNICAST_IF,
                           reinterpret_cast<const char*>(&index), sizeof index));
}

int Connect(int handle, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!MakeAddress(dotted, port, &addr)) return kWsaEInval;
  const int rc = Result(connect(S(handle), reinterpret_cast<const sockaddr*>(&addr), sizeof addr));
  // A non-blocking connect under way says "would block" on Windows; the layer above expects
  // the "in progress" number a POSIX system gives.
  return rc == WSAEWOULDBLOCK ? kWsaEInProgress : rc;
}

int PendingError(int handle, int* error) {
  int value = 0;
  int len = sizeof value;
  if (getsockopt(S(handle), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&value), &len) != 0)
    return WSAGetLastError();
  *error = value;
  return 0;
}

int Send(int handle, const char* data, std::size_t len, bool urgent, long* sent) {
  // Windows raises no signal on a broken connection; the call just fails.
  const int n = send(S(handle), data, static_cast<int>(len), urgent ? MSG_OOB : 0);
  *sent = n == SOCKET_ERROR ? -1 : static_cast<long>(n);
  return n == SOCKET_ERROR ? WSAGetLastError() : 0;
}

int Receive(int handle, char* buffer, std::size_t len, long* received) {
  const int n = recv(S(handle), buffer, static_cast<int>(len), 0);
  *received = n == SOCKET_ERROR ? -1 : static_cast<long>(n);
  return n == SOCKET_ERROR ? WSAGetLastError() : 0;
}

int BytesAvailable(int handle, long* count) {
  u_long value = 0;
  if (ioctlsocket(S(handle), FIONREAD, &value) != 0) {
    *count = -1;
    return WSAGetLastError();
  }
  *count = static_cast<long>(value);
  return 0;
}

int ShutdownSend(int handle) { return Result(shutdown(S(handle), SD_SEND)); }

int CloseSocket(int handle) { return Result(closesocket(S(handle))); }

}  // namespace kivo::socket_api
