// THttpCli: receiving and parsing the reply, the body, the end of a request and redirects.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "net/http_cli.h"
#include "net/http_cli_texts.h"
#include "net/http_util.h"
#include "net/wsocket_errors.h"
#include "platform/socket_errors.h"

namespace kivo {

namespace {

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// A whole decimal number (optional sign) or an EHttpException: a reply that cannot be read
// ends the request instead of being guessed at.
long long ParseNumber(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  long long value = 0;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || begin == end)
    throw EHttpException(http_text::kBadNumber, kHttpErrorBadNumber);
  return value;
}

}  // namespace

void THttpCli::SocketDataAvailable() {
  if (in_receive_) {
    // A handler runs the loop from inside a body or header event: the buffer is still in use,
    // so nothing is read now. The socket then stops reporting data; it is asked to resume once
    // the outer round has finished (which also keeps the nested loop from spinning).
    receive_deferred_ = true;
    return;
  }
  struct ResumeIfDeferred {
    THttpCli& cli;
    std::weak_ptr<char> alive;
    ~ResumeIfDeferred() {
      if (alive.expired() || !cli.receive_deferred_) return;
      cli.receive_deferred_ = false;
      cli.loop_.Post([&c = cli, alive = alive] {
        if (!alive.expired()) c.socket_.ResumeReceive();
      });
    }
  } resume{*this, alive_};
  // While the body streams in, a read that filled the buffer is followed at once by the next
  // one: asking the system how much is waiting between two 8 KiB reads would double the system
  // calls per chunk. The chunks and events are the same either way; the bound keeps one
  // notification from holding the loop for long.
  static constexpr int kBodyReadsPerNotification = 16;
  for (int reads = 0; ReceiveOnce() && ++reads < kBodyReadsPerNotification;) {
  }
}

bool THttpCli::ReceiveOnce() {
  const int area = state_ == THttpState::WaitingBody ? kBodyBufSize : kRcvBufSize;
  int room = area - rcv_count_;
  if (room <= 0) {
    FailRequest(kHttpErrorLineTooLong, http_text::kLineTooLong);
    return false;
  }
  const int received = ReadConnection(rcv_buf_ + rcv_count_, room);
  if (request_type_ == THttpRequest::None || received <= 0) return false;
  if (request_finished_ ||
      (state_ != THttpState::WaitingHeader && state_ != THttpState::WaitingBody)) {
    rcv_count_ = rcv_start_ = 0;  // nobody wants these bytes any more
    return false;
  }
  rcv_count_ += received;
  rcv_buf_[rcv_count_] = '\0';
  Guard guard = MakeGuard();
  in_receive_ = true;
  try {
    ProcessReceived();
  } catch (const EHttpException& e) {
    if (!Same(this, guard)) return false;
    in_receive_ = false;
    FailRequest(e.ErrorCode(), e.what());
    return false;
  } catch (...) {
    if (!guard.alive.expired()) in_receive_ = false;
    throw;
  }
  if (guard.alive.expired()) return false;
  in_receive_ = false;
  if (!Same(this, guard) || request_finished_) return false;
  // A full buffer without a line feed can never become a header line.
  if (state_ == THttpState::WaitingHeader && rcv_count_ >= kRcvBufSize) {
    FailRequest(kHttpErrorLineTooLong, http_text::kLineTooLong);
    return false;
  }
  return received == room && state_ == THttpState::WaitingBody && socket_.State() == wsConnected;
}

