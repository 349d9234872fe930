// TWSocket: the event-driven, non-blocking TCP client socket under the HTTP client: name lookup,
// connect, a queued send, receive, close and abort, optional line mode. Use it only on the thread
// that runs its EventLoop; every event fires there, from the loop (readiness, posted completions),
// except those documented as firing inside a call (a dotted-address lookup, a close).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/host_resolver.h"
#include "net/t_buffer.h"
#include "platform/event_loop.h"

namespace kivo {

enum TSocketState {
  wsInvalidState = 0,
  wsOpened = 1,
  wsBound = 2,
  wsConnecting = 3,
  wsConnected = 4,
  wsAccepting = 5,
  wsListening = 6,
  wsClosed = 7,
};

// Bits of TWSocket::ComponentOptions.
enum TWSocketOption : unsigned {
  wsoNoReceiveLoop = 1u << 0,  // one OnDataAvailable per readiness report
  wsoTcpNoDelay = 1u << 1,     // set TCP_NODELAY when connecting
};

enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TSocketSendFlags { wsSendNormal = 0, wsSendUrgent = 1 };

class ESocketException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TWSocket {
 public:
  // Size of the blocks the send queue is made of.
  static constexpr int kSendBlockSize = 1460;

  // |resolver| answers DnsLookup on its helper thread; none: the system's.
  explicit TWSocket(EventLoop& loop, HostResolver resolver = nullptr);
  ~TWSocket();
  TWSocket(const TWSocket&) = delete;
  TWSocket& operator=(const TWSocket&) = delete;

  // ---- Properties. Those with a setter are checked (misuse is reported like a socket error).
  const std::string& Addr() const { return addr_; }
  void SetAddr(const std::string& value);
  const std::string& Proto() const { return proto_; }
  void SetProto(const std::string& value);
  const std::string& LocalAddr() const { return local_addr_; }
  void SetLocalAddr(const std::string& value);
  TSocketSendFlags SendFlags() const { return send_flags_; }
  void SetSendFlags(int value);

  std::string Port;
  std::string LocalPort;
  // The network interface every connection goes out through (Linux: its name; Windows: the
  // adapter's friendly name or index), taken at Connect. Empty: wherever the routing table says.
  // With several cameras at one address, each behind its own Wi-Fi adapter, this picks the
  // camera. An interface the system does not have fails the connect with kErrorNoSuchInterface
  // and "No network interface named ...", never falling back to another.
  std::string BindInterface;
  bool MultiThreaded = false;
  unsigned ComponentOptions = 0;
  // SO_LINGER is set off by default: a close then never blocks and never resets the connection.
  TSocketLingerOnOff LingerOnOff = wsLingerOff;
  int LingerTimeout = 0;
  int FlushTimeout = 60;
  // Line mode: OnDataAvailable once per line ending in LineEnd; Receive then reads that line.
  // LineEcho and LineEdit are kept for completeness; this program never uses them.
  bool LineMode = false;
  int LineLimit = 65536;
  std::string LineEnd = "\r\n";
  bool LineEcho = false;
  bool LineEdit = false;

  // ---- Run-time values.
  TSocketState State() const { return state_; }
  int HSocket() const { return handle_; }
  int LastError() const { return last_error_; }
  // Text of the last error reported through OnError / ESocketException.
  const std::string& LastErrorMessage() const { return last_error_message_; }
  long long ReadCount() const { return read_count_; }
  // Bytes waiting in the system (FIONREAD); -1 on failure or without a socket.
  long RcvdCount() const;
  const std::string& DnsResult() const { return dns_result_; }
  const std::vector<std::string>& DnsResultList() const { return dns_result_list_; }
  bool AllSent() const { return all_sent_; }

