#include "link/camera_link.h"

#include <algorithm>

#include "camera/bacpac_status.h"
#include "camera/camera_status.h"
#include "camera/command_url.h"
#include "camera/link_texts.h"
#include "net/wsocket_errors.h"
#include "platform/clock.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

// Texts the window shows for the same failures.
constexpr char kCommandRefused[] = "The camera refused the command ";
constexpr char kNoClock[] = "The camera did not say its time";
constexpr char kRefusedMarker[] = "403";
constexpr int kForbidden = 403;
constexpr int kOk = 200;
// A command reply's first byte: 0 done, 1 not done.
constexpr char kNotDone = '\x01';
constexpr std::size_t kMaxReplyBytes = 64 * 1024;
constexpr int kMaxTimerMs = 65535;

bool IsRefusal(const HttpReply& reply) {
  return reply.status == kForbidden || reply.body.compare(0, 3, kRefusedMarker) == 0;
}

// A status record is binary (its first bytes hold zeros and small codes); an error page, however
// it is served, is text from its first byte on.
bool LooksLikeText(const std::string& body) {
  const std::size_t n = std::min(body.size(), kBacPacStatusBytes);
  if (n == 0) return false;
  return std::all_of(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x20 && b < 0x7f) || b == '\t' || b == '\n' || b == '\r';
  });
}

// What a failed request stands for; ok when the reply is usable.
LinkError Reachability(const HttpReply& reply, const char* timeout_text,
                       const std::string& interface_name) {
  // Never a fall-back to another interface, and said as such: it may be another camera's.
  if (reply.error == kErrorNoSuchInterface)
    return {LinkFailure::kUnreachable,
            FormatText(wsocket_text::kNoSuchInterface, interface_name, 0)};
  if (IsRefusal(reply)) return {LinkFailure::kWrongPassword, kPasswordRefusedMessage};
  if (reply.timed_out) return {LinkFailure::kUnreachable, timeout_text};
  if (reply.status == 0 || (reply.error != 0 && reply.body.empty()))
    return {LinkFailure::kUnreachable, kNoConnectionStatus};
  return {};
}

// The reply's bytes as a status record, or why they are not one.
LinkError StatusRecord(const HttpReply& reply, const std::string& interface_name,
                       std::span<const std::uint8_t>* record) {
  if (LinkError e = Reachability(reply, kBacPacTimeoutStatus, interface_name); !e.ok()) return e;
  if (reply.status != kOk)
    return {LinkFailure::kFailed,
            std::string(kNotAStatusRecord) + " (HTTP " + std::to_string(reply.status) + ")"};
  if (LooksLikeText(reply.body)) return {LinkFailure::kFailed, kNotAStatusRecord};
  *record = {reinterpret_cast<const std::uint8_t*>(reply.body.data()), reply.body.size()};
  return {};
}

std::string DateLineOf(const HttpReply& reply) {
  for (const std::string& line : reply.header)
    if (line.compare(0, 5, "Date:") == 0) return line;
  return {};
}

}  // namespace

bool ItemChecked(const CameraSnapshot& s, std::string_view item) {
  return s.camera && StatusChecks(*s.camera, item);
}

CameraLink::CameraLink(EventLoop& loop, LinkOptions options)
    : loop_(loop), options_(std::move(options)), http_(loop), timer_(loop) {
  // As the window's own camera clients.
  http_.NoCache = true;
  http_.MultiThreaded = true;
  http_.BindInterface = options_.interface_name;
  http_.OnDocData = [this](THttpCli& c, const char* data, int len) {
    reply_.body.append(data, static_cast<std::size_t>(len));
    if (reply_.body.size() > kMaxReplyBytes) c.Abort();
  };
  http_.OnRequestDone = [this](THttpCli&, THttpRequest, std::uint16_t error) {
    RequestDone(error);
  };
  timer_.OnTimer = [this](TSuperTimer& t) {
    t.SetEnabled(false);
    if (!current_) return;
    timed_out_ = true;
    http_.Abort();
  };
}

CameraLink::~CameraLink() {
  *alive_ = false;
  timer_.SetEnabled(false);
  http_.OnDocData = nullptr;
  http_.OnRequestDone = nullptr;
  if (current_) http_.Abort();
}

void CameraLink::Get(const std::string& url, int timeout_ms, bool head, ReplyDone done) {
  queue_.push_back({url, timeout_ms, head, std::move(done)});
  // Started from the loop, so that even a request that fails at once completes after this
  // call has returned.
  loop_.Post([this, alive = alive_] {
    if (*alive) StartNext();
  });
}

