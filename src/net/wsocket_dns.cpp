// TWSocket: host-name lookup. Dotted addresses resolve inside the call; names resolve on a
// helper thread whose answer is posted back to the loop.
#include <mutex>
#include <system_error>
#include <thread>

#include "net/wsocket.h"
#include "net/wsocket_errors.h"
#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {

// Shared between the socket and its lookup thread. Once |cancelled| is set (under the mutex) the
// thread never touches the loop again, so neither the socket nor the loop has to outlive it.
struct TWSocket::LookupJob {
  std::mutex mutex;
  EventLoop* loop;
  bool cancelled = false;
};

void TWSocket::DnsLookup(const std::string& host) {
  CancelDnsLookup();
  dns_result_.clear();
  dns_result_list_.clear();
  std::weak_ptr<char> alive = alive_;
  if (host.empty()) {
    RaiseException(wsocket_text::kInvalidHostName);
    if (!alive.expired() && OnDnsLookupDone) OnDnsLookupDone(*this, kWsaEInval);
    return;
  }
  if (socket_api::IsDottedAddress(host)) {
    dns_result_ = host;
    dns_result_list_.push_back(host);
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
    return;
  }
  auto job = std::make_shared<LookupJob>();
  job->loop = &loop_;
  std::uint64_t id = ++lookup_serial_;
  try {
    std::thread([this, job, host, id, alive, resolver = resolver_] {
      std::vector<std::string> addresses;
      int error = resolver(host, &addresses);
      std::lock_guard<std::mutex> lock(job->mutex);
      if (job->cancelled) return;
      job->loop->Post([this, alive, id, error, addresses = std::move(addresses)]() mutable {
        if (!alive.expired()) LookupDone(id, error, std::move(addresses));
      });
    }).detach();
  } catch (const std::system_error& e) {
    int error = e.code().value();
    RaiseException(FormatText(wsocket_text::kCantStartLookup, host, error));
    // The lookup never started, but whoever waits for it must still hear that it ended.
    if (!alive.expired() && OnDnsLookupDone) OnDnsLookupDone(*this, error != 0 ? error : kWsaEInval);
    return;
  }
  lookup_ = std::move(job);
}

void TWSocket::CancelDnsLookup() {
  if (!lookup_) return;
  {
    std::lock_guard<std::mutex> lock(lookup_->mutex);
    lookup_->cancelled = true;
  }
  lookup_.reset();
  ++lookup_serial_;
}

void TWSocket::LookupDone(std::uint64_t lookup_id, int error, std::vector<std::string> addresses) {
  if (lookup_id != lookup_serial_ || !lookup_) return;
  lookup_.reset();
  if (error == 0 && !addresses.empty()) {
    dns_result_ = addresses.front();
    dns_result_list_ = std::move(addresses);
  } else if (error == 0) {
    error = kWsaNoData;
  }
  Dispatch([&] {
    if (OnDnsLookupDone) OnDnsLookupDone(*this, error);
  });
}

}  // namespace kivo
