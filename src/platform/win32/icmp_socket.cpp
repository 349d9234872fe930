// The echo through the system's ICMP helper (IcmpSendEcho), which needs no privileges on
// Windows; a TCP connection attempt stands in only where the helper cannot be opened. The
// helper's handle is kept in the int the POSIX version uses for its descriptor: kernel handles
// have 32 significant bits on 64-bit Windows.
#include "platform/icmp_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <chrono>
#include <vector>

#include "platform/net_interfaces.h"
#include "platform/socket_api.h"
#include "platform/socket_errors.h"
#include "platform/win32/winsock_startup.h"

// In iphlpapi.dll since Windows Vista, but missing from the MinGW header.
extern "C" DWORD WINAPI IcmpSendEcho2Ex(HANDLE IcmpHandle, HANDLE Event, FARPROC ApcRoutine,
                                       PVOID ApcContext, IPAddr SourceAddress,
                                       IPAddr DestinationAddress, LPVOID RequestData,
                                       WORD RequestSize, PIP_OPTION_INFORMATION RequestOptions,
                                       LPVOID ReplyBuffer, DWORD ReplySize, DWORD Timeout);

namespace kivo {
namespace {

static_assert(kIpNoSuchInterface == static_cast<std::uint32_t>(kErrorNoSuchInterface));

using SteadyClock = std::chrono::steady_clock;

// The largest echo payload an IPv4 datagram can carry.
constexpr size_t kMaxPayload = 65507 - 8;

HANDLE AsHandle(int value) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(value));
}

std::uint32_t StatusFromWinsock(int error) {
  switch (error) {
    case WSAENETUNREACH:
      return kIpDestNetUnreachable;
    case WSAEHOSTUNREACH:
      return kIpDestHostUnreachable;
    case WSAETIMEDOUT:
      return kIpReqTimedOut;
    default:
      return kIpGeneralFailure;
  }
}

}  // namespace

std::unique_ptr<IcmpEchoSocket> IcmpEchoSocket::Open(EchoMethod method) {
  if (method == EchoMethod::kTcpConnect) {
    return std::make_unique<IcmpEchoSocket>(Key{}, -1, EchoMethod::kTcpConnect);
  }
  // The helper is neither a datagram nor a raw socket; it is what both stand for here.
  HANDLE helper = IcmpCreateFile();
  if (helper != INVALID_HANDLE_VALUE) {
    return std::make_unique<IcmpEchoSocket>(
        Key{}, static_cast<int>(reinterpret_cast<std::intptr_t>(helper)),
        method == EchoMethod::kIcmpRaw ? EchoMethod::kIcmpRaw : EchoMethod::kIcmpDatagram);
  }
  if (method != EchoMethod::kAutomatic) return nullptr;
  return std::make_unique<IcmpEchoSocket>(Key{}, -1, EchoMethod::kTcpConnect);
}

IcmpEchoSocket::IcmpEchoSocket(Key, int fd, EchoMethod method) : fd_(fd), method_(method) {}

IcmpEchoSocket::~IcmpEchoSocket() {
  if (fd_ != -1) IcmpCloseHandle(AsHandle(fd_));
}