void CameraLink::StartNext() {
  if (current_ || held_ || queue_.empty()) return;
  current_ = std::move(queue_.front());
  queue_.pop_front();
  reply_ = {};
  timed_out_ = false;
  http_.URL = current_->url;
  timer_.SetInterval(static_cast<std::uint16_t>(std::clamp(current_->timeout_ms, 1, kMaxTimerMs)));
  timer_.SetEnabled(true);
  current_->head ? http_.HeadASync() : http_.GetASync();
}

void CameraLink::RequestDone(std::uint16_t error) {
  timer_.SetEnabled(false);
  if (!current_) return;
  reply_.error = error;
  reply_.timed_out = timed_out_;
  reply_.status = http_.StatusCode();
  reply_.header = http_.RcvdHeader();
  ReplyDone done = std::move(current_->done);
  current_.reset();
  loop_.Post([this, alive = alive_, done = std::move(done), reply = std::move(reply_)] {
    if (!*alive) return;
    if (done) done(reply);
    if (*alive) StartNext();
  });
}

void CameraLink::Cancel() {
  queue_.clear();
  listing_waiters_.clear();
  if (current_) {
    current_->done = nullptr;
    http_.Abort();
  }
}

void CameraLink::Fire() {
  held_ = false;
  StartNext();
}

void FireTogether(std::span<CameraLink* const> links) {
  for (CameraLink* link : links) link->Fire();
}

void CameraLink::ReadStatus(StatusDone done) {
  const std::string bacpac_url = BuildCommandUrl(Address(), options_.password, kBacPacStatusPath, "");
  Get(bacpac_url, kStatusTimeoutMs, false, [this, done](const HttpReply& bacpac) {
    CameraSnapshot snapshot;
    std::span<const std::uint8_t> record;
    LinkError e = StatusRecord(bacpac, options_.interface_name, &record);
    if (e.ok() && record.empty()) e = {LinkFailure::kUnreachable, kNoConnectionStatus};
    if (!e.ok()) return done(e, snapshot);
    snapshot.bacpac = DecodeBacPacStatus(record);
    // The window asks for the camera record after each BacPac record that says the camera is on.
    snapshot.camera_on = snapshot.bacpac.power == CameraPower::kOn;
    if (!snapshot.camera_on) return done(e, snapshot);
    const std::string camera_url = BuildCommandUrl(Address(), options_.password, kCameraStatusPath, "");
    Get(camera_url, kStatusTimeoutMs, false,
        [done, snapshot, name = options_.interface_name](const HttpReply& camera) mutable {
      std::span<const std::uint8_t> record;
      const LinkError e = StatusRecord(camera, name, &record);
      if (e.ok()) {
        snapshot.camera = DecodeCameraStatus(record);
        snapshot.camera_record = snapshot.camera.has_value();
      }
      done(e, snapshot);
    });
  });
}

void CameraLink::SendCommand(const std::string& path, const std::string& parameter,
                             CommandDone done) {
  Get(BuildCommandUrl(Address(), options_.password, path, parameter), kCommandTimeoutMs, false,
      [path, done, name = options_.interface_name](const HttpReply& reply) {
        LinkError e = Reachability(reply, kCommandTimeoutStatus, name);
        if (e.ok() && (reply.status != kOk || (!reply.body.empty() && reply.body[0] == kNotDone)))
          e = {LinkFailure::kFailed, kCommandRefused + path};
        done(e);
      });
}

void CameraLink::ReadClock(ClockDone done) {
  Get(MediaBase() + "/", kStatusTimeoutMs, true, [done](const HttpReply& reply) {
    const std::string line = DateLineOf(reply);
    if (reply.status == 0) return done({LinkFailure::kUnreachable, kClockUnreachableStatus}, line);
    if (line.empty()) return done({LinkFailure::kFailed, kNoClock}, line);
    done({}, line);
  });
}

void CameraLink::SetClock(const std::string& tm_parameter, CommandDone done) {
  SendCommand(kSetClockPath, tm_parameter, std::move(done));
}

void CameraLink::ReadListing(ListingDone done) {
  if (!card_reader_) {
    card_reader_ = std::make_unique<CardReader>(loop_);
    card_reader_->SetBindInterface(options_.interface_name);
    card_reader_->OnDone = [this](const CardListing& listing) {
      std::vector<ListingDone> waiters;
      waiters.swap(listing_waiters_);
      for (const ListingDone& w : waiters) w(listing);
    };
  }
  listing_waiters_.push_back(std::move(done));
  // A reading under way answers every caller that asked while it ran.
  card_reader_->Start(MediaBase());
}

MediaFetcher& CameraLink::Fetcher() {
  if (!fetcher_) {
    fetcher_ = std::make_unique<MediaFetcher>(loop_, SystemClock::Instance());
    fetcher_->SetBindInterface(options_.interface_name);
  }
  return *fetcher_;
}

}  // namespace kivo