void THttpCli::ProcessReceived() {
  Guard guard = MakeGuard();
  while (rcv_start_ < rcv_count_) {
    if (state_ == THttpState::WaitingBody) {
      BodyChunk(rcv_buf_ + rcv_start_, rcv_count_ - rcv_start_);
      return;
    }
    if (state_ != THttpState::WaitingHeader) {
      rcv_count_ = rcv_start_ = 0;
      return;
    }
    const void* lf = std::memchr(rcv_buf_ + rcv_start_, '\n', rcv_count_ - rcv_start_);
    if (lf == nullptr) break;
    int begin = rcv_start_;
    int end = static_cast<int>(static_cast<const char*>(lf) - rcv_buf_);
    rcv_start_ = end + 1;
    int len = end - begin;
    if (len > 0 && rcv_buf_[end - 1] == '\r') --len;
    if (!HeaderLine(begin, len) || !Same(this, guard)) return;
  }
  if (rcv_start_ > 0) {
    std::memmove(rcv_buf_, rcv_buf_ + rcv_start_, rcv_count_ - rcv_start_);
    rcv_count_ -= rcv_start_;
    rcv_start_ = 0;
  }
}

bool THttpCli::HeaderLine(std::size_t begin, std::size_t len) {
  Guard guard = MakeGuard();
  auto still_reading = [&] { return Same(this, guard) && state_ == THttpState::WaitingHeader; };
  last_response_ = std::string_view(rcv_buf_ + begin, len);
  if (header_lines_ == 0 && !header_in_progress_) {
    header_in_progress_ = true;
    if (OnHeaderBegin) OnHeaderBegin(*this);
    if (!still_reading()) return false;
  }
  ++header_lines_;
  header_bytes_ += static_cast<int>(len) + 2;
  if (header_lines_ > kMaxHeaderLines || header_bytes_ > kMaxHeaderBytes)
    throw EHttpException(http_text::kHeaderTooLong, kHttpErrorHeaderTooLong);
  static constexpr char kBareHtml[] = "<HTML>";
  if (len >= 6 && std::equal(kBareHtml, kBareHtml + 6, rcv_buf_ + begin, [](char a, char b) {
        return a == std::toupper(static_cast<unsigned char>(b));
      })) {
    // No header at all: this line and everything after it is the document, byte for byte.
    if (content_type_.empty()) content_type_ = "text/html";
    ChangeState(THttpState::WaitingBody);
    if (!Same(this, guard) || state_ != THttpState::WaitingBody) return false;
    header_in_progress_ = false;
    if (OnHeaderEnd) OnHeaderEnd(*this);
    if (!Same(this, guard) || state_ != THttpState::WaitingBody) return false;
    rcv_start_ = static_cast<int>(begin);
    return true;
  }
  if (len == 0) {
    HeaderEnd();
    return false;
  }
  std::string line(last_response_);
  rcvd_header_.push_back(line);
  HeaderField(line);
  if (!still_reading()) return false;
  last_response_ = std::string_view(rcv_buf_ + begin, len);
  if (OnHeaderData) OnHeaderData(*this);
  return still_reading();
}

void THttpCli::HeaderField(const std::string& line) {
  if (line.compare(0, 8, "HTTP/1.0") == 0 || line.compare(0, 8, "HTTP/1.1") == 0) {
    status_code_ = static_cast<int>(ParseNumber(line.size() > 9 ? line.substr(9, 3) : ""));
    reason_phrase_ = line.size() > 13 ? line.substr(13) : std::string();
    return;
  }
  std::size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  std::string name = Lower(line.substr(0, colon));
  std::size_t value_start = line.find_first_not_of(" \t", colon + 1);
  std::string value = value_start == std::string::npos ? "" : line.substr(value_start);

  using Handler = void (*)(THttpCli&, const std::string&);
  struct Field {
    const char* name;
    Handler handler;
  };
  static constexpr Field kFields[] = {
      {"location", [](THttpCli& c, const std::string& v) { c.SetLocation(v); }},
      {"content-length",
       [](THttpCli& c, const std::string& v) { c.content_length_ = ParseNumber(Trim(v)); }},
      {"content-range",
       [](THttpCli& c, const std::string& v) {
         // "bytes 0-499/1234": begin from the 7th character up to "-", end up to "/".
         std::string range = v.size() > 6 ? v.substr(6) : std::string();
         std::size_t dash = range.find('-');
         c.ContentRangeBegin = range.substr(0, dash);
         std::string rest = dash == std::string::npos ? std::string() : range.substr(dash + 1);
         c.ContentRangeEnd = rest.substr(0, rest.find('/'));
       }},
      {"accept-ranges", [](THttpCli& c, const std::string& v) { c.AcceptRanges = v; }},
      {"content-type", [](THttpCli& c, const std::string& v) { c.content_type_ = Lower(v); }},
      {"set-cookie",
       [](THttpCli& c, const std::string& v) {
         bool accept = true;
         if (c.OnCookie) c.OnCookie(c, v, accept);
       }},
  };
  for (const auto& field : kFields) {
    if (name == field.name) return field.handler(*this, value);
  }
}

