#include "platform/icmp_socket.h"

#include <arpa/inet.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

using SteadyClock = std::chrono::steady_clock;

static_assert(kIpNoSuchInterface == static_cast<std::uint32_t>(kErrorNoSuchInterface));

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kDestUnreachable = 3;
constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kTimeExceeded = 11;
constexpr size_t kIcmpHeader = 8;
// The largest echo payload an IPv4 datagram can carry.
constexpr size_t kMaxPayload = 65507 - kIcmpHeader;

std::uint16_t Checksum(const std::uint8_t* data, size_t len) {
  std::uint32_t sum = 0;
  for (size_t i = 0; i + 1 < len; i += 2) {
    sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
  }
  if (len & 1) sum += static_cast<std::uint32_t>(data[len - 1] << 8);
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

void Write16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}

// Milliseconds left until |deadline|, rounded up so a poll never ends just short of it.
int RemainingMs(SteadyClock::time_point deadline) {
  const auto left = deadline - SteadyClock::now();
  if (left <= SteadyClock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

std::uint32_t ElapsedMs(SteadyClock::time_point since) {
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - since).count());
}

std::uint32_t StatusFromErrno(int error) {
  switch (error) {
    case ENETUNREACH:
    case ENETDOWN:
      return kIpDestNetUnreachable;
    case EHOSTUNREACH:
    case ECONNREFUSED:
      return kIpDestHostUnreachable;
    case ETIMEDOUT:
      return kIpReqTimedOut;
    case EMSGSIZE:
      return kIpBadRequest;
    default:
      return kIpGeneralFailure;
  }
}

void ApplyTtl(int fd, int ttl) {
  if (ttl >= 1 && ttl <= 255) setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
}

std::uint16_t NextIdentifier() {
  static std::atomic<unsigned> counter{0};
  return static_cast<std::uint16_t>((static_cast<unsigned>(getpid()) * 31u) ^ (counter++ << 10));
}

}  // namespace

std::unique_ptr<IcmpEchoSocket> IcmpEchoSocket::Open(EchoMethod method) {
  auto open_icmp = [](int type, EchoMethod which) -> std::unique_ptr<IcmpEchoSocket> {
    const int fd = socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) return nullptr;
    const int on = 1;
    setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
    if (which == EchoMethod::kIcmpRaw) {
      // A raw socket sees every ICMP message the host receives; keep only the kinds that can
      // answer an echo, so the queue between two pings holds nothing else.
      icmp_filter filter{};
      filter.data = ~((1u << kEchoReply) | (1u << kDestUnreachable) | (1u << kTimeExceeded));
      setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }
    return std::make_unique<IcmpEchoSocket>(Key{}, fd, which);
  };
  std::unique_ptr<IcmpEchoSocket> opened;
  if (method == EchoMethod::kAutomatic || method == EchoMethod::kIcmpDatagram) {
    opened = open_icmp(SOCK_DGRAM, EchoMethod::kIcmpDatagram);
    if (opened || method != EchoMethod::kAutomatic) return opened;
  }
  if (method == EchoMethod::kAutomatic || method == EchoMethod::kIcmpRaw) {
    opened = open_icmp(SOCK_RAW, EchoMethod::kIcmpRaw);
    if (opened || method != EchoMethod::kAutomatic) return opened;
  }
  return std::make_unique<IcmpEchoSocket>(Key{}, -1, EchoMethod::kTcpConnect);
}

IcmpEchoSocket::IcmpEchoSocket(Key, int fd, EchoMethod method)
    : fd_(fd), method_(method), id_(NextIdentifier()) {}

IcmpEchoSocket::~IcmpEchoSocket() {
  if (fd_ >= 0) close(fd_);
}

