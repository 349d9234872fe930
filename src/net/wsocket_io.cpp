// TWSocket: readiness handling, the receive loop, line mode and the send queue.
#include <algorithm>
#include <cstring>

#include "net/wsocket.h"
#include "net/wsocket_errors.h"
#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {

namespace api = socket_api;

namespace {

// Send errors after which the connection is gone (rather than a failed call to report).
bool IsConnectionGone(int error) {
  return error == kWsaEInval || error == kWsaENotSock || error == kWsaEConnAborted ||
         error == kWsaEConnReset || error == kWsaENotConn;
}

}  // namespace

void TWSocket::UpdateWatch() {
  if (handle_ == -1 || watch_ == 0) return;
  unsigned events = (want_read_ ? EventLoop::kRead : 0) | (want_write_ ? EventLoop::kWrite : 0);
  if (events != watched_events_) {
    watched_events_ = events;
    loop_.SetWatchEvents(watch_, events);
  }
}

void TWSocket::OnReady(unsigned ready) {
  Dispatch([&] {
    Guard guard = MakeGuard();
    if (state_ == wsConnecting) {
      FinishConnect(0);
      if (!Same(guard) || state_ != wsConnected) return;
      guard = MakeGuard();
    }
    if (state_ != wsConnected) return;
    if (ready & (EventLoop::kRead | EventLoop::kError)) {
      HandleReadable(ready);
      if (!Same(guard)) return;
    }
    if ((ready & EventLoop::kWrite) && want_write_) HandleWritable();
  });
}

void TWSocket::FinishConnect(int error) {
  if (error == 0 && handle_ != -1) {
    int rc = api::PendingError(handle_, &error);
    if (rc != 0) error = rc;
  }
  Guard guard = MakeGuard();
  ChangeState(wsConnected);
  if (!Same(guard)) return;
  if (error == 0) {
    want_read_ = true;
    want_write_ = !all_sent_;
  } else {
    want_read_ = want_write_ = false;
  }
  UpdateWatch();
  if (OnSessionConnected) OnSessionConnected(*this, error);
  if (!Same(guard)) return;
  if (error != 0) InternalClose(false, error);
}

void TWSocket::HandleReadable(unsigned ready) {
  Guard guard = MakeGuard();
  peer_closed_ = false;
  peer_error_ = 0;
  bool handler_read = true;
  if (LineMode) {
    ReadLines();
  } else {
    handler_read = ReceiveLoop();
  }
  if (!Same(guard) || handle_ == -1) return;
  if (peer_closed_ || peer_error_ != 0) return CloseFromPeer(peer_error_);
  if (!handler_read) {
    // The handler left the data where it is. Like Winsock, say nothing more until it reads
    // again (Receive re-arms, as does ResumeReceive); a pending error still ends the connection.
    int error = 0;
    if ((ready & EventLoop::kError) && api::PendingError(handle_, &error) == 0 && error != 0) {
      return CloseFromPeer(error);
    }
    want_read_ = false;
    if (ready & EventLoop::kError) want_write_ = false;
    UpdateWatch();
  }
}

bool TWSocket::ReceiveLoop() {
  Guard guard = MakeGuard();
  // However fast the peer sends, one readiness report does a bounded amount of work: what is
  // left is reported again by the next poll, after the timers and posted tasks have had a turn.
  static constexpr int kRoundsPerReadiness = 64;
  static constexpr long long kBytesPerReadiness = 1 << 20;
  const long long read_before = read_count_;
  for (int round = 1;; ++round) {
    last_error_ = 0;
    const std::uint64_t calls_before = receive_calls_;
    if (OnDataAvailable) {
      OnDataAvailable(*this, 0);
    } else {
      char discard[1024];
      if (Receive(discard, sizeof discard) < 0 && last_error_ == kWsaEWouldBlock) return true;
    }
    if (!Same(guard) || handle_ == -1) return true;
    if (receive_calls_ == calls_before) return false;
    if (peer_closed_ || peer_error_ != 0) return true;
    if ((ComponentOptions & wsoNoReceiveLoop) || last_error_ != 0) return true;
    // A read that got less than it asked for emptied the system's buffer: the FIONREAD query
    // would say 0, so it is skipped (new data wake the loop again anyway).
    if (last_recv_short_) return true;
    if (round >= kRoundsPerReadiness || read_count_ - read_before >= kBytesPerReadiness) return true;
    long waiting = 0;
    if (api::BytesAvailable(handle_, &waiting) != 0 || waiting <= 0) return true;
  }
}

int TWSocket::Receive(void* buffer, int len) {
  if (delivering_line_) {
    int n = static_cast<int>(
        std::min<std::size_t>(std::max(len, 0), current_line_.size() - line_pos_));
    std::memcpy(buffer, current_line_.data() + line_pos_, n);
    line_pos_ += n;
    return n;
  }
  if (handle_ == -1 || LineMode) {
    last_error_ = handle_ == -1 ? kWsaENotConn : kWsaEWouldBlock;
    return -1;
  }
  ++receive_calls_;
  if (!want_read_ && state_ == wsConnected) {
    want_read_ = true;
    UpdateWatch();
  }
  long n = 0;
  int error = api::Receive(handle_, static_cast<char*>(buffer), std::max(len, 0), &n);
  if (n < 0) {
    last_error_ = error;
    if (error != kWsaEWouldBlock) peer_error_ = error;
    return -1;
  }
  if (n == 0 && len > 0) peer_closed_ = true;
  read_count_ += n;
  last_recv_short_ = n < len;
  return static_cast<int>(n);
}