void THttpCli::HeaderEnd() {
  Guard guard = MakeGuard();
  header_in_progress_ = false;
  if (location_seen_) {
    if (OnHeaderEnd) OnHeaderEnd(*this);
    if (!Same(this, guard) || state_ != THttpState::WaitingHeader) return;
    rcv_count_ = rcv_start_ = 0;
    header_lines_ = body_chunks_ = 0;
    close_route_ = CloseRoute::Redirect;
    CloseConnection(false);
    return;
  }
  if (content_length_ == 0) {
    rcv_count_ = rcv_start_ = 0;
    if (OnHeaderEnd) OnHeaderEnd(*this);
    if (!Same(this, guard) || state_ != THttpState::WaitingHeader) return;
    SetReady();  // the connection is left for the server to close
    return;
  }
  if (content_type_ == "text/html") {
    std::size_t dot = doc_name_.rfind('.');
    std::string ext = dot == std::string::npos ? "" : Lower(doc_name_.substr(dot));
    if (ext.empty()) {
      doc_name_ += ".htm";
    } else if (ext == ".exe") {
      doc_name_ = doc_name_.substr(0, dot) + ".htm";
    }
  }
  ChangeState(THttpState::WaitingBody);
  if (!Same(this, guard) || state_ != THttpState::WaitingBody) return;
  if (OnHeaderEnd) OnHeaderEnd(*this);
  if (!Same(this, guard) || state_ != THttpState::WaitingBody) return;
  if (rcv_start_ < rcv_count_) {
    BodyChunk(rcv_buf_ + rcv_start_, rcv_count_ - rcv_start_);
    if (!Same(this, guard) || state_ != THttpState::WaitingBody) return;
  } else {
    rcv_count_ = rcv_start_ = 0;
  }
  // An error reply is not read beyond what came with its header.
  if (status_code_ >= 400) CloseConnection(false);
}

void THttpCli::BodyChunk(const char* data, std::size_t len) {
  rcv_count_ = rcv_start_ = 0;  // the chunk stays valid: nothing is received while it is used
  Guard guard = MakeGuard();
  if (body_chunks_ == 0) {
    if (OnDocBegin) OnDocBegin(*this);
    if (!Same(this, guard) || state_ != THttpState::WaitingBody) return;
  }
  ++body_chunks_;
  rcvd_count_ += static_cast<long long>(len);
  last_response_ = std::string_view(data, len);
  if (RcvdStream != nullptr) {
    RcvdStream->write(data, static_cast<std::streamsize>(len));
    if (!*RcvdStream) throw std::runtime_error(http_text::kRcvdStreamFailed);
  }
  if (OnDocData) OnDocData(*this, data, static_cast<int>(len));
}

