#include "net/ping.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <utility>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/dotted_ipv4.h"
#include "platform/socket_api.h"

namespace kivo {

// Shared between the ping and the helper thread of one lookup. Once |cancelled| is set (under
// |mutex|) the helper never touches the loop again, and a result it already posted is ignored.
struct TPing::Lookup {
  std::mutex mutex;
  bool cancelled = false;
};

// Closed (under |mutex|) when the ping is destroyed; helper threads post to the loop only
// through an open gate, and tasks they posted check it again before touching the ping.
struct TPing::Gate {
  std::mutex mutex;
  bool open = true;
};

void TPing::PostThrough(const std::shared_ptr<Gate>& gate, EventLoop* loop, EventLoop::Task task) {
  std::lock_guard<std::mutex> lock(gate->mutex);
  if (gate->open) loop->Post(std::move(task));
}

TPing::TPing(EventLoop& loop, EchoMethod method, HostResolver resolver)
    : loop_(loop),
      resolver_(resolver ? std::move(resolver) : HostResolver(socket_api::ResolveHostName)),
      icmp_(std::make_unique<TICMP>(method, resolver_)),
      gate_(std::make_shared<Gate>()) {
  icmp_->SetLookupNotify([this, gate = gate_, loop = &loop_] {
    PostThrough(gate, loop, [this, gate] {
      if (!gate->open || !waiting_for_name_) return;
      waiting_for_name_ = false;
      Ping();
    });
  });
  icmp_->OnDisplay = [this](TICMP& icmp, const std::string& message) {
    if (OnDisplay) OnDisplay(*this, icmp, message);
  };
  icmp_->OnEchoRequest = [this](TICMP& icmp) {
    if (OnEchoRequest) OnEchoRequest(*this, icmp);
  };
  icmp_->OnEchoReply = [this](TICMP& icmp, int status) {
    if (OnEchoReply) OnEchoReply(*this, icmp, status);
  };
}

TPing::~TPing() {
  DropPendingLookup();
  std::lock_guard<std::mutex> lock(gate_->mutex);
  gate_->open = false;
}

void TPing::Ping() {
  if (echo_out_) {
    if (icmp_->Address() != echo_address_ || icmp_->BindInterface() != echo_interface_)
      ping_again_ = true;
    return;
  }
  waiting_for_name_ = false;
  std::optional<EchoRequest> request = icmp_->BeginEcho();
  if (!request) {
    waiting_for_name_ = icmp_->LookupPending();
    return;
  }
  echo_out_ = true;
  echo_address_ = icmp_->Address();
  echo_interface_ = icmp_->BindInterface();
  auto run = [this, gate = gate_, loop = &loop_, address = echo_address_,
              interface_name = echo_interface_, request = std::move(*request)] {
    const EchoOutcome outcome = request.Run();
    PostThrough(gate, loop, [this, gate, address, interface_name, outcome] {
      if (gate->open) EchoDone(address, interface_name, outcome);
    });
  };
  try {
    std::thread(std::move(run)).detach();
  } catch (const std::system_error&) {
    // No thread to wait on: the echo could not be sent, which is what a failure reports.
    echo_out_ = false;
    EchoOutcome failed;
    failed.status = kIpGeneralFailure;
    icmp_->FinishEcho(failed);
  }
}

void TPing::EchoDone(const std::string& address, const std::string& interface_name,
                     const EchoOutcome& outcome) {
  echo_out_ = false;
  // An answer for an address (or interface) the ping has since left says nothing about the
  // current one.
  if (address == icmp_->Address() && interface_name == icmp_->BindInterface())
    icmp_->FinishEcho(outcome);
  if (ping_again_) {
    ping_again_ = false;
    Ping();
  }
}

bool TPing::DropPendingLookup() {
  if (!pending_) return false;
  {
    std::lock_guard<std::mutex> lock(pending_->mutex);
    pending_->cancelled = true;
  }
  pending_.reset();
  return true;
}

void TPing::DnsLookup(const std::string& host) {
  CancelDnsLookup();
  dns_result_.clear();
  std::uint32_t address = 0;
  if (ParseDottedIpv4(host, &address)) {
    dns_result_ = FormatDottedIpv4(address);
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
    return;
  }
  auto lookup = std::make_shared<Lookup>();
  EventLoop* loop = &loop_;
  try {
    std::thread([this, loop, lookup, host, resolver = resolver_] {
      std::vector<std::string> found;
      const int error = resolver(host, &found);
      const std::string first = error == 0 && !found.empty() ? found.front() : std::string();
      std::lock_guard<std::mutex> lock(lookup->mutex);
      if (lookup->cancelled) return;
      loop->Post([this, lookup, error, first] { FinishLookup(lookup, error, first); });
    }).detach();
  } catch (const std::system_error& failure) {
    char message[512];
    std::snprintf(message, sizeof message, kCannotStartLookup, host.c_str(),
                  failure.code().value());
    throw std::runtime_error(message);
  }
  pending_ = std::move(lookup);
}

void TPing::FinishLookup(const std::shared_ptr<Lookup>& lookup, int error,
                         const std::string& first) {
  // Runs on the loop thread, where cancelling happens too, so this check cannot race.
  {
    std::lock_guard<std::mutex> lock(lookup->mutex);
    if (lookup->cancelled) return;
  }
  pending_.reset();
  if (error == 0) dns_result_ = first;
  if (OnDnsLookupDone) OnDnsLookupDone(*this, static_cast<std::uint16_t>(error));
}

void TPing::CancelDnsLookup() {
  if (!DropPendingLookup()) return;
  if (OnDnsLookupDone) OnDnsLookupDone(*this, kLookupCancelled);
}

}  // namespace kivo
