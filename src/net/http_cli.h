// THttpCli: the event-driven HTTP/1.0 client every camera request goes through — one document
// per request over a fresh connection, body delivered as it arrives (no copy), never blocking the
// caller. Use it only on its EventLoop's thread; its events fire there, from the loop, and
// OnRequestDone always comes from a posted task after State has returned to THttpState::Ready.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "net/wsocket.h"
#include "platform/event_loop.h"

namespace kivo {

// Client states; the numeric values are the documented ones (Ready = 0 means idle).
enum class THttpState {
  Ready = 0,
  NotConnected = 1,
  Connected = 2,
  DnsLookup = 3,
  DnsLookupDone = 4,
  WaitingHeader = 5,
  WaitingBody = 6,
  Aborting = 7,
};

enum class THttpRequest { None = 0, Get = 1, Post = 2, Head = 3 };

// Error numbers the client itself reports (beside the Winsock numbers of the transport).
inline constexpr int kHttpErrorBusy = 1;
inline constexpr int kHttpErrorNothingToPost = 2;
inline constexpr int kHttpErrorAborted = 3;
inline constexpr int kHttpErrorLineTooLong = 4;
inline constexpr int kHttpErrorBadNumber = 5;
inline constexpr int kHttpErrorHeaderTooLong = 6;
inline constexpr int kHttpErrorTooManyRedirects = 7;

class EHttpException : public std::runtime_error {
 public:
  EHttpException(const std::string& message, int error_code)
      : std::runtime_error(message), error_code_(error_code) {}
  int ErrorCode() const { return error_code_; }

 private:
  int error_code_;
};

class THttpCli {
 public:
  // Room for one header line: the longest header line is one byte shorter.
  static constexpr int kRcvBufSize = 8192;
  // The body is read into a larger area: fewer system calls per megabyte, bigger OnDocData chunks.
  static constexpr int kBodyBufSize = 64 * 1024;
  // A camera's reply header is a few hundred bytes; a peer sending header lines without end is
  // cut off here rather than kept in memory.
  static constexpr int kMaxHeaderBytes = 64 * 1024;
  static constexpr int kMaxHeaderLines = 500;
  // Redirects followed within one request before it ends with kHttpErrorTooManyRedirects.
  static constexpr int kMaxRedirects = 10;

  // |resolver| looks up host names for the socket; none: the system's.
  explicit THttpCli(EventLoop& loop, HostResolver resolver = nullptr);
  virtual ~THttpCli();
  THttpCli(const THttpCli&) = delete;
  THttpCli& operator=(const THttpCli&) = delete;

  // ---- Properties (set before a request starts).
  std::string URL;
  std::string LocalAddr = "0.0.0.0";
  // The network interface the request goes out through (see TWSocket::BindInterface); empty:
  // wherever the routing table says.
  std::string BindInterface;
  std::string Proxy;
  std::string ProxyPort = "80";
  std::string Sender;
  std::string Agent = "Mozilla/3.0 (compatible)";
  std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string AcceptLanguage;
  std::string Reference;
  std::string Username;
  std::string Password;
  std::string ProxyUsername;
  std::string ProxyPassword;
  bool NoCache = false;
  double ModifiedSince = 0;  // days since 1899-12-30; 0 = not sent
  std::string Cookie;
  std::string ContentTypePost = "application/x-www-form-urlencoded";
  std::string ContentRangeBegin;
  std::string ContentRangeEnd;
  std::string AcceptRanges;
  bool MultiThreaded = false;
  int Tag = 0;
  std::istream* SendStream = nullptr;  // POST body, not owned
  std::ostream* RcvdStream = nullptr;  // optional copy of the body, not owned