void TWSocket::ResumeReceive() {
  if (state_ != wsConnected || want_read_) return;
  want_read_ = true;
  UpdateWatch();
}

void TWSocket::ReadLines() {
  char chunk[4096];
  // At most 1 MiB per readiness report, as in the receive loop; the rest is reported again.
  for (int chunks = 0; chunks < 256; ++chunks) {
    long n = 0;
    int error = api::Receive(handle_, chunk, sizeof chunk, &n);
    if (n < 0) {
      if (error != kWsaEWouldBlock) peer_error_ = last_error_ = error;
      break;
    }
    if (n == 0) {
      peer_closed_ = true;
      break;
    }
    read_count_ += n;
    line_buffer_.append(chunk, n);
    if (static_cast<std::size_t>(n) < sizeof chunk) break;
  }
  DeliverLines(false);
}

bool TWSocket::DeliverLines(bool flush_partial) {
  Guard guard = MakeGuard();
  for (;;) {
    std::size_t len = 0;
    std::size_t end = LineEnd.empty() ? std::string::npos : line_buffer_.find(LineEnd);
    if (end != std::string::npos) {
      len = end + LineEnd.size();
    } else if ((flush_partial || LineEnd.empty()) && !line_buffer_.empty()) {
      len = line_buffer_.size();
    } else {
      break;
    }
    current_line_.assign(line_buffer_, 0, len);
    line_buffer_.erase(0, len);
    line_pos_ = 0;
    delivering_line_ = true;
    if (OnDataAvailable) OnDataAvailable(*this, 0);
    if (!Same(guard)) return false;
    delivering_line_ = false;
    current_line_.clear();
    if (handle_ == -1) return false;
  }
  if (static_cast<long long>(line_buffer_.size()) > LineLimit) {
    // An endless line must not grow without bound: it is dropped unless the handler keeps it.
    bool clear_data = true;
    if (OnLineLimitExceeded)
      OnLineLimitExceeded(*this, static_cast<int>(line_buffer_.size()), clear_data);
    if (!Same(guard)) return false;
    if (clear_data) line_buffer_.clear();
  }
  return true;
}

void TWSocket::CloseFromPeer(int error) {
  Guard guard = MakeGuard();
  // Everything that arrived before the close is delivered before the close is reported.
  if (LineMode) {
    if (!DeliverLines(true)) return;
  } else {
    // The peer has stopped sending, so what is left is finite: read it all now.
    for (long waiting = 0; api::BytesAvailable(handle_, &waiting) == 0 && waiting > 0;) {
      const std::uint64_t calls_before = receive_calls_;
      ReceiveLoop();
      if (!Same(guard) || handle_ == -1) return;
      if (receive_calls_ == calls_before) break;
    }
  }
  if (!session_closed_reported_) {
    session_closed_reported_ = true;
    if (OnSessionClosed) OnSessionClosed(*this, error);
    if (!Same(guard)) return;
  }
  InternalClose(true, error);
}

void TWSocket::HandleWritable() {
  Guard guard = MakeGuard();
  TryToSend();
  if (!Same(guard) || !all_sent_) return;
  if (want_write_) {
    want_write_ = false;
    UpdateWatch();
  }
  if (OnDataSent) OnDataSent(*this, 0);
}

void TWSocket::PostWriteNotice() {
  if (write_notice_pending_) return;
  write_notice_pending_ = true;
  loop_.Post([this, guard = MakeGuard()] {
    if (!Same(guard)) return;
    write_notice_pending_ = false;
    if (state_ == wsConnected) Dispatch([this] { HandleWritable(); });
  });
}

void TWSocket::TryToSend() {
  while (!send_queue_.empty()) {
    TBuffer& block = send_queue_.front();
    int len = 0;
    const char* data = block.Peek(&len);
    if (len == 0) {
      if (send_queue_.size() == 1) break;
      send_queue_.pop_front();
      continue;
    }
    long sent = 0;
    int error = api::Send(handle_, data, len, send_flags_ == wsSendUrgent, &sent);
    if (sent < 0) {
      if (error == kWsaEWouldBlock) {
        want_write_ = true;
        UpdateWatch();
        return;
      }
      if (IsConnectionGone(error)) {
        Guard guard = MakeGuard();
        session_closed_reported_ = true;
        InternalClose(true, error);
        if (guard.alive.expired()) return;
        if (OnSessionClosed) OnSessionClosed(*this, error);
        return;
      }
      return SocketError(wsocket_text::kFnTryToSend, error);
    }
    block.Remove(static_cast<int>(sent));
    if (sent < len) {
      want_write_ = true;
      UpdateWatch();
      return;
    }
  }
  all_sent_ = true;
}

}  // namespace kivo
