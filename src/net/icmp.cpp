#include "net/icmp.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

static_assert(std::char_traits<char>::length(TICMP::kPayloadSentence) == 45,
              "the echo sentence is 45 characters long");

constexpr int kMaxSize = 65500;

}  // namespace

TICMP::TICMP(EchoMethod method) : socket_(IcmpEchoSocket::Open(method)) {
  if (!socket_) throw TICMPException(kNoHandle);
}

TICMP::~TICMP() = default;

EchoMethod TICMP::Method() const { return socket_->Method(); }

void TICMP::SetStandInPort(std::uint16_t port) { socket_->SetStandInPort(port); }

void TICMP::SetAddress(const std::string& address) {
  if (address == address_) return;
  address_ = address;
  resolved_ = false;
}

void TICMP::SetSize(int size) { size_ = size < 0 ? 0 : (size > kMaxSize ? kMaxSize : size); }

void TICMP::Display(const std::string& message) {
  if (OnDisplay) OnDisplay(*this, message);
}

void TICMP::Resolve() {
  resolved_address_.reset();
  std::uint32_t address = 0;
  if (ParseDottedIpv4(address_, &address)) {
    resolved_address_ = address;
    host_name_ = address_;
  } else {
    // A name lookup blocks like the echo itself does; the camera's address is normally dotted.
    std::vector<std::string> found;
    const int error = socket_api::ResolveHostName(address_, &found);
    if (error != 0 || found.empty() || !ParseDottedIpv4(found.front(), &address)) {
      last_error_ = error != 0 ? error : kWsaNoData;
      Display(kUnableToResolve + address_);
      return;
    }
    resolved_address_ = address;
    host_name_ = address_;
  }
  host_ip_ = FormatDottedIpv4(*resolved_address_);
  resolved_ = true;
}

std::string TICMP::EchoPayload(int size) {
  std::string payload(static_cast<size_t>(size < 0 ? 0 : size), ' ');
  const size_t sentence = std::strlen(kPayloadSentence);
  std::memcpy(payload.data(), kPayloadSentence, std::min(sentence, payload.size()));
  return payload;
}

int TICMP::Ping() {
  last_error_ = 0;
  if (!resolved_) Resolve();
  if (!resolved_address_) {
    last_error_ = static_cast<int>(kIpBadDestination);
    Display(kInvalidHostAddress);
    return 0;
  }
  if (socket_->Method() == EchoMethod::kTcpConnect && !stand_in_announced_ && OnDisplay) {
    stand_in_announced_ = true;
    Display(kStandInNote);
  }

  const std::string payload = EchoPayload(size_);
  if (OnEchoRequest) OnEchoRequest(*this);
  const EchoOutcome outcome = socket_->Echo(*resolved_address_, payload, ttl_, flags_, timeout_);
  last_error_ = outcome.replies > 0 ? 0 : static_cast<int>(outcome.status);
  reply_.Address = outcome.reply_address;
  reply_.Status = outcome.status;
  reply_.RTT = outcome.round_trip_ms;
  reply_.DataSize = outcome.data_size;
  reply_.Ttl = outcome.ttl;
  if (OnEchoReply) OnEchoReply(*this, outcome.replies);
  return outcome.replies;
}

}  // namespace kivo
