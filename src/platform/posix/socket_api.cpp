#include "platform/socket_api.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/socket_errors.h"

namespace kivo::socket_api {
namespace {

int Result(int rc) { return rc < 0 ? LastWinsockError() : 0; }

int SetIntOption(int handle, int level, int name, int value) {
  return Result(setsockopt(handle, level, name, &value, sizeof value));
}

bool MakeAddress(const std::string& dotted, int port, sockaddr_in* out) {
  *out = sockaddr_in{};
  out->sin_family = AF_INET;
  out->sin_port = htons(static_cast<uint16_t>(port));
  return inet_pton(AF_INET, dotted.c_str(), &out->sin_addr) == 1;
}

int LookupError(int gai_error) {
  switch (gai_error) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
      return kWsaHostNotFound;
    case EAI_AGAIN:
      return kWsaTryAgain;
    case EAI_SYSTEM:
      return LastWinsockError();
    default:
      return kWsaNoRecovery;
  }
}

}  // namespace

int SystemLookupIpv4(const std::string& name, std::vector<std::uint32_t>* addresses) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int rc = getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (rc != 0) return LookupError(rc);
  for (addrinfo* ai = found; ai != nullptr; ai = ai->ai_next)
    addresses->push_back(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
  freeaddrinfo(found);
  return 0;
}

int SystemServicePort(const std::string& name, const std::string& proto, int* port) {
  servent entry;
  servent* result = nullptr;
  char buffer[1024];
  if (getservbyname_r(name.c_str(), proto.c_str(), &entry, buffer, sizeof buffer, &result) != 0 ||
      result == nullptr) {
    return kWsaNoData;
  }
  *port = ntohs(static_cast<uint16_t>(result->s_port));
  return 0;
}

int OpenTcpSocket(int* handle) {
  *handle = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  return *handle < 0 ? LastWinsockError() : 0;
}

int SetReuseAddr(int handle, bool on) { return SetIntOption(handle, SOL_SOCKET, SO_REUSEADDR, on); }

int SetNoDelay(int handle, bool on) { return SetIntOption(handle, IPPROTO_TCP, TCP_NODELAY, on); }

int SetLinger(int handle, bool on, int seconds) {
  linger value{on ? 1 : 0, seconds};
  return Result(setsockopt(handle, SOL_SOCKET, SO_LINGER, &value, sizeof value));
}

int SetKeepAlive(int handle, bool on) { return SetIntOption(handle, SOL_SOCKET, SO_KEEPALIVE, on); }

int Bind(int handle, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!MakeAddress(dotted, port, &addr)) return kWsaEInval;
  return Result(bind(handle, reinterpret_cast<const sockaddr*>(&addr), sizeof addr));
}

int BindToInterface(int handle, const std::string& name) {
  // The name is checked first: SO_BINDTODEVICE says "no such device" only where it is permitted
  // at all, and a missing interface must read as that whatever the kernel's rules.
  if (name.empty() || name.size() >= IF_NAMESIZE || if_nametoindex(name.c_str()) == 0)
    return kErrorNoSuchInterface;
  if (setsockopt(handle, SOL_SOCKET, SO_BINDTODEVICE, name.c_str(),
                 static_cast<socklen_t>(name.size() + 1)) == 0) {
    return 0;
  }
  return errno == ENODEV ? kErrorNoSuchInterface : LastWinsockError();
}

int Connect(int handle, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!MakeAddress(dotted, port, &addr)) return kWsaEInval;
  int rc;
  do {
    rc = connect(handle, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc < 0 && errno == EINTR);
  return Result(rc);
}

int PendingError(int handle, int* error) {
  int value = 0;
  socklen_t len = sizeof value;
  if (getsockopt(handle, SOL_SOCKET, SO_ERROR, &value, &len) < 0) return LastWinsockError();
  *error = WinsockErrorFromSystem(value);
  return 0;
}

int Send(int handle, const char* data, std::size_t len, bool urgent, long* sent) {
  ssize_t n;
  do {
    n = send(handle, data, len, MSG_NOSIGNAL | (urgent ? MSG_OOB : 0));
  } while (n < 0 && errno == EINTR);
  *sent = n < 0 ? -1 : static_cast<long>(n);
  return n < 0 ? LastWinsockError() : 0;
}

int Receive(int handle, char* buffer, std::size_t len, long* received) {
  ssize_t n;
  do {
    n = recv(handle, buffer, len, 0);
  } while (n < 0 && errno == EINTR);
  *received = n < 0 ? -1 : static_cast<long>(n);
  return n < 0 ? LastWinsockError() : 0;
}

int BytesAvailable(int handle, long* count) {
  int value = 0;
  if (ioctl(handle, FIONREAD, &value) < 0) {
    *count = -1;
    return LastWinsockError();
  }
  *count = value;
  return 0;
}

int ShutdownSend(int handle) { return Result(shutdown(handle, SHUT_WR)); }

int CloseSocket(int handle) { return Result(close(handle)); }

}  // namespace kivo::socket_api
