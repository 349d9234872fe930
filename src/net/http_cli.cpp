// THttpCli: construction, starting a request, name lookup, connect, abort and completion.
#include "net/http_cli.h"

#include <thread>

#include "net/http_cli_texts.h"
#include "net/http_util.h"
#include "net/wsocket_errors.h"
#include "platform/socket_errors.h"

namespace kivo {

namespace {

std::string ErrorWithNumber(int error) {
  return SocketErrorText(error) + " (Error #" + std::to_string(error) + ")";
}

}  // namespace

THttpCli::THttpCli(EventLoop& loop, HostResolver resolver)
    : loop_(loop), socket_(loop, std::move(resolver)) {
  socket_.OnDnsLookupDone = [this](TWSocket&, int error) { SocketDnsLookupDone(error); };
  socket_.OnSessionConnected = [this](TWSocket&, int error) { SocketSessionConnected(error); };
  socket_.OnDataAvailable = [this](TWSocket&, int) { SocketDataAvailable(); };
  socket_.OnDataSent = [this](TWSocket&, int) { SocketDataSent(); };
  socket_.OnSessionClosed = [this](TWSocket&, int error) { SocketSessionClosed(error); };
  socket_.OnError = [this](TWSocket&) {
    if (OnSocketError) OnSocketError(*this);
  };
  socket_.OnBgException = [this](TWSocket&, const std::exception& e, bool& can_close) {
    SocketBgException(e, can_close);
  };
}

THttpCli::~THttpCli() = default;

void THttpCli::ChangeState(THttpState state) {
  if (state == state_) return;
  state_ = state;
  if (state == THttpState::Ready) {
    request_finished_ = true;
    // The completion is posted with the values of this moment, so a request started from the
    // state-change handler cannot change what the finished one reports.
    loop_.Post([this, alive = std::weak_ptr<char>(alive_), type = request_type_,
                error = request_done_error_] {
      if (alive.expired() || !OnRequestDone) return;
      OnRequestDone(*this, type, error);
    });
  }
  if (OnStateChange) OnStateChange(*this);
}

void THttpCli::ResetRequest() {
  rcvd_header_.clear();
  request_done_error_ = 0;
  doc_name_.clear();
  status_code_ = 0;
  reason_phrase_.clear();
  rcvd_count_ = 0;
  sent_count_ = 0;
  header_lines_ = 0;
  header_bytes_ = 0;
  redirects_ = 0;
  body_chunks_ = 0;
  content_length_ = -1;
  content_type_.clear();
  post_sending_ = false;
  location_ = URL;
  location_seen_ = false;
  header_in_progress_ = false;
  failed_ = false;
  rcv_count_ = rcv_start_ = 0;
  last_response_ = {};
}

void THttpCli::DoRequestAsync(THttpRequest request) {
  if (state_ != THttpState::Ready) throw EHttpException(http_text::kBusy, kHttpErrorBusy);
  if (request == THttpRequest::Post && SendStream == nullptr)
    throw EHttpException(http_text::kNothingToPost, kHttpErrorNothingToPost);
  // A connection the last reply left open (a content-length of 0) is dropped without a word.
  if (socket_.State() != wsClosed && socket_.State() != wsInvalidState) {
    close_route_ = CloseRoute::Ignore;
    socket_.Abort();
  }
  close_route_ = CloseRoute::Normal;
  ++request_serial_;
  request_finished_ = false;
  Guard guard = MakeGuard();
  ChangeState(THttpState::NotConnected);
  if (!Same(this, guard) || state_ != THttpState::NotConnected) return;
  request_type_ = request;
  ResetRequest();

  TUrlParts url = ParseURL(URL, path_);
  target_host_ = url.host;
  doc_name_ = url.path;
  if (!url.user.empty()) Username = url.user;
  if (!url.password.empty()) Password = url.password;
  if (Proxy.empty()) {
    path_ = url.path;
    host_name_ = url.host;
    port_ = url.port.empty() ? "80" : url.port;
  } else {
    path_ = (url.scheme.empty() ? "http" : url.scheme) + "://" + url.host +
            (url.port.empty() ? "" : ":" + url.port) + (url.path.empty() ? "/" : url.path);
    TUrlParts proxy = ParseURL(Proxy);
    host_name_ = proxy.host;
    port_ = proxy.port.empty() ? ProxyPort : proxy.port;
  }
  if (path_.empty()) path_ = "/";
  doc_name_ = DocNameFromPath(doc_name_);
  StartLookup();
}

void THttpCli::StartLookup() {
  dns_result_.clear();
  Guard guard = MakeGuard();
  ChangeState(THttpState::DnsLookup);
  if (!Same(this, guard) || state_ != THttpState::DnsLookup) return;
  OpenConnection();
}

void THttpCli::OpenConnection() {
  Guard guard = MakeGuard();
  try {
    socket_.SetLocalAddr(LocalAddr);
    socket_.DnsLookup(host_name_);
  } catch (const std::exception& e) {
    if (!Same(this, guard)) return;
    status_code_ = 404;
    reason_phrase_ = e.what();
    connected_ = false;
    ChangeState(THttpState::Ready);
  }
}

void THttpCli::SocketDnsLookupDone(int error) {
  if (state_ != THttpState::DnsLookup && state_ != THttpState::Aborting) return;
  if (error != 0) {
    if (state_ == THttpState::Aborting) return;
    request_done_error_ = static_cast<std::uint16_t>(error);
    status_code_ = 404;
    reason_phrase_ = http_text::kCantResolve;
    failed_ = true;
    CloseHandling(error);
    return;
  }
  if (state_ != THttpState::DnsLookup) return;
  dns_result_ = socket_.DnsResult();
  Guard guard = MakeGuard();
  ChangeState(THttpState::DnsLookupDone);
  if (!Same(this, guard) || state_ != THttpState::DnsLookupDone) return;
  socket_.SetAddr(dns_result_);
  socket_.SetLocalAddr(LocalAddr);
  socket_.Port = port_;
  socket_.BindInterface = BindInterface;
  socket_.SetProto("tcp");
  socket_.MultiThreaded = MultiThreaded;
  socket_.Connect();
  if (!Same(this, guard) || state_ != THttpState::DnsLookupDone) return;
  if (socket_.State() == wsConnecting || socket_.State() == wsConnected) return;
  // The connect was refused at once (the socket has already said why through OnSocketError).
  int connect_error = socket_.LastError() != 0 ? socket_.LastError() : kWsaEInval;
  request_done_error_ = static_cast<std::uint16_t>(connect_error);
  status_code_ = 404;
  reason_phrase_ = http_text::kCantConnect +
                   (connect_error == kErrorNoSuchInterface
                        ? FormatText(wsocket_text::kNoSuchInterface, BindInterface, 0) +
                              " (Error #" + std::to_string(connect_error) + ")"
                        : ErrorWithNumber(connect_error));
  failed_ = true;
  close_route_ = CloseRoute::Ignore;
  socket_.Close();
  close_route_ = CloseRoute::Normal;
  if (Same(this, guard)) CloseHandling(connect_error);
}

void THttpCli::SocketSessionConnected(int error) {
  if (state_ != THttpState::DnsLookupDone) return;
  if (error != 0) {
    request_done_error_ = static_cast<std::uint16_t>(error);
    status_code_ = 404;
    reason_phrase_ = ErrorWithNumber(error);
    failed_ = true;
    CloseHandling(error);
    return;
  }
  Guard guard = MakeGuard();
  connected_ = true;
  ChangeState(THttpState::Connected);
  if (!Same(this, guard) || state_ != THttpState::Connected) return;
  if (OnSessionConnected) OnSessionConnected(*this);
  if (!Same(this, guard) || state_ != THttpState::Connected) return;
  ChangeState(THttpState::WaitingHeader);
  if (!Same(this, guard) || state_ != THttpState::WaitingHeader) return;
  static constexpr const char* kMethods[] = {"GET", "GET", "POST", "HEAD"};
  SendRequest(kMethods[static_cast<int>(request_type_)]);
  if (!Same(this, guard) || state_ != THttpState::WaitingHeader) return;
  if (request_type_ == THttpRequest::Post) {
    if (OnSendBegin) OnSendBegin(*this);
    if (!Same(this, guard) || state_ != THttpState::WaitingHeader) return;
    post_sending_ = true;
    SendPostData();
  }
}

void THttpCli::SocketSessionClosed(int error) {
  switch (close_route_) {
    case CloseRoute::Ignore:
      return;
    case CloseRoute::Redirect:
      RedirectStep();
      return;
    case CloseRoute::Normal:
      CloseHandling(error);
      return;
  }
}

void THttpCli::SocketBgException(const std::exception& e, bool& can_close) {
  if (!request_finished_ && state_ != THttpState::Ready) {
    status_code_ = 404;
    reason_phrase_ = e.what();
    failed_ = true;
    location_seen_ = false;  // a failed reply is not followed anywhere
  }
  if (OnBgException) OnBgException(*this, e, can_close);
}

void THttpCli::SetReady() {
  request_finished_ = true;
  loop_.Post([this, guard = MakeGuard()] {
    if (Same(this, guard)) ChangeState(THttpState::Ready);
  });
}

int THttpCli::ReadConnection(char* buffer, int len) { return socket_.Receive(buffer, len); }

void THttpCli::BeginReplyOnOpenConnection(THttpRequest request) {
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
  connected_ = true;
  ChangeState(THttpState::Connected);
  ChangeState(THttpState::WaitingHeader);
}

void THttpCli::ConnectionFailed(int error) {
  request_done_error_ = static_cast<std::uint16_t>(error);
  failed_ = true;
  status_code_ = 404;
  reason_phrase_ = http_text::kCantConnect + ErrorWithNumber(error);
  CloseHandling(error);
}

void THttpCli::CloseConnection(bool abort) {
  if (abort) {
    socket_.Abort();
  } else {
    socket_.Close();
  }
}

void THttpCli::FailRequest(int error, const std::string& reason) {
  request_done_error_ = static_cast<std::uint16_t>(error);
  status_code_ = 404;
  reason_phrase_ = reason;
  failed_ = true;
  location_seen_ = false;  // a broken reply is not followed anywhere
  CloseConnection(true);
}

void THttpCli::Abort() {
  if (state_ == THttpState::Ready) {
    if (socket_.State() != wsClosed && socket_.State() != wsInvalidState) socket_.Close();
    return;
  }
  bool was_lookup = state_ == THttpState::DnsLookup;
  Guard guard = MakeGuard();
  ChangeState(THttpState::Aborting);
  if (!Same(this, guard)) return;
  if (was_lookup) socket_.CancelDnsLookup();
  status_code_ = 404;
  reason_phrase_ = http_text::kAborted;
  request_done_error_ = kHttpErrorAborted;
  failed_ = true;
  location_seen_ = false;  // an aborted reply is not followed anywhere
  if (was_lookup) {
    CloseHandling(0);
  } else {
    CloseConnection(false);
  }
  if (!Same(this, guard)) return;
  ChangeState(THttpState::Ready);
}

void THttpCli::Close() {
  CloseConnection(false);
  connected_ = false;
}

void THttpCli::DoRequestSync(THttpRequest request) {
  DoRequestAsync(request);
  std::weak_ptr<char> alive = alive_;
  while (!alive.expired() && state_ != THttpState::Ready) {
    if (MultiThreaded) {
      socket_.ProcessMessages();
    } else {
      loop_.ProcessPendingMessages();
    }
    std::this_thread::yield();
  }
  if (!alive.expired() && status_code_ > 399) throw EHttpException(reason_phrase_, status_code_);
}

}  // namespace kivo
