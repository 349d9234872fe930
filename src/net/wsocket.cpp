// TWSocket: construction, properties, error reporting, connect, send and close.
#include "net/wsocket.h"

#include <algorithm>
#include <cctype>

#include "net/wsocket_errors.h"
#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {

namespace api = socket_api;
namespace text = wsocket_text;

namespace {

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsClosedState(TSocketState state) { return state == wsClosed || state == wsInvalidState; }

// Errors that Winsock reports later, through the connect notification, rather than from the
// connect call itself; a POSIX stack may report them at once, so they are deferred to match.
bool IsDeferredConnectError(int error) {
  return error == kWsaEConnRefused || error == kWsaETimedOut || error == kWsaENetUnreach ||
         error == kWsaEHostUnreach || error == 10064 || error == 10050;
}

}  // namespace

TWSocket::TWSocket(EventLoop& loop, HostResolver resolver)
    : loop_(loop), resolver_(resolver ? std::move(resolver) : HostResolver(&api::ResolveHostName)) {}

TWSocket::~TWSocket() {
  CancelDnsLookup();
  // No events from a destructor: the owner may be half destroyed already.
  if (handle_ != -1) {
    loop_.Unwatch(watch_);
    api::CloseSocket(handle_);
    handle_ = -1;
  }
}

void TWSocket::SetAddr(const std::string& value) {
  if (!IsClosedState(state_)) return RaiseException(text::kChangeAddr);
  addr_ = value;
}

void TWSocket::SetProto(const std::string& value) {
  if (!IsClosedState(state_)) return RaiseException(text::kChangeProto);
  proto_ = value;
}

void TWSocket::SetLocalAddr(const std::string& value) {
  if (!IsClosedState(state_)) return RaiseException(text::kChangeLocalAddr);
  local_addr_ = value.empty() ? "0.0.0.0" : value;
}

void TWSocket::SetSendFlags(int value) {
  if (value != wsSendNormal && value != wsSendUrgent) return RaiseException(text::kInvalidSendFlags);
  send_flags_ = static_cast<TSocketSendFlags>(value);
}

long TWSocket::RcvdCount() const {
  if (handle_ == -1) return -1;
  long count = -1;
  return api::BytesAvailable(handle_, &count) == 0 ? count : -1;
}

void TWSocket::ChangeState(TSocketState new_state) {
  if (new_state == state_) return;
  TSocketState old_state = state_;
  state_ = new_state;
  if (OnChangeState) OnChangeState(*this, old_state, new_state);
}

void TWSocket::RaiseException(const std::string& message) {
  last_error_message_ = message;
  if (OnError) {
    OnError(*this);
    return;
  }
  throw ESocketException(message);
}

void TWSocket::SocketError(const std::string& function, int error) {
  std::string message = "Error " + std::to_string(error) + " in function " + function + "\r\n" +
                        SocketErrorText(error);
  // A reset or an unconnected socket means the session is over: say so before the error.
  if ((error == kWsaEConnReset || error == kWsaENotConn) && handle_ != -1) {
    InternalClose(false, error);
  }
  last_error_ = error;
  RaiseException(message);
}

void TWSocket::Dispatch(const std::function<void()>& work) {
  std::weak_ptr<char> alive = alive_;
  try {
    work();
  } catch (const std::exception& e) {
    if (!alive.expired()) HandleBgException(e);
  } catch (...) {
    if (!alive.expired()) HandleBgException(std::runtime_error("unknown exception"));
  }
}

void TWSocket::HandleBgException(const std::exception& e) {
  std::weak_ptr<char> alive = alive_;
  bool can_close = true;
  if (OnBgException) {
    try {
      OnBgException(*this, e, can_close);
    } catch (...) {
      // A failing exception handler must not take the loop down with it.
    }
  }
  if (alive.expired() || !can_close) return;
  try {
    // The handler that threw had not finished its work: the connection ends as aborted, so the
    // owner never mistakes it for a clean end.
    if (handle_ != -1 && state_ == wsConnected) api::SetLinger(handle_, false, 0);
    InternalClose(false, kWsaEConnAborted);
  } catch (...) {
  }
}

void TWSocket::ResetConnection() {
  ++serial_;
  session_closed_reported_ = false;
  last_recv_short_ = peer_closed_ = false;
  peer_error_ = 0;
  send_queue_.clear();
  all_sent_ = true;
  write_notice_pending_ = false;
  want_read_ = want_write_ = false;
  watched_events_ = 0;
  line_buffer_.clear();
  current_line_.clear();
  delivering_line_ = false;
}

