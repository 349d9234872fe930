// One ICMP echo at a time through whatever the system permits: an ICMP datagram ("ping")
// socket, a raw ICMP socket, or — where neither is allowed — a TCP connection attempt that
// stands in for the echo. Blocking; one object per thread, no callbacks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kivo {

enum class EchoMethod {
  kAutomatic,     // the first of the three below that the system permits
  kIcmpDatagram,  // SOCK_DGRAM/IPPROTO_ICMP, allowed by net.ipv4.ping_group_range
  kIcmpRaw,       // SOCK_RAW/IPPROTO_ICMP, needs CAP_NET_RAW
  kTcpConnect,    // connect to a TCP port; accepted or refused both prove the host answers
};

// Outcome codes of one echo, numbered as the Windows ICMP helper numbers them.
inline constexpr std::uint32_t kIpSuccess = 0;
inline constexpr std::uint32_t kIpDestNetUnreachable = 11002;
inline constexpr std::uint32_t kIpDestHostUnreachable = 11003;
inline constexpr std::uint32_t kIpReqTimedOut = 11010;
inline constexpr std::uint32_t kIpBadRequest = 11011;
inline constexpr std::uint32_t kIpTtlExpiredTransit = 11013;
inline constexpr std::uint32_t kIpBadDestination = 11018;
inline constexpr std::uint32_t kIpGeneralFailure = 11050;
// Not the helper's: the echo was to go out through a network interface the system does not have
// (the socket layer's kErrorNoSuchInterface).
inline constexpr std::uint32_t kIpNoSuchInterface = 1168;

// The IP header flag that forbids fragmentation, in the flags byte of an echo request.
inline constexpr int kIpFlagDontFragment = 0x02;

struct EchoOutcome {
  int replies = 0;                  // 1 when the host answered, else 0
  std::uint32_t status = kIpReqTimedOut;
  std::uint32_t reply_address = 0;  // IPv4 in network byte order
  std::uint32_t round_trip_ms = 0;
  std::uint16_t data_size = 0;      // echo data bytes in the reply
  std::uint8_t ttl = 0;             // of the reply, where the system tells it
};

class IcmpEchoSocket {
  struct Key {
    explicit Key() = default;
  };

 public:
  // Opens |method| (for kAutomatic the first one permitted). Returns nullptr when the method
  // asked for is not permitted; kAutomatic always succeeds, at worst with kTcpConnect.
  static std::unique_ptr<IcmpEchoSocket> Open(EchoMethod method);
  ~IcmpEchoSocket();
  IcmpEchoSocket(const IcmpEchoSocket&) = delete;
  IcmpEchoSocket& operator=(const IcmpEchoSocket&) = delete;

  EchoMethod Method() const { return method_; }

  // The TCP port the stand-in connects to (80 unless changed).
  void SetStandInPort(std::uint16_t port) { stand_in_port_ = port; }
  std::uint16_t StandInPort() const { return stand_in_port_; }

  // Sends one echo request with |payload| as data to |address| (network byte order) and waits
  // up to |timeout_ms| for its reply. |ttl| and |flags| (kIpFlagDontFragment) are applied where
  // the system allows. A non-empty |interface_name| sends the echo out through that network
  // interface only (see socket_api::BindToInterface; on Windows the helper is given the
  // adapter's address as source, and where other adapters share that address the TCP stand-in
  // goes out through it instead); status kIpNoSuchInterface when there is no such interface.
  EchoOutcome Echo(std::uint32_t address, std::string_view payload, int ttl, int flags,
                   int timeout_ms, const std::string& interface_name = {});

  // Only Open() can make one (the key type is private).
  IcmpEchoSocket(Key, int fd, EchoMethod method);

 private:
  EchoOutcome EchoIcmp(std::uint32_t address, std::string_view payload, int ttl, int flags,
                       int timeout_ms, const std::string& interface_name);
  EchoOutcome EchoTcp(std::uint32_t address, int ttl, int timeout_ms,
                      const std::string& interface_name);

  int fd_ = -1;
  EchoMethod method_;
  std::uint16_t id_ = 0;
  std::uint16_t sequence_ = 0;
  std::uint16_t stand_in_port_ = 80;
  std::string bound_interface_;  // the interface the ICMP socket is tied to ("" none)
};

}  // namespace kivo