  // ---- Run-time state.
  THttpState State() const { return state_; }
  THttpRequest RequestType() const { return request_type_; }
  int StatusCode() const { return status_code_; }
  const std::string& ReasonPhrase() const { return reason_phrase_; }
  long long ContentLength() const { return content_length_; }
  const std::string& ContentType() const { return content_type_; }
  long long RcvdCount() const { return rcvd_count_; }
  long long SentCount() const { return sent_count_; }
  const std::vector<std::string>& RcvdHeader() const { return rcvd_header_; }
  const std::string& Location() const { return location_; }
  const std::string& DocName() const { return doc_name_; }
  // The reply line or body chunk just received: valid inside OnHeaderData and OnDocData only.
  std::string_view LastResponse() const { return last_response_; }
  std::uint16_t RequestDoneError() const { return request_done_error_; }
  bool Connected() const { return connected_; }
  const std::string& HostName() const { return host_name_; }
  const std::string& Port() const { return port_; }
  const std::string& TargetHost() const { return target_host_; }
  const std::string& Path() const { return path_; }
  TWSocket& CtrlSocket() { return socket_; }

  // ---- Operations.
  void GetASync() { DoRequestAsync(THttpRequest::Get); }
  void HeadASync() { DoRequestAsync(THttpRequest::Head); }
  void PostASync() { DoRequestAsync(THttpRequest::Post); }
  // Starts a request and returns at once; throws EHttpException 1 (busy) or 2 (nothing to post).
  void DoRequestAsync(THttpRequest request);
  // Blocking variants: run the loop until Ready; throw EHttpException(ReasonPhrase, StatusCode)
  // when StatusCode is above 399.
  void Get() { DoRequestSync(THttpRequest::Get); }
  void Head() { DoRequestSync(THttpRequest::Head); }
  void Post() { DoRequestSync(THttpRequest::Post); }
  void DoRequestSync(THttpRequest request);
  void Abort();
  void Close();

  // ---- Events (all optional).
  std::function<void(THttpCli&)> OnStateChange;
  std::function<void(THttpCli&)> OnSessionConnected;
  std::function<void(THttpCli&)> OnRequestHeaderBegin;
  std::function<void(THttpCli&, const std::string& method, std::vector<std::string>& headers)>
      OnBeforeHeaderSend;
  std::function<void(THttpCli&, std::string& line)> OnCommand;
  std::function<void(THttpCli&)> OnRequestHeaderEnd;
  std::function<void(THttpCli&)> OnSendBegin;
  std::function<void(THttpCli&, const char* data, int len)> OnSendData;
  std::function<void(THttpCli&)> OnSendEnd;
  std::function<void(THttpCli&)> OnHeaderBegin;
  std::function<void(THttpCli&)> OnHeaderData;
  std::function<void(THttpCli&, const std::string& data, bool& accept)> OnCookie;
  std::function<void(THttpCli&)> OnHeaderEnd;
  std::function<void(THttpCli&)> OnDocBegin;
  std::function<void(THttpCli&, const char* data, int len)> OnDocData;
  std::function<void(THttpCli&)> OnDocEnd;
  std::function<void(THttpCli&)> OnLocationChange;
  std::function<void(THttpCli&, THttpRequest request, std::uint16_t error)> OnRequestDone;
  std::function<void(THttpCli&)> OnSocketError;
  // An exception escaped one of the handlers above while the loop ran it. The connection is then
  // aborted and the request ends with 10053 unless |can_close| is set false.
  std::function<void(THttpCli&, const std::exception& e, bool& can_close)> OnBgException;