EchoOutcome IcmpEchoSocket::EchoIcmp(std::uint32_t address, std::string_view payload, int ttl,
                                     int flags, int timeout_ms, const std::string& interface_name) {
  EchoOutcome outcome;
  if (payload.size() > kMaxPayload) {
    outcome.status = kIpBadRequest;
    return outcome;
  }
  // The socket outlives one echo: tie it to this echo's interface, or untie it.
  if (interface_name != bound_interface_) {
    const int error = interface_name.empty()
                          ? (setsockopt(fd_, SOL_SOCKET, SO_BINDTODEVICE, "", 0) == 0 ? 0 : errno)
                          : socket_api::BindToInterface(fd_, interface_name);
    if (error != 0) {
      outcome.status = error == kErrorNoSuchInterface ? kIpNoSuchInterface : kIpGeneralFailure;
      return outcome;
    }
    bound_interface_ = interface_name;
  }
  std::vector<std::uint8_t> buffer(65536);
  // Replies to an earlier echo that timed out must not be taken for this one's.
  while (recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) {
  }
  ApplyTtl(fd_, ttl);
  const int pmtu = (flags & kIpFlagDontFragment) ? IP_PMTUDISC_DO : IP_PMTUDISC_DONT;
  setsockopt(fd_, IPPROTO_IP, IP_MTU_DISCOVER, &pmtu, sizeof pmtu);

  const std::uint16_t sequence = ++sequence_;
  std::vector<std::uint8_t> packet(kIcmpHeader + payload.size());
  packet[0] = kEchoRequest;
  packet[1] = 0;
  Write16(&packet[4], id_);  // a datagram socket replaces it with its own
  Write16(&packet[6], sequence);
  std::memcpy(packet.data() + kIcmpHeader, payload.data(), payload.size());
  Write16(&packet[2], Checksum(packet.data(), packet.size()));

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  const auto start = SteadyClock::now();
  const auto deadline = start + std::chrono::milliseconds(timeout_ms);
  if (sendto(fd_, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) <
      0) {
    outcome.status = StatusFromErrno(errno);
    return outcome;
  }

  const bool raw = method_ == EchoMethod::kIcmpRaw;
  for (;;) {
    const int wait_ms = RemainingMs(deadline);
    if (wait_ms <= 0) return outcome;  // timed out
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = poll(&pfd, 1, wait_ms);
    if (ready < 0 && errno != EINTR) {
      outcome.status = kIpGeneralFailure;
      return outcome;
    }
    if (ready <= 0) continue;

    sockaddr_in from{};
    iovec io{buffer.data(), buffer.size()};
    char control[128];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd_, &message, MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      outcome.status = StatusFromErrno(errno);
      return outcome;
    }
    const std::uint8_t* icmp = buffer.data();
    size_t icmp_len = static_cast<size_t>(n);
    std::uint8_t reply_ttl = 0;
    if (raw) {  // a raw socket delivers the IP header too
      if (icmp_len < 20) continue;
      const size_t header = static_cast<size_t>(icmp[0] & 0x0f) * 4;
      if (header < 20 || icmp_len < header) continue;
      reply_ttl = icmp[8];
      icmp += header;
      icmp_len -= header;
    } else {
      for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
          int value = 0;
          std::memcpy(&value, CMSG_DATA(c), sizeof value);
          reply_ttl = static_cast<std::uint8_t>(value);
        }
      }
    }
    if (icmp_len < kIcmpHeader) continue;
    const std::uint8_t type = icmp[0];
    if (type == kEchoReply) {
      if (Read16(icmp + 6) != sequence) continue;
      if (raw && (Read16(icmp + 4) != id_ || from.sin_addr.s_addr != address)) continue;
      outcome.replies = 1;
      outcome.status = kIpSuccess;
      outcome.reply_address = from.sin_addr.s_addr;
      outcome.round_trip_ms = ElapsedMs(start);
      outcome.data_size = static_cast<std::uint16_t>(icmp_len - kIcmpHeader);
      outcome.ttl = reply_ttl;
      return outcome;
    }
    // A router's (or our own stack's) report that the request cannot be delivered: it carries
    // the head of our request, so it can be matched. It answers the question, but it is no reply.
    if (raw && (type == kDestUnreachable || type == kTimeExceeded) &&
        icmp_len >= kIcmpHeader + 20 + kIcmpHeader) {
      const std::uint8_t* inner_ip = icmp + kIcmpHeader;
      const size_t inner_header = static_cast<size_t>(inner_ip[0] & 0x0f) * 4;
      if (icmp_len < kIcmpHeader + inner_header + kIcmpHeader) continue;
      const std::uint8_t* inner = inner_ip + inner_header;
      if (inner[0] != kEchoRequest || Read16(inner + 4) != id_ || Read16(inner + 6) != sequence) {
        continue;
      }
      outcome.status = type == kTimeExceeded ? kIpTtlExpiredTransit
                       : icmp[1] == 0        ? kIpDestNetUnreachable
                                             : kIpDestHostUnreachable;
      outcome.reply_address = from.sin_addr.s_addr;
      return outcome;
    }
  }
}

EchoOutcome IcmpEchoSocket::EchoTcp(std::uint32_t address, int ttl, int timeout_ms,
                                    const std::string& interface_name) {
  EchoOutcome outcome;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    outcome.status = kIpGeneralFailure;
    return outcome;
  }
  if (!interface_name.empty()) {
    if (const int error = socket_api::BindToInterface(fd, interface_name); error != 0) {
      close(fd);
      outcome.status = error == kErrorNoSuchInterface ? kIpNoSuchInterface : kIpGeneralFailure;
      return outcome;
    }
  }
  ApplyTtl(fd, ttl);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(stand_in_port_);
  to.sin_addr.s_addr = address;
  const auto start = SteadyClock::now();
  const auto deadline = start + std::chrono::milliseconds(timeout_ms);
  int error = 0;
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) error = errno;
  while (error == EINPROGRESS || error == EINTR) {
    const int wait_ms = RemainingMs(deadline);
    if (wait_ms <= 0) {
      error = ETIMEDOUT;
      break;
    }
    pollfd pfd{fd, POLLOUT, 0};
    const int ready = poll(&pfd, 1, wait_ms);
    if (ready < 0 && errno != EINTR) {
      error = errno;
      break;
    }
    if (ready <= 0) continue;
    socklen_t len = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
  }
  close(fd);
  // Whether the host accepts or refuses the connection, it is there and answering.
  if (error == 0 || error == ECONNREFUSED) {
    outcome.replies = 1;
    outcome.status = kIpSuccess;
    outcome.reply_address = address;
    outcome.round_trip_ms = ElapsedMs(start);
    return outcome;
  }
  outcome.status = StatusFromErrno(error);
  return outcome;
}

}  // namespace kivo
