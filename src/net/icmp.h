// TICMP: sends one ICMP echo to a host. Ping() waits for the reply, blocking the calling thread
// for up to Timeout ms; BeginEcho/FinishEcho split it so that the wait can run elsewhere (TPing
// runs it on a helper thread). Use the object on one thread; its notifications (display,
// request, reply) run on that thread, inside the calls that cause them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/host_resolver.h"
#include "platform/icmp_socket.h"

namespace kivo {

class TICMPException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The head of the last reply: who answered, the outcome code (0 = success, 11010 = timed out,
// ...), round trip in ms, bytes of echo data, and the reply's time-to-live where known.
struct TIcmpEchoReply {
  std::uint32_t Address = 0;  // IPv4, network byte order
  std::uint32_t Status = 0;
  std::uint32_t RTT = 0;
  std::uint16_t DataSize = 0;
  std::uint8_t Ttl = 0;
};

// One echo ready to go: everything the wait needs, independent of the TICMP that made it, so
// it may run on any thread (one echo per socket at a time).
struct EchoRequest {
  std::shared_ptr<IcmpEchoSocket> socket;
  std::uint32_t address = 0;
  std::string payload;
  int ttl = 0, flags = 0, timeout_ms = 0;
  std::string bind_interface;  // "" = wherever the routing table says
  EchoOutcome Run() const {
    return socket->Echo(address, payload, ttl, flags, timeout_ms, bind_interface);
  }
};

class TICMP {
 public:
  // The echo data: this sentence cut or padded with blanks to Size.
  static constexpr const char* kPayloadSentence = "Kivo is checking that the camera can hear it.";
  // Said once through OnDisplay when only the TCP stand-in is available.
  static constexpr const char* kStandInNote =
      "ICMP echo is not permitted for this user: the camera is checked with a TCP connection to "
      "its web port instead";
  static constexpr const char* kUnableToResolve = "Unable to resolve ";
  static constexpr const char* kInvalidHostAddress = "Invalid host address";
  static constexpr const char* kNoHandle = "Unable to get ping handle";

  // Opens the echo channel; |method| other than kAutomatic insists on that one and throws
  // TICMPException (kNoHandle) when the system does not permit it.
  // |resolver| looks up a host name on the helper thread; none: the system's.
  explicit TICMP(EchoMethod method = EchoMethod::kAutomatic, HostResolver resolver = nullptr);
  ~TICMP();
  TICMP(const TICMP&) = delete;
  TICMP& operator=(const TICMP&) = delete;

  const std::string& Address() const { return address_; }
  // A different address is resolved again at the next Ping.
  void SetAddress(const std::string& address);
  int Size() const { return size_; }
  void SetSize(int size);  // kept within 0..65500
  int Timeout() const { return timeout_; }
  void SetTimeout(int timeout_ms) { timeout_ = timeout_ms < 0 ? 0 : timeout_ms; }
  int TTL() const { return ttl_; }
  void SetTTL(int ttl) { ttl_ = ttl; }
  int Flags() const { return flags_; }
  void SetFlags(int flags) { flags_ = flags; }
  // The network interface the echo goes out through (see TWSocket::BindInterface); "" =
  // wherever the routing table says. A missing interface is no reply: OnDisplay says "No network
  // interface named ...", OnEchoReply fires with 0, LastError is kIpNoSuchInterface.
  const std::string& BindInterface() const { return bind_interface_; }
  void SetBindInterface(const std::string& name) { bind_interface_ = name; }

  // Sends one echo and returns the number of replies (0 or 1). Fires OnEchoRequest before and
  // OnEchoReply after the echo; for an address that cannot be used it fires only OnDisplay.
  // A host name is looked up on a helper thread: until its answer is in, Ping returns 0 at once
  // and fires nothing (no answer yet); a later Ping uses the answer.
  int Ping();

  // Ping() in two halves. BeginEcho: resolving, the display and request events; returns the
  // echo to run, or nothing when there is nothing to send (the address cannot be used, or its
  // name lookup has not answered yet: see LookupPending). FinishEcho: stores |outcome| as the
  // last reply and error, fires OnEchoReply, returns the number of replies.
  std::optional<EchoRequest> BeginEcho();
  int FinishEcho(const EchoOutcome& outcome);
  // True while a name lookup for Address runs; |notify| (if set) is called on the lookup's
  // helper thread once its answer is in, so that an owner with a loop can ping again at once.
  bool LookupPending() const { return lookup_ != nullptr; }
  void SetLookupNotify(std::function<void()> notify) { lookup_notify_ = std::move(notify); }

  // The echo data for |size| bytes: the sentence, cut to |size| or padded with blanks.
  static std::string EchoPayload(int size);

  int LastError() const { return last_error_; }
  const TIcmpEchoReply& Reply() const { return reply_; }
  const std::string& HostName() const { return host_name_; }
  const std::string& HostIP() const { return host_ip_; }
  EchoMethod Method() const;
  // Port of the TCP stand-in (80: the camera's web server). For tests.
  void SetStandInPort(std::uint16_t port);

  std::function<void(TICMP&, const std::string& message)> OnDisplay;
  std::function<void(TICMP&)> OnEchoRequest;
  std::function<void(TICMP&, int status)> OnEchoReply;

 private:
  struct Lookup;
  // False while a name lookup is still running.
  bool Resolve();
  void Display(const std::string& message);

  HostResolver resolver_;
  std::shared_ptr<Lookup> lookup_;  // the name lookup in progress, if any
  std::function<void()> lookup_notify_;

  std::shared_ptr<IcmpEchoSocket> socket_;
  std::string address_;
  std::optional<std::uint32_t> resolved_address_;  // empty: "none"
  bool resolved_ = false;
  std::string host_name_;
  std::string host_ip_;
  int size_ = 56;
  int timeout_ = 4000;
  int ttl_ = 64;
  int flags_ = 0;
  std::string bind_interface_;
  int last_error_ = 0;
  TIcmpEchoReply reply_;
  bool stand_in_announced_ = false;
};

}  // namespace kivo
