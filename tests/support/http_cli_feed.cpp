#include "support/http_cli_feed.h"

#include <algorithm>
#include <cstring>

#include "platform/socket_errors.h"

namespace kivo {

void THttpCliFeed::BeginReply(THttpRequest request) {
  // Open before the state changes are told, as a connection would be (a busy client throws).
  if (State() == THttpState::Ready) open_ = true;
  BeginReplyOnOpenConnection(request);
}

void THttpCliFeed::Feed(const char* data, std::size_t len) {
  input_ = data;
  input_len_ = len;
  while (input_len_ > 0 && open_ && !RequestFinished()) {
    const std::size_t before = input_len_;
    ConnectionDataAvailable();
    if (input_len_ == before) break;
  }
  input_ = nullptr;
  input_len_ = 0;
}

void THttpCliFeed::ServerClose(int error) {
  if (!open_) return;
  open_ = false;
  ConnectionClosed(error);
}

void THttpCliFeed::OpenConnection() {
  // Only a redirect gets here: there is nowhere to go.
  ConnectionFailed(kWsaENetUnreach);
}

int THttpCliFeed::ReadConnection(char* buffer, int len) {
  if (input_ == nullptr || len <= 0) return 0;
  const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(len), input_len_));
  std::memcpy(buffer, input_, n);
  input_ += n;
  input_len_ -= n;
  return n;
}

void THttpCliFeed::CloseConnection(bool) {
  // The client closing its end: the server sees the close, and so does the client.
  ServerClose(0);
}

}  // namespace kivo
