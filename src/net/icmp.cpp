#include "net/icmp.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "net/wsocket_errors.h"
#include "platform/dotted_ipv4.h"
#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

static_assert(std::char_traits<char>::length(TICMP::kPayloadSentence) == 45,
              "the echo sentence is 45 characters long");

constexpr int kMaxSize = 65500;

}  // namespace

// Shared between the echo component and the helper thread of one lookup: the thread only ever
// writes its answer here, so neither the component nor any loop has to outlive it.
struct TICMP::Lookup {
  std::mutex mutex;
  bool done = false;
  int error = 0;
  std::vector<std::string> found;
};

TICMP::TICMP(EchoMethod method, HostResolver resolver)
    : resolver_(resolver ? std::move(resolver) : HostResolver(socket_api::ResolveHostName)),
      socket_(IcmpEchoSocket::Open(method)) {
  if (!socket_) throw TICMPException(kNoHandle);
}

TICMP::~TICMP() = default;

EchoMethod TICMP::Method() const { return socket_->Method(); }

void TICMP::SetStandInPort(std::uint16_t port) { socket_->SetStandInPort(port); }

void TICMP::SetAddress(const std::string& address) {
  if (address == address_) return;
  address_ = address;
  resolved_ = false;
  lookup_.reset();  // an answer for the old address is of no use
}

void TICMP::SetSize(int size) { size_ = size < 0 ? 0 : (size > kMaxSize ? kMaxSize : size); }

void TICMP::Display(const std::string& message) {
  if (OnDisplay) OnDisplay(*this, message);
}

bool TICMP::Resolve() {
  resolved_address_.reset();
  std::uint32_t address = 0;
  if (ParseDottedIpv4(address_, &address)) {
    resolved_address_ = address;
    host_name_ = address_;
  } else {
    // A name server that does not answer must not hold up the caller's thread (the window's):
    // the name is looked up on a helper thread, and each Ping looks whether the answer is in.
    if (!lookup_) {
      auto lookup = std::make_shared<Lookup>();
      try {
        std::thread([lookup, resolver = resolver_, name = address_, notify = lookup_notify_] {
          std::vector<std::string> found;
          const int error = resolver(name, &found);
          {
            std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->error = error;
            lookup->found = std::move(found);
            lookup->done = true;
          }
          if (notify) notify();
        }).detach();
        // Never the answer inside the call that asked: a lookup that fails at once would
        // otherwise report through OnDisplay now or later, depending on how the threads ran.
        lookup_ = std::move(lookup);
        return false;
      } catch (const std::system_error& e) {
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->error = e.code().value() != 0 ? e.code().value() : kWsaNoData;
        lookup->done = true;
      }
      lookup_ = std::move(lookup);
    }
    int error = 0;
    std::vector<std::string> found;
    {
      std::lock_guard<std::mutex> lock(lookup_->mutex);
      if (!lookup_->done) return false;
      error = lookup_->error;
      found = std::move(lookup_->found);
    }
    lookup_.reset();  // a failed name is looked up afresh at the next Ping
    if (error != 0 || found.empty() || !ParseDottedIpv4(found.front(), &address)) {
      last_error_ = error != 0 ? error : kWsaNoData;
      Display(kUnableToResolve + address_);
      return true;
    }
    resolved_address_ = address;
    host_name_ = address_;
  }
  host_ip_ = FormatDottedIpv4(*resolved_address_);
  resolved_ = true;
  return true;
}

std::string TICMP::EchoPayload(int size) {
  std::string payload(static_cast<size_t>(size < 0 ? 0 : size), ' ');
  const size_t sentence = std::strlen(kPayloadSentence);
  std::memcpy(payload.data(), kPayloadSentence, std::min(sentence, payload.size()));
  return payload;
}

int TICMP::Ping() {
  const std::optional<EchoRequest> request = BeginEcho();
  if (!request) return 0;
  return FinishEcho(request->Run());
}

std::optional<EchoRequest> TICMP::BeginEcho() {
  last_error_ = 0;
  if (!resolved_ && !Resolve()) {
    last_error_ = static_cast<int>(kIpReqTimedOut);  // no answer yet
    return std::nullopt;
  }
  if (!resolved_address_) {
    last_error_ = static_cast<int>(kIpBadDestination);
    Display(kInvalidHostAddress);
    return std::nullopt;
  }
  if (socket_->Method() == EchoMethod::kTcpConnect && !stand_in_announced_ && OnDisplay) {
    stand_in_announced_ = true;
    Display(kStandInNote);
  }
  EchoRequest request{socket_, *resolved_address_, EchoPayload(size_), ttl_, flags_,
                      timeout_, bind_interface_};
  if (OnEchoRequest) OnEchoRequest(*this);
  return request;
}

int TICMP::FinishEcho(const EchoOutcome& outcome) {
  last_error_ = outcome.replies > 0 ? 0 : static_cast<int>(outcome.status);
  reply_.Address = outcome.reply_address;
  reply_.Status = outcome.status;
  reply_.RTT = outcome.round_trip_ms;
  reply_.DataSize = outcome.data_size;
  reply_.Ttl = outcome.ttl;
  if (outcome.status == kIpNoSuchInterface)
    Display(FormatText(wsocket_text::kNoSuchInterface, bind_interface_, 0));
  if (OnEchoReply) OnEchoReply(*this, outcome.replies);
  return outcome.replies;
}

}  // namespace kivo