  // ---- Operations.
  void DnsLookup(const std::string& host);
  void CancelDnsLookup();
  void Connect();
  // Queues |len| bytes and starts sending; returns |len|, or -1 when not connected.
  int Send(const void* data, int len);
  int SendStr(const std::string& text) { return Send(text.data(), static_cast<int>(text.size())); }
  // One receive: bytes read, 0 when the peer has closed, -1 on error (LastError tells which).
  int Receive(void* buffer, int len);
  void Close();
  void Abort();
  // Runs what the loop has ready without blocking (the socket's own message pump).
  void ProcessMessages();
  // A handler that left data unread gets no further OnDataAvailable until it calls Receive;
  // this asks for one again instead.
  void ResumeReceive();

  // ---- Events (all optional).
  std::function<void(TWSocket&, int error)> OnDataAvailable;
  std::function<void(TWSocket&, int error)> OnDataSent;
  std::function<void(TWSocket&, int error)> OnSessionConnected;
  std::function<void(TWSocket&, int error)> OnSessionClosed;
  std::function<void(TWSocket&, int error)> OnSessionAvailable;
  std::function<void(TWSocket&, int error)> OnDnsLookupDone;
  std::function<void(TWSocket&, TSocketState old_state, TSocketState new_state)> OnChangeState;
  std::function<void(TWSocket&)> OnError;
  std::function<void(TWSocket&, const std::exception&, bool& can_close)> OnBgException;
  std::function<void(TWSocket&, int rcvd_length, bool& clear_data)> OnLineLimitExceeded;

 private:
  struct LookupJob;
  // Identifies "this object, this connection" for callbacks that may outlive either.
  struct Guard {
    std::weak_ptr<char> alive;
    std::uint64_t serial;
  };

  Guard MakeGuard() const { return Guard{alive_, serial_}; }
  bool Same(const Guard& guard) const { return !guard.alive.expired() && guard.serial == serial_; }

  void ChangeState(TSocketState new_state);
  void RaiseException(const std::string& message);
  void SocketError(const std::string& function, int error);
  // Runs |work| as the handling of one loop message: exceptions become background exceptions.
  void Dispatch(const std::function<void()>& work);
  void HandleBgException(const std::exception& e);

  void UpdateWatch();
  void OnReady(unsigned ready);
  void FinishConnect(int error);
  void HandleReadable(unsigned ready);
  // Returns whether the handler read during its last pass.
  bool ReceiveLoop();
  void ReadLines();
  bool DeliverLines(bool flush_partial);
  void CloseFromPeer(int error);
  void HandleWritable();
  void TryToSend();
  void PostWriteNotice();
  void LookupDone(std::uint64_t lookup_id, int error, std::vector<std::string> addresses);
  void InternalClose(bool shutdown, int error);
  void ResetConnection();

  EventLoop& loop_;
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
  HostResolver resolver_;

  std::string addr_;
  std::string proto_ = "tcp";
  std::string local_addr_ = "0.0.0.0";
  TSocketSendFlags send_flags_ = wsSendNormal;

  TSocketState state_ = wsInvalidState;
  int handle_ = -1;
  std::uint64_t serial_ = 0;  // bumped whenever a connection starts or ends
  EventLoop::WatchId watch_ = 0;
  unsigned watched_events_ = 0;
  bool want_read_ = false;
  bool want_write_ = false;

  int last_error_ = 0;
  std::string last_error_message_;
  long long read_count_ = 0;
  bool session_closed_reported_ = false;
  // What the receive calls of the current readiness round found out.
  // Counts Receive calls; a handler that runs the loop itself may re-enter the readiness
  // handling, so "did this handler read?" is a comparison of counts, not a flag.
  std::uint64_t receive_calls_ = 0;
  bool last_recv_short_ = false;
  bool peer_closed_ = false;
  int peer_error_ = 0;

  std::deque<TBuffer> send_queue_;
  bool all_sent_ = true;
  bool write_notice_pending_ = false;

  std::string dns_result_;
  std::vector<std::string> dns_result_list_;
  std::shared_ptr<LookupJob> lookup_;
  std::uint64_t lookup_serial_ = 0;

  std::string line_buffer_;   // received, not yet delivered
  std::string current_line_;  // the line OnDataAvailable is delivering
  std::size_t line_pos_ = 0;
  bool delivering_line_ = false;
};

}  // namespace kivo
