// CameraLink: one camera's conversation, asynchronous on the event loop — the status pair
// (BacPac record, then the camera record while the camera is on), decoded once each into their
// values; commands with their refusal check; the clock read and set; the card's listing; the
// media engine. Every operation takes a completion that is posted to the loop, never called from
// inside the call that started it, and receives the value or a LinkError. A link owns its HTTP
// clients and nothing is shared between links, so many links live at once with requests in
// flight on all of them. A link sends one request at a time; operations started while one is
// under way wait their turn in order. Loop thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "camera/status_values.h"
#include "media/card_reader.h"
#include "media/media_fetcher.h"
#include "media/preview_text.h"
#include "net/http_cli.h"
#include "net/super_timer.h"
#include "platform/event_loop.h"

namespace kivo {

struct HttpReply {
  std::uint16_t error = 0;  // 0, or the client's or socket's error number
  bool timed_out = false;
  int status = 0;
  std::vector<std::string> header;  // status line first
  std::string body;
};

// Both status records, decoded.
struct CameraSnapshot {
  BacPacStatus bacpac;
  std::optional<CameraStatus> camera;  // read while the camera is on, when long enough
  bool camera_on = false;
  bool camera_record = false;  // |camera| holds the camera status record
};

// Whether the main window would show menu item |item| checked for |s|; false without a camera
// record.
bool ItemChecked(const CameraSnapshot& s, std::string_view item);

// Said when a status request is answered by something that is not a status record: an error
// status or a text page.
inline constexpr char kNotAStatusRecord[] = "The camera's answer is not a status record";

enum class LinkFailure {
  kNone,
  kUnreachable,    // no answer, no connection, or a time-out
  kWrongPassword,  // the camera refused the password
  kFailed,         // the camera refused the command, or answered with something unusable
};

struct LinkError {
  LinkFailure failure = LinkFailure::kNone;
  std::string text;  // the window's text for the same failure
  bool ok() const { return failure == LinkFailure::kNone; }
};

struct LinkOptions {
  LinkOptions(std::string address_in, std::string password_in)
      : address(std::move(address_in)), password(std::move(password_in)) {}

  std::string address;
  std::string password;
  // The network interface this link's requests leave through ("" = wherever the system routes
  // them), for every request of the link: status, commands, clock, listing and media engine. Not
  // the word "interface": Windows headers define it as a macro.
  std::string interface_name;
  // Where the media server answers; "" = the camera's own, port 8080 of |address|.
  std::string media_base;
};

class CameraLink {
 public:
  // Time-outs of one request: a little longer than the window's, since a script would rather
  // wait than fail on a slow link.
  static constexpr int kStatusTimeoutMs = 3000;
  static constexpr int kCommandTimeoutMs = 3000;
  static constexpr char kSetClockPath[] = "camera/TM";

  using ReplyDone = std::function<void(const HttpReply&)>;
  using StatusDone = std::function<void(const LinkError&, const CameraSnapshot&)>;
  using CommandDone = std::function<void(const LinkError&)>;
  // |date_line| is the media server's "Date:" header line: the camera's clock.
  using ClockDone = std::function<void(const LinkError&, const std::string& date_line)>;
  using ListingDone = std::function<void(const CardListing&)>;

  CameraLink(EventLoop& loop, LinkOptions options);
  ~CameraLink();
  CameraLink(const CameraLink&) = delete;
  CameraLink& operator=(const CameraLink&) = delete;

  const LinkOptions& Options() const { return options_; }
  const std::string& Address() const { return options_.address; }
  std::string MediaBase() const {
    return options_.media_base.empty() ? "http://" + options_.address + kMediaPort
                                       : options_.media_base;
  }
  EventLoop& Loop() { return loop_; }
  // A request is under way, queued or held.
  bool Busy() const { return current_.has_value() || !queue_.empty(); }

  // One request; network failures are in the reply, never an error of their own.
  void Get(const std::string& url, int timeout_ms, bool head, ReplyDone done);
  // The BacPac record and, when the camera is on, the camera record. Errors: kUnreachable,
  // kWrongPassword, kFailed (kNotAStatusRecord).
  void ReadStatus(StatusDone done);
  // Sends one command and checks the reply. Errors: kUnreachable, kWrongPassword, kFailed (the
  // camera refused it).
  void SendCommand(const std::string& path, const std::string& parameter, CommandDone done);
  // Errors: kUnreachable, kFailed (no Date header).
  void ReadClock(ClockDone done);
  // |tm_parameter| as ClockTextToTmParameter makes it. Errors as SendCommand.
  void SetClock(const std::string& tm_parameter, CommandDone done);
  // Reads the card's listing (its own client on the media server).
  void ReadListing(ListingDone done);
  // This camera's download engine (made on first use).
  MediaFetcher& Fetcher();

  // Drops every queued operation and aborts the one under way; none of their completions runs.
  void Cancel();

  // Prepare, then fire together: while held, operations queue without sending anything; Fire()
  // sends the first one. FireTogether() does that for several links in one pass of the loop, so
  // that a command reaches every camera of a rig as nearly at once as the loop allows.
  void Hold() { held_ = true; }
  void Fire();

 private:
  struct Request {
    std::string url;
    int timeout_ms = 0;
    bool head = false;
    ReplyDone done;
  };

  void StartNext();
  void RequestDone(std::uint16_t error);

  EventLoop& loop_;
  LinkOptions options_;
  THttpCli http_;
  TSuperTimer timer_;
  std::deque<Request> queue_;
  std::optional<Request> current_;
  HttpReply reply_;
  bool timed_out_ = false;
  bool held_ = false;
  std::unique_ptr<CardReader> card_reader_;
  std::vector<ListingDone> listing_waiters_;
  std::unique_ptr<MediaFetcher> fetcher_;
  // Cleared on destruction, so that a completion posted before it does not run after it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Fires every link in |links| (held with Hold()) in one pass.
void FireTogether(std::span<CameraLink* const> links);

}  // namespace kivo
