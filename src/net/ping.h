// TPing: the ping component — one ICMP echo to Address, reported through events, plus an
// optional asynchronous name lookup. Use it on the event loop's thread. Ping() never waits: the
// echo runs on a helper thread and its answer (a reply, a time-out after Timeout ms, an error)
// arrives later as a task on the loop, through OnEchoReply. A name lookup's result arrives the
// same way (a dotted address is converted at once, inside the call).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/icmp.h"
#include "platform/event_loop.h"

namespace kivo {

class TPing {
 public:
  // Error given to OnDnsLookupDone when a pending lookup is cancelled.
  static constexpr std::uint16_t kLookupCancelled = 10004;
  static constexpr const char* kCannotStartLookup = "%s: can't start DNS lookup, error #%d";

  // |resolver| answers DnsLookup and the echo's own lookup on helper threads; none: the
  // system's.
  explicit TPing(EventLoop& loop, EchoMethod method = EchoMethod::kAutomatic,
                 HostResolver resolver = nullptr);
  // Cancels a pending lookup without firing OnDnsLookupDone. The loop must outlive the ping.
  ~TPing();
  TPing(const TPing&) = delete;
  TPing& operator=(const TPing&) = delete;

  const std::string& Address() const { return icmp_->Address(); }
  void SetAddress(const std::string& address) { icmp_->SetAddress(address); }
  int Size() const { return icmp_->Size(); }
  void SetSize(int size) { icmp_->SetSize(size); }
  int Timeout() const { return icmp_->Timeout(); }
  void SetTimeout(int timeout_ms) { icmp_->SetTimeout(timeout_ms); }
  int TTL() const { return icmp_->TTL(); }
  void SetTTL(int ttl) { icmp_->SetTTL(ttl); }
  int Flags() const { return icmp_->Flags(); }
  void SetFlags(int flags) { icmp_->SetFlags(flags); }
  // The network interface the echo goes out through (TICMP::BindInterface); "" = wherever the
  // routing table says. Changed while an echo is out, it is treated like a new address.
  const std::string& BindInterface() const { return icmp_->BindInterface(); }
  void SetBindInterface(const std::string& name) { icmp_->SetBindInterface(name); }

  // Starts one echo and returns at once. OnDisplay and OnEchoRequest fire inside the call,
  // OnEchoReply later on the loop with the number of replies (0 or 1). While an echo is out, a
  // Ping to the same address adds nothing (its answer is on the way); after the address has
  // changed, the answer for the old address is dropped and the new address is pinged as soon as
  // the old echo is over. A host name is looked up first, off the loop; the echo follows its
  // answer without another Ping.
  void Ping();
  // True from Ping() until its answer has been handled.
  bool EchoOut() const { return echo_out_; }

  // Starts looking up |host|. A dotted address fires OnDnsLookupDone(0) before returning; a name
  // is looked up on a helper thread and OnDnsLookupDone fires later on the loop with 0 or the
  // lookup's error number. A lookup still pending is cancelled first.
  void DnsLookup(const std::string& host);
  // Cancels a pending lookup and fires OnDnsLookupDone(kLookupCancelled); no-op otherwise.
  void CancelDnsLookup();
  // The dotted address the last lookup found ("" until one succeeds).
  const std::string& DnsResult() const { return dns_result_; }

  // The echo worker. Its blocking Ping() must not be used while an echo is out.
  TICMP& Icmp() { return *icmp_; }

  std::function<void(TPing&, TICMP&, const std::string& message)> OnDisplay;
  std::function<void(TPing&, TICMP&)> OnEchoRequest;
  std::function<void(TPing&, TICMP&, int status)> OnEchoReply;
  std::function<void(TPing&, std::uint16_t error)> OnDnsLookupDone;

 private:
  struct Lookup;
  struct Gate;
  // From any thread: queues |task| on the loop unless the ping has been destroyed.
  static void PostThrough(const std::shared_ptr<Gate>& gate, EventLoop* loop,
                          EventLoop::Task task);
  void EchoDone(const std::string& address, const std::string& interface_name,
                const EchoOutcome& outcome);
  void FinishLookup(const std::shared_ptr<Lookup>& lookup, int error, const std::string& first);
  // Marks the pending lookup as cancelled; true if there was one.
  bool DropPendingLookup();

  EventLoop& loop_;
  HostResolver resolver_;  // DnsLookup's
  std::unique_ptr<TICMP> icmp_;
  std::string dns_result_;
  std::shared_ptr<Lookup> pending_;
  std::shared_ptr<Gate> gate_;
  bool echo_out_ = false;
  std::string echo_address_;       // the address the echo out was sent to
  std::string echo_interface_;     // and the interface it went out through
  bool ping_again_ = false;        // asked for a new address while the old echo was out
  bool waiting_for_name_ = false;  // a Ping is waiting for the echo's name lookup
};

}  // namespace kivo