void THttpCli::CloseHandling(int error) {
  connected_ = false;
  if (request_finished_) return;
  if (error != 0) request_done_error_ = static_cast<std::uint16_t>(error);
  Guard guard = MakeGuard();
  if (header_in_progress_ || state_ == THttpState::WaitingHeader) {
    bool header_begun = header_in_progress_;
    header_in_progress_ = false;
    if (header_begun && OnHeaderEnd) {
      OnHeaderEnd(*this);
      if (!Same(this, guard) || request_finished_) return;
    }
    if (location_seen_ && !failed_) return RedirectStep();
    if (state_ == THttpState::WaitingHeader && !failed_) {
      // The server went away before its header was complete: that is a failed request, not an
      // empty document (an orderly close reads as "connection aborted").
      if (request_done_error_ == 0) request_done_error_ = kWsaEConnAborted;
      status_code_ = 404;
      reason_phrase_ = SocketErrorText(request_done_error_) + " (Error #" +
                       std::to_string(request_done_error_) + ")";
    }
    SetReady();
    return;
  }
  if (body_chunks_ > 0 && OnDocEnd) {
    OnDocEnd(*this);
    if (!Same(this, guard) || request_finished_) return;
  }
  SetReady();
}

void THttpCli::SetLocation(const std::string& value) {
  location_seen_ = true;
  const bool absolute = value.compare(0, 7, "http://") == 0;
  if (Proxy.empty()) {
    if (!value.empty() && value[0] == '/') {
      path_ = value;
    } else if (!absolute) {
      path_ = UrlDirectory(path_) + value;
    } else {
      TUrlParts url = ParseURL(value, path_);
      path_ = url.path.empty() ? "/" : url.path;
      host_name_ = url.host;
      port_ = url.port.empty() ? "80" : url.port;
      if (!url.user.empty() && !url.password.empty()) {
        Username = url.user;
        Password = url.password;
      }
      if (!url.scheme.empty() && !url.host.empty()) {
        target_host_ = host_name_;
        location_ = url.scheme + "://" + host_name_ + path_;
      }
      return;
    }
    location_ = "http://" + host_name_ + path_;
    return;
  }
  // Through a proxy the request target is always the full URL; the connection stays the proxy's.
  if (!value.empty() && value[0] == '/') {
    location_ = "http://" + target_host_ + value;
  } else if (!absolute) {
    location_ = "http://" + target_host_ + UrlDirectory(ParseURL(path_).path) + value;
  } else {
    TUrlParts url = ParseURL(value, path_);
    target_host_ = url.host;
    if (!url.user.empty() && !url.password.empty()) {
      Username = url.user;
      Password = url.password;
    }
    location_ = url.scheme + "://" + url.host + (url.port.empty() ? "" : ":" + url.port) +
                (url.path.empty() ? "/" : url.path);
  }
  path_ = location_;
}

void THttpCli::RedirectStep() {
  close_route_ = CloseRoute::Normal;
  if (request_finished_) return;
  if (failed_ || state_ != THttpState::WaitingHeader) {
    // Aborted, or a handler failed, after the Location line: the request ends with that failure
    // and goes nowhere.
    location_seen_ = false;
    CloseHandling(0);
    return;
  }
  if (++redirects_ > kMaxRedirects) {
    location_seen_ = false;
    request_done_error_ = kHttpErrorTooManyRedirects;
    status_code_ = 404;
    reason_phrase_ = http_text::kTooManyRedirects;
    failed_ = true;
    SetReady();
    return;
  }
  location_ = location_.substr(0, location_.find('#'));
  path_ = path_.substr(0, path_.find('#'));  // a fragment is never sent to the server
  doc_name_ = DocNameFromPath(ParseURL(location_, path_).path);
  connected_ = false;
  location_seen_ = false;
  if (request_type_ == THttpRequest::Post) request_type_ = THttpRequest::Get;
  // What went wrong on the old connection does not concern the new one.
  request_done_error_ = 0;
  Guard guard = MakeGuard();
  if (OnLocationChange) OnLocationChange(*this);
  if (!Same(this, guard) || request_finished_) return;
  rcvd_header_.clear();
  header_lines_ = body_chunks_ = header_bytes_ = 0;
  content_length_ = -1;
  content_type_.clear();
  status_code_ = 0;
  rcv_count_ = rcv_start_ = 0;
  loop_.Post([this, guard] {
    if (Same(this, guard) && !request_finished_) StartLookup();
  });
}

}  // namespace kivo
