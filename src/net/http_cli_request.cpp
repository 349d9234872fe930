// THttpCli: composing and sending the request, and the POST body.
#include "net/http_cli.h"
#include "net/http_util.h"

namespace kivo {

namespace {

// Bytes a POST still has to send: from the stream's position to its end.
long long RemainingSize(std::istream& stream) {
  std::istream::pos_type here = stream.tellg();
  if (here == std::istream::pos_type(-1)) return 0;
  stream.seekg(0, std::ios::end);
  std::istream::pos_type end = stream.tellg();
  stream.seekg(here);
  return end == std::istream::pos_type(-1) ? 0 : static_cast<long long>(end - here);
}

}  // namespace

std::vector<std::string> THttpCli::ComposeRequestLines(const std::string& method) {
  const bool post = method == "POST";
  struct Row {
    bool wanted;
    std::string text;
  };
  // One row per possible line, in the order they are sent.
  const Row rows[] = {
      {true, method + " " + path_ + " HTTP/1.0"},
      {!Sender.empty(), "From: " + Sender},
      {!Accept.empty(), "Accept: " + Accept},
      {!Reference.empty(), "Referer: " + Reference},
      {!AcceptLanguage.empty(), "Accept-Language: " + AcceptLanguage},
      {post && !ContentTypePost.empty(), "Content-Type: " + ContentTypePost},
      {!Agent.empty(), "User-Agent: " + Agent},
      {true, "Host: " + target_host_},
      {NoCache, "Pragma: no-cache"},
      {post, post && SendStream ? "Content-Length: " + std::to_string(RemainingSize(*SendStream))
                                : std::string()},
      {ModifiedSince != 0, "If-Modified-Since: " + RFC1123Date(ModifiedSince) + " GMT"},
      {!Username.empty(), "Authorization: Basic " + EncodeBase64(Username + ":" + Password)},
      {!Proxy.empty() && !ProxyUsername.empty(),
       "Proxy-Authorization: Basic " + EncodeBase64(ProxyUsername + ":" + ProxyPassword)},
      {!Cookie.empty(), "Cookie: " + Cookie},
      {!ContentRangeBegin.empty() || !ContentRangeEnd.empty(),
       "Range: bytes=" + ContentRangeBegin + "-" + ContentRangeEnd},
  };
  std::vector<std::string> lines;
  for (const auto& row : rows) {
    if (row.wanted) lines.push_back(row.text);
  }
  if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
  }
  return lines;
}

void THttpCli::SendRequest(const std::string& method) {
  Guard guard = MakeGuard();
  auto still_sending = [&] { return Same(this, guard) && state_ == THttpState::WaitingHeader; };
  if (OnRequestHeaderBegin) OnRequestHeaderBegin(*this);
  if (!still_sending()) return;
  std::vector<std::string> lines = ComposeRequestLines(method);
  AcceptRanges.clear();
  if (OnBeforeHeaderSend) OnBeforeHeaderSend(*this, method, lines);
  if (!still_sending()) return;
  // The whole header is assembled here and handed to the socket in one send.
  std::string request;
  for (auto& line : lines) {
    if (OnCommand) OnCommand(*this, line);
    if (!still_sending()) return;
    request += line;
    request += "\r\n";
  }
  if (OnRequestHeaderEnd) OnRequestHeaderEnd(*this);
  if (!still_sending()) return;
  std::string closing;
  if (OnCommand) OnCommand(*this, closing);
  if (!still_sending()) return;
  request += closing;
  request += "\r\n";
  socket_.SendStr(request);
}

void THttpCli::SocketDataSent() {
  if (post_sending_) SendPostData();
}

void THttpCli::SendPostData() {
  char buffer[kRcvBufSize + 1];
  Guard guard = MakeGuard();
  SendStream->read(buffer, sizeof buffer);
  auto count = static_cast<int>(SendStream->gcount());
  bool exhausted = count < static_cast<int>(sizeof buffer);
  if (count > 0) {
    sent_count_ += count;
    if (OnSendData) OnSendData(*this, buffer, count);
    if (!Same(this, guard) || !post_sending_) return;
    socket_.Send(buffer, count);
    if (!Same(this, guard)) return;
  }
  if (exhausted) {
    SendStream->clear();
    post_sending_ = false;
    if (OnSendEnd) OnSendEnd(*this);
  }
}

}  // namespace kivo