EchoOutcome IcmpEchoSocket::EchoIcmp(std::uint32_t address, std::string_view payload, int ttl,
                                     int flags, int timeout_ms, const std::string& interface_name) {
  EchoOutcome outcome;
  if (payload.size() > kMaxPayload) {
    outcome.status = kIpBadRequest;
    return outcome;
  }
  // The helper takes no interface, only a source address; Windows sends from an address only
  // through an adapter that has it. Where other adapters have the same address (every camera's
  // DHCP hands out the same first lease) that chooses nothing, and the TCP stand-in, which can
  // be tied to the adapter itself, answers instead.
  IPAddr source = INADDR_ANY;
  if (!interface_name.empty()) {
    NetInterface nif;
    if (FindNetInterface(interface_name, &nif) != 0) {
      outcome.status = kIpNoSuchInterface;
      return outcome;
    }
    std::vector<NetInterface> all;
    if (nif.address == 0 || ListNetInterfaces(&all) != 0 || AddressShared(all, nif))
      return EchoTcp(address, ttl, timeout_ms, interface_name);
    source = static_cast<IPAddr>(nif.address);
  }
  IP_OPTION_INFORMATION options{};
  options.Ttl = static_cast<UCHAR>(ttl >= 1 && ttl <= 255 ? ttl : 128);
  options.Flags = static_cast<UCHAR>(flags & kIpFlagDontFragment ? IP_FLAG_DF : 0);
  // Room for one reply with its data, plus the 8 bytes of an ICMP error the helper may need.
  std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + payload.size() + 8 + 64);
  std::vector<char> request(payload.begin(), payload.end());
  void* data = request.empty() ? nullptr : request.data();
  const DWORD replies =
      interface_name.empty()
          ? IcmpSendEcho(AsHandle(fd_), static_cast<IPAddr>(address), data,
                         static_cast<WORD>(request.size()), &options, reply.data(),
                         static_cast<DWORD>(reply.size()), static_cast<DWORD>(timeout_ms))
          : IcmpSendEcho2Ex(AsHandle(fd_), nullptr, nullptr, nullptr, source,
                            static_cast<IPAddr>(address), data, static_cast<WORD>(request.size()),
                            &options, reply.data(), static_cast<DWORD>(reply.size()),
                            static_cast<DWORD>(timeout_ms));
  if (replies == 0) {
    const DWORD error = GetLastError();
    // The helper answers with an IP_* status (11000 and up) or a system error.
    outcome.status = error >= 11000 && error <= 11050 ? error : kIpGeneralFailure;
    if (error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_INVALID_PARAMETER)
      outcome.status = kIpBadRequest;
    return outcome;
  }
  const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
  outcome.status = echo->Status;
  outcome.reply_address = echo->Address;
  if (echo->Status == IP_SUCCESS) {
    outcome.replies = 1;
    outcome.round_trip_ms = echo->RoundTripTime;
    outcome.data_size = echo->DataSize;
    outcome.ttl = echo->Options.Ttl;
  }
  return outcome;
}

EchoOutcome IcmpEchoSocket::EchoTcp(std::uint32_t address, int ttl, int timeout_ms,
                                    const std::string& interface_name) {
  EchoOutcome outcome;
  if (win32::EnsureWinsock() != 0) {
    outcome.status = kIpGeneralFailure;
    return outcome;
  }
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    outcome.status = kIpGeneralFailure;
    return outcome;
  }
  if (!interface_name.empty()) {
    const int handle = static_cast<int>(static_cast<std::intptr_t>(s));
    const int error = socket_api::BindToInterface(handle, interface_name);
    if (error != 0) {
      closesocket(s);
      outcome.status = error == kErrorNoSuchInterface ? kIpNoSuchInterface : kIpGeneralFailure;
      return outcome;
    }
  }
  u_long non_blocking = 1;
  ioctlsocket(s, FIONBIO, &non_blocking);
  if (ttl >= 1 && ttl <= 255)
    setsockopt(s, IPPROTO_IP, IP_TTL, reinterpret_cast<const char*>(&ttl), sizeof ttl);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(stand_in_port_);
  to.sin_addr.s_addr = address;
  const auto start = SteadyClock::now();
  int error = 0;
  if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) error = WSAGetLastError();
  if (error == WSAEWOULDBLOCK) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    const int ready = select(0, nullptr, &writable, &failed, &wait);
    if (ready == 0) {
      error = WSAETIMEDOUT;
    } else if (ready < 0) {
      error = WSAGetLastError();
    } else {
      int len = sizeof error;
      error = 0;
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0)
        error = WSAGetLastError();
    }
  }
  closesocket(s);
  // Whether the host accepts or refuses the connection, it is there and answering.
  if (error == 0 || error == WSAECONNREFUSED) {
    outcome.replies = 1;
    outcome.status = kIpSuccess;
    outcome.reply_address = address;
    outcome.round_trip_ms = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)
            .count());
    return outcome;
  }
  outcome.status = StatusFromWinsock(error);
  return outcome;
}

}  // namespace kivo