void TWSocket::Connect() {
  if (handle_ != -1 && state_ != wsClosed) return RaiseException(text::kSocketInUse);
  if (Port.empty()) return RaiseException(text::kNoPort);
  if (addr_.empty()) return RaiseException(text::kNoAddress);
  if (proto_.empty()) return RaiseException(text::kNoProtocol);
  last_error_ = 0;

  std::string proto = Lower(proto_);
  if (proto != "tcp" && proto != "6") {
    return RaiseException(text::kConnectPrefix +
                          FormatText(text::kResolveProto, proto_, kWsaEProtoNoSupport));
  }
  int port = 0;
  if (int err = api::ResolveService(Port, "tcp", &port); err != 0) {
    last_error_ = err;
    return RaiseException(text::kConnectPrefix + FormatText(text::kResolvePort, Port, err));
  }
  int local_port = 0;
  if (!LocalPort.empty()) {
    if (int err = api::ResolveService(LocalPort, "tcp", &local_port); err != 0) {
      last_error_ = err;
      return RaiseException(text::kConnectPrefix + FormatText(text::kResolvePort, LocalPort, err));
    }
  }
  // The HTTP client always passes a dotted address; a name is resolved here, blocking.
  std::string address = addr_;
  if (!api::IsDottedAddress(address)) {
    std::vector<std::string> found;
    if (int err = resolver_(address, &found); err != 0) {
      last_error_ = err;
      return RaiseException(text::kConnectPrefix + FormatText(text::kResolveHost, addr_, err));
    }
    address = found.front();
  }
  if (!api::IsDottedAddress(local_addr_)) {
    return RaiseException(text::kConnectPrefix +
                          FormatText(text::kResolveHost, local_addr_, kWsaEInval));
  }

  int handle = -1;
  if (int err = api::OpenTcpSocket(&handle); err != 0) return SocketError(text::kFnSocket, err);
  if (handle_ != -1) {  // a closed socket whose handle is still held (cannot happen, but be safe)
    loop_.Unwatch(watch_);
    api::CloseSocket(handle_);
  }
  handle_ = handle;
  ResetConnection();
  read_count_ = 0;
  Guard guard = MakeGuard();
  ChangeState(wsOpened);
  if (!Same(guard)) return;
  if (state_ != wsOpened) return SocketError(text::kFnStateChanged, kWsaEInval);

  struct Option {
    bool wanted;
    int error;
    const char* name;
  };
  const Option options[] = {
      {true, api::SetReuseAddr(handle_, true), "setsockopt(SO_REUSEADDR)"},
      {(ComponentOptions & wsoTcpNoDelay) != 0,
       (ComponentOptions & wsoTcpNoDelay) ? api::SetNoDelay(handle_, true) : 0,
       "setsockopt(TCP_NODELAY)"},
      {LingerOnOff != wsLingerNoSet,
       LingerOnOff != wsLingerNoSet ? api::SetLinger(handle_, LingerOnOff == wsLingerOn, LingerTimeout)
                                    : 0,
       "setsockopt(SO_LINGER)"},
      {true, api::SetKeepAlive(handle_, true), "setsockopt(SO_KEEPALIVE)"},
  };
  for (const auto& option : options) {
    if (option.wanted && option.error != 0) return SocketError(option.name, option.error);
  }
  if (!BindInterface.empty()) {
    if (int err = api::BindToInterface(handle_, BindInterface); err != 0) {
      if (err != kErrorNoSuchInterface) return SocketError(text::kFnBindInterface, err);
      last_error_ = err;
      return RaiseException(FormatText(text::kNoSuchInterface, BindInterface, err));
    }
  }
  if (local_port != 0 || local_addr_ != "0.0.0.0") {
    if (int err = api::Bind(handle_, local_addr_, local_port); err != 0) {
      return SocketError("bind", err);
    }
  }

  watch_ = loop_.WatchFd(handle_, 0, [this, alive = std::weak_ptr<char>(alive_)](unsigned ready) {
    if (!alive.expired()) OnReady(ready);
  });
  int err = api::Connect(handle_, address, port);
  if (err == 0 || err == kWsaEWouldBlock || err == kWsaEInProgress) {
    want_write_ = true;  // writability reports the end of the connect
    UpdateWatch();
    ChangeState(wsConnecting);
    return;
  }
  if (IsDeferredConnectError(err)) {
    ChangeState(wsConnecting);
    if (!Same(guard)) return;
    loop_.Post([this, guard, err] {
      if (Same(guard) && state_ == wsConnecting) Dispatch([&] { FinishConnect(err); });
    });
    return;
  }
  last_error_ = err;
  SocketError(text::kFnConnect, err);
}

int TWSocket::Send(const void* data, int len) {
  if (state_ != wsConnected) {
    SocketError(text::kFnSend, kWsaENotConn);
    return -1;
  }
  if (len <= 0) return 0;
  const char* bytes = static_cast<const char*>(data);
  int left = len;
  if (!send_queue_.empty()) {
    int n = send_queue_.back().Write(bytes, left);
    bytes += n;
    left -= n;
  }
  while (left > 0) {
    send_queue_.emplace_back(kSendBlockSize);
    int n = send_queue_.back().Write(bytes, left);
    bytes += n;
    left -= n;
  }
  all_sent_ = false;
  Guard guard = MakeGuard();
  TryToSend();
  // OnDataSent always comes from the loop, never from inside Send.
  if (Same(guard) && all_sent_) PostWriteNotice();
  return len;
}

void TWSocket::Close() { InternalClose(true, 0); }

void TWSocket::Abort() {
  CancelDnsLookup();
  send_queue_.clear();
  all_sent_ = true;
  if (handle_ != -1 && state_ == wsConnected) api::SetLinger(handle_, false, 0);
  InternalClose(false, 0);
}

void TWSocket::ProcessMessages() { loop_.ProcessPendingMessages(); }

void TWSocket::InternalClose(bool shutdown, int error) {
  CancelDnsLookup();
  if (handle_ == -1) return;
  if (shutdown && state_ == wsConnected) api::ShutdownSend(handle_);
  loop_.Unwatch(watch_);
  watch_ = 0;
  int close_error = api::CloseSocket(handle_);
  handle_ = -1;
  bool reported = session_closed_reported_;
  ResetConnection();
  session_closed_reported_ = true;
  Guard guard = MakeGuard();
  if (close_error != 0 && close_error != kWsaNotInitialised) {
    SocketError(text::kFnCloseSocket, close_error);
    if (!Same(guard)) return;
  }
  ChangeState(wsClosed);
  if (!Same(guard)) return;
  if (!reported && OnSessionClosed) OnSessionClosed(*this, error);
}

}  // namespace kivo