 protected:
  // The connection beneath the client, the socket unless a subclass brings its own bytes (a
  // recorded reply fed whole, byte by byte or in any split). OpenConnection starts the name
  // lookup of the request's host; its end (and then the connect) arrives from the socket.
  virtual void OpenConnection();
  // Reads what the connection has waiting into |buffer|; 0 or less when nothing is there.
  virtual int ReadConnection(char* buffer, int len);
  virtual void CloseConnection(bool abort);
  // For such a subclass: puts the client in WaitingHeader for |request| (URL gives the path) on
  // a connection that is already open, as if the request had just been sent; throws
  // EHttpException 1 while a request is running.
  void BeginReplyOnOpenConnection(THttpRequest request);
  // The connection has bytes for ReadConnection; it has closed with |error| (0: orderly).
  void ConnectionDataAvailable() { SocketDataAvailable(); }
  void ConnectionClosed(int error) { SocketSessionClosed(error); }
  // Ends the request as a connection that could not be made, with |error|.
  void ConnectionFailed(int error);
  bool RequestFinished() const { return request_finished_; }

 private:
  enum class CloseRoute { Normal, Redirect, Ignore };
  // Identifies "this client, this request" for work that may outlive either.
  struct Guard {
    std::weak_ptr<char> alive;
    std::uint64_t serial;
  };
  Guard MakeGuard() const { return Guard{alive_, request_serial_}; }
  // Static, so that asking about a client that a handler has destroyed never touches it (not
  // even its type, which a member call would read first).
  static bool Same(const THttpCli* cli, const Guard& guard) {
    return !guard.alive.expired() && guard.serial == cli->request_serial_;
  }

  void ChangeState(THttpState state);
  void ResetRequest();
  void StartLookup();
  void SetReady();
  void FailRequest(int error, const std::string& reason);

  // Socket notifications.
  void SocketDnsLookupDone(int error);
  void SocketSessionConnected(int error);
  void SocketDataAvailable();
  void SocketDataSent();
  void SocketSessionClosed(int error);
  void SocketBgException(const std::exception& e, bool& can_close);

  // Request side.
  void SendRequest(const std::string& method);
  std::vector<std::string> ComposeRequestLines(const std::string& method);
  void SendPostData();

  // Reply side.
  // One receive and its processing; true when another read should follow at once.
  bool ReceiveOnce();
  void ProcessReceived();
  bool HeaderLine(std::size_t begin, std::size_t len);
  void HeaderField(const std::string& line);
  void HeaderEnd();
  void BodyChunk(const char* data, std::size_t len);
  void CloseHandling(int error);
  void SetLocation(const std::string& value);
  void RedirectStep();

  EventLoop& loop_;
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
  TWSocket socket_;

  THttpState state_ = THttpState::Ready;
  THttpRequest request_type_ = THttpRequest::None;
  int status_code_ = 0;
  std::string reason_phrase_;
  long long content_length_ = -1;
  std::string content_type_;
  long long rcvd_count_ = 0;
  long long sent_count_ = 0;
  std::vector<std::string> rcvd_header_;
  std::string location_;
  std::string doc_name_;
  std::string_view last_response_;
  std::uint16_t request_done_error_ = 0;
  bool connected_ = false;
  std::string host_name_;
  std::string port_;
  std::string target_host_;
  std::string path_;

  std::uint64_t request_serial_ = 0;
  bool request_finished_ = false;  // SetReady reached for this request
  CloseRoute close_route_ = CloseRoute::Normal;
  bool header_in_progress_ = false;
  bool location_seen_ = false;
  bool post_sending_ = false;
  bool failed_ = false;  // status and reason already describe a failure
  bool in_receive_ = false;
  bool receive_deferred_ = false;
  int header_lines_ = 0;
  int header_bytes_ = 0;
  int redirects_ = 0;
  int body_chunks_ = 0;
  std::string dns_result_;

  // Receive buffer: bytes [rcv_start_, rcv_count_) are pending; one spare byte for a final zero.
  // Header lines use its first kRcvBufSize bytes, the body all of it. Left uninitialised: a
  // client that only ever reads short replies keeps the untouched pages out of memory.
  std::unique_ptr<char[]> rcv_buf_storage_{new char[kBodyBufSize + 1]};
  char* rcv_buf_ = rcv_buf_storage_.get();
  int rcv_count_ = 0;
  int rcv_start_ = 0;
};

}  // namespace kivo
