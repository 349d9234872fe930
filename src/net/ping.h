// TPing: the ping component — one ICMP echo to Address, reported through events, plus an
// optional asynchronous name lookup. Use it on the event loop's thread. Ping() blocks for up to
// Timeout ms and fires its events before it returns; a name lookup's result arrives later as a
// task on the loop (a dotted address is converted at once, inside the call).
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

  explicit TPing(EventLoop& loop, EchoMethod method = EchoMethod::kAutomatic);
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

  // Sends one echo; returns the number of replies (see TICMP::Ping).
  int Ping() { return icmp_->Ping(); }

  // Starts looking up |host|. A dotted address fires OnDnsLookupDone(0) before returning; a name
  // is looked up on a helper thread and OnDnsLookupDone fires later on the loop with 0 or the
  // lookup's error number. A lookup still pending is cancelled first.
  void DnsLookup(const std::string& host);
  // Cancels a pending lookup and fires OnDnsLookupDone(kLookupCancelled); no-op otherwise.
  void CancelDnsLookup();
  // The dotted address the last lookup found ("" until one succeeds).
  const std::string& DnsResult() const { return dns_result_; }

  TICMP& Icmp() { return *icmp_; }

  std::function<void(TPing&, TICMP&, const std::string& message)> OnDisplay;
  std::function<void(TPing&, TICMP&)> OnEchoRequest;
  std::function<void(TPing&, TICMP&, int status)> OnEchoReply;
  std::function<void(TPing&, std::uint16_t error)> OnDnsLookupDone;

 private:
  struct Lookup;
  void FinishLookup(const std::shared_ptr<Lookup>& lookup, int error, const std::string& first);
  // Marks the pending lookup as cancelled; true if there was one.
  bool DropPendingLookup();

  EventLoop& loop_;
  std::unique_ptr<TICMP> icmp_;
  std::string dns_result_;
  std::shared_ptr<Lookup> pending_;
};

}  // namespace kivo
