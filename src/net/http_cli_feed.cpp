#include "net/http_cli_feed.h"

#include <algorithm>
#include <cstring>

#include "net/http_cli_texts.h"
#include "net/http_util.h"
#include "net/wsocket_errors.h"
#include "platform/socket_errors.h"

namespace kivo {

void THttpCliFeed::BeginReply(THttpRequest request) {
  if (state_ != THttpState::Ready) throw EHttpException(http_text::kBusy, kHttpErrorBusy);
  ++request_serial_;
  request_finished_ = false;
  close_route_ = CloseRoute::Normal;
  ChangeState(THttpState::NotConnected);
  request_type_ = request;
  ResetRequest();
  path_ = ParseURL(URL).path;
  if (path_.empty()) path_ = "/";
  doc_name_ = DocNameFromPath(path_);
  host_name_ = target_host_ = "127.0.0.1";
  port_ = "80";
  open_ = true;
  connected_ = true;
  ChangeState(THttpState::Connected);
  ChangeState(THttpState::WaitingHeader);
}

void THttpCliFeed::Feed(const char* data, std::size_t len) {
  input_ = data;
  input_len_ = len;
  while (input_len_ > 0 && open_ && !request_finished_) {
    const std::size_t before = input_len_;
    SocketDataAvailable();
    if (input_len_ == before) break;
  }
  input_ = nullptr;
  input_len_ = 0;
}

void THttpCliFeed::ServerClose(int error) {
  if (!open_) return;
  open_ = false;
  SocketSessionClosed(error);
}

void THttpCliFeed::OpenConnection() {
  // Only a redirect gets here: there is nowhere to go.
  request_done_error_ = kWsaENetUnreach;
  failed_ = true;
  status_code_ = 404;
  reason_phrase_ = http_text::kCantConnect + SocketErrorText(kWsaENetUnreach) + " (Error #" +
                   std::to_string(kWsaENetUnreach) + ")";
  CloseHandling(kWsaENetUnreach);
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
