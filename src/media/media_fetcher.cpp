#include "media/media_fetcher.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "media/listing_parser.h"
#include "media/local_copies.h"

namespace kivo {
namespace {

constexpr std::uint16_t kTickMs = 250;
constexpr std::int64_t kEmitEveryMs = 100;
constexpr std::int64_t kRateWindowMs = 5000;
constexpr char kPartSuffix[] = ".part";
constexpr std::size_t kWriteBufferBytes = 1 << 20;

std::uint64_t SizeOf(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// Why a write into |dir| failed, for the user: a full disk is worth saying as such, since
// freeing space is what helps. |error| is the errno of the failed call (0 when unknown); a disk
// with less room left than one write buffer counts as full as well, as not every library keeps
// errno for a stream's failure.
const char* WriteFailure(int error, const std::filesystem::path& dir) {
  if (error == ENOSPC) return kFetchDiskFull;
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space(dir, ec);
  return !ec && space.available < kWriteBufferBytes ? kFetchDiskFull : kFetchCannotWrite;
}

// The full length from a "Content-Range: bytes 0-499/1234" (or "bytes */1234") reply line.
std::int64_t RangeTotal(const std::vector<std::string>& header) {
  for (const std::string& line : header) {
    if (line.size() < 14) continue;
    std::string name = line.substr(0, 14);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
      return static_cast<char>(std::tolower(c));
    });
    if (name != "content-range:") continue;
    const std::size_t slash = line.rfind('/');
    if (slash == std::string::npos || slash + 1 >= line.size()) return -1;
    std::int64_t total = 0;
    for (std::size_t i = slash + 1; i < line.size(); ++i) {
      const char c = line[i];
      if (c == ' ' || c == '\r') break;
      if (c < '0' || c > '9' || total > (INT64_MAX - 9) / 10) return -1;
      total = total * 10 + (c - '0');
    }
    return total;
  }
  return -1;
}

}  // namespace

MediaFetcher::MediaFetcher(EventLoop& loop, const Clock& clock)
    : loop_(loop), clock_(clock), http_(loop), timer_(loop) {
  http_.OnHeaderEnd = [this](THttpCli&) { HeaderEnd(); };
  http_.OnDocData = [this](THttpCli&, const char* data, int len) { DocData(data, len); };
  http_.OnRequestDone = [this](THttpCli&, THttpRequest, std::uint16_t error) {
    RequestDone(error);
  };
  timer_.SetInterval(kTickMs);
  timer_.OnTimer = [this](TSuperTimer&) { Tick(); };
}

MediaFetcher::~MediaFetcher() {
  timer_.SetEnabled(false);
  http_.OnRequestDone = nullptr;
  http_.OnDocData = nullptr;
  http_.OnHeaderEnd = nullptr;
  if (http_.State() != THttpState::Ready) http_.Abort();
}

void MediaFetcher::Start(std::filesystem::path folder, std::vector<FetchJob> jobs) {
  if (busy_) return;
  busy_ = true;
  cancelled_ = false;
  folder_ = std::move(folder);
  jobs_ = std::move(jobs);
  totals_.clear();
  batch_total_ = 0;
  for (const FetchJob& job : jobs_) {
    totals_.push_back(job.size_estimate);
    batch_total_ += job.size_estimate;
  }
  current_ = 0;
  finished_bytes_ = 0;
  samples_.clear();
  timer_.SetEnabled(true);
  std::weak_ptr<char> alive = alive_;
  loop_.Post([this, alive] {
    if (!alive.expired()) StartFile();
  });
}

void MediaFetcher::Cancel() {
  if (!busy_ || cancelled_) return;
  cancelled_ = true;
  if (http_.State() != THttpState::Ready) {
    http_.Abort();  // RequestDone follows from the loop
    return;
  }
  std::weak_ptr<char> alive = alive_;
  loop_.Post([this, alive] {
    if (!alive.expired() && busy_ && phase_ != Phase::kHead && phase_ != Phase::kGet) {
      FinishFile(FetchOutcome::kCancelled, kFetchCancelled);
    }
  });
}

std::uint64_t MediaFetcher::PartSize() const { return SizeOf(part_); }

void MediaFetcher::StartFile() {
  if (cancelled_) {
    FinishFile(FetchOutcome::kCancelled, kFetchCancelled);
    return;
  }
  const FetchJob& job = jobs_[current_];
  fruitless_ = 0;
  total_ = -1;
  if (!IsSafeEntryName(job.name) || job.name.ends_with(kPartSuffix) ||
      (!job.subfolder.empty() && !IsSafeEntryName(job.subfolder))) {
    FinishFile(FetchOutcome::kFailed, kFetchUnsafeName);
    return;
  }
  dir_ = job.subfolder.empty() ? folder_ : folder_ / job.subfolder;
  part_.clear();  // until this job has one: nothing of an earlier job is cleaned up for it
  std::error_code ec;
  std::filesystem::create_directories(dir_, ec);
  if (ec) {
    const bool full = ec == std::errc::no_space_on_device;
    FinishFile(FetchOutcome::kFailed, WriteFailure(full ? ENOSPC : 0, folder_));
    return;
  }
  target_ = dir_ / job.name;
  part_ = dir_ / (job.name + kPartSuffix);
  if (Exists(target_)) {
    StartHead();  // its length decides between "already here" and a new name
  } else {
    StartGet();
  }
}

void MediaFetcher::StartHead() {
  if (cancelled_) {
    FinishFile(FetchOutcome::kCancelled, kFetchCancelled);
    return;
  }
  phase_ = Phase::kHead;
  fail_message_.clear();
  last_data_ms_ = clock_.MonotonicMs();
  http_.URL = jobs_[current_].url;
  http_.ContentRangeBegin.clear();
  http_.ContentRangeEnd.clear();
  http_.HeadASync();
}

void MediaFetcher::ChooseTarget(std::uint64_t length) {
  const std::string& name = jobs_[current_].name;
  for (int n = 0; n <= kMaxNameVariants; ++n) {
    const std::filesystem::path candidate = dir_ / NameVariant(name, n);
    if (!Exists(candidate)) {
      target_ = candidate;
      part_ = dir_ / (NameVariant(name, n) + kPartSuffix);
      StartGet();
      return;
    }
    if (SizeOf(candidate) == length) {
      target_ = candidate;
      SetTotal(length);
      FinishFile(FetchOutcome::kAlreadyHere, std::string());
      return;
    }
  }
  FinishFile(FetchOutcome::kFailed, kFetchCannotWrite);
}

void MediaFetcher::StartGet() {
  if (cancelled_) {  // a retry that was already on its way
    FinishFile(FetchOutcome::kCancelled, kFetchCancelled);
    return;
  }
  phase_ = Phase::kGet;
  fail_message_.clear();
  write_failed_ = false;
  write_errno_ = 0;
  header_ok_ = false;
  offset_ = PartSize();
  size_at_attempt_ = offset_;
  file_done_ = offset_;
  last_data_ms_ = clock_.MonotonicMs();
  http_.URL = jobs_[current_].url;
  // Always both: a 206 reply leaves the last range in these, and it would go out again.
  http_.ContentRangeBegin = offset_ > 0 ? std::to_string(offset_) : std::string();
  http_.ContentRangeEnd.clear();
  EmitProgress(true);
  http_.GetASync();
}

void MediaFetcher::HeaderEnd() {
  // A header cut short by a closed connection also ends here; it decides nothing.
  if (phase_ != Phase::kGet || !http_.Connected()) return;
  const int status = http_.StatusCode();
  if (status == 206) {
    const std::int64_t total = RangeTotal(http_.RcvdHeader());
    if (http_.ContentRangeBegin != std::to_string(offset_) || total < 0) {
      // Not the part asked for: start the file over rather than stitch wrong bytes together.
      offset_ = 0;
      out_.open(part_, std::ios::binary | std::ios::trunc);
      out_.close();
      http_.Abort();
      return;
    }
    total_ = total;
  } else if (status == 200) {
    offset_ = 0;  // the whole file follows, whatever was asked for
    file_done_ = 0;
    total_ = http_.ContentLength();
  } else if (status == 416) {
    total_ = RangeTotal(http_.RcvdHeader());  // the .part may already be whole
    return;
  } else {
    if (status != 0) {
      fail_message_ = "The camera answered " + std::to_string(status) + " " +
                      http_.ReasonPhrase();
    }
    return;
  }
  if (total_ >= 0) SetTotal(static_cast<std::uint64_t>(total_));
  out_.clear();
  out_buffer_.resize(kWriteBufferBytes);
  out_.rdbuf()->pubsetbuf(out_buffer_.data(), static_cast<std::streamsize>(out_buffer_.size()));
  errno = 0;
  out_.open(part_, std::ios::binary | (offset_ == 0 ? std::ios::trunc : std::ios::app));
  header_ok_ = out_.is_open();
  if (!header_ok_) {
    write_failed_ = true;
    write_errno_ = errno;
    http_.Abort();
  }
}

void MediaFetcher::DocData(const char* data, int len) {
  if (phase_ != Phase::kGet || !header_ok_ || write_failed_) return;
  errno = 0;
  out_.write(data, len);
  if (!out_) {
    write_failed_ = true;
    write_errno_ = errno;
    http_.Abort();
    return;
  }
  file_done_ += static_cast<std::uint64_t>(len);
  last_data_ms_ = clock_.MonotonicMs();
  EmitProgress(false);
}

void MediaFetcher::RequestDone(std::uint16_t error) {
  if (phase_ == Phase::kHead) {
    if (cancelled_) {
      FinishFile(FetchOutcome::kCancelled, kFetchCancelled);
    } else if (error == 0 && http_.StatusCode() == 200 && http_.ContentLength() >= 0) {
      ChooseTarget(static_cast<std::uint64_t>(http_.ContentLength()));
    } else if (error == 0 && http_.StatusCode() >= 400) {
      FinishFile(FetchOutcome::kFailed, "The camera answered " +
                                            std::to_string(http_.StatusCode()) + " " +
                                            http_.ReasonPhrase());
    } else {
      Retry(kFetchConnectionLost);
    }
  } else if (phase_ == Phase::kGet) {
    GetDone(error);
  }
}

void MediaFetcher::GetDone(std::uint16_t error) {
  if (out_.is_open()) {
    errno = 0;
    out_.close();  // the buffer's last bytes are written here: a full disk may show only now
    if (out_.fail() && !write_failed_) {
      write_failed_ = true;
      write_errno_ = errno;
    }
  }
  out_.clear();
  if (cancelled_) {
    FinishFile(FetchOutcome::kCancelled, kFetchCancelled);
    return;
  }
  if (write_failed_) {
    FinishFile(FetchOutcome::kFailed, WriteFailure(write_errno_, dir_));
    return;
  }
  if (!fail_message_.empty()) {
    FinishFile(FetchOutcome::kFailed, fail_message_);
    return;
  }
  const std::uint64_t size = PartSize();
  if (total_ < 0) {
    if (header_ok_ && error == 0) {
      FinishFile(FetchOutcome::kFailed, kFetchNoLength);
    } else {
      Retry(kFetchConnectionLost);
    }
    return;
  }
  const auto total = static_cast<std::uint64_t>(total_);
  if (size > total) {
    FinishFile(FetchOutcome::kSizeMismatch, kFetchSizeMismatch);
  } else if (size < total) {
    Retry(kFetchConnectionLost);
  } else if (Exists(target_)) {
    FinishFile(FetchOutcome::kFailed, kFetchCannotWrite);  // appeared meanwhile: not touched
  } else {
    std::error_code ec;
    std::filesystem::rename(part_, target_, ec);
    if (ec) {
      FinishFile(FetchOutcome::kFailed, kFetchCannotWrite);
    } else {
      FinishFile(FetchOutcome::kDownloaded, std::string());
    }
  }
}

void MediaFetcher::Retry(const std::string& why) {
  const Phase again = phase_;
  const std::uint64_t size = again == Phase::kGet ? PartSize() : 0;
  const bool progressed = again == Phase::kGet && size > size_at_attempt_;
  if (progressed) {
    fruitless_ = 0;
  } else if (++fruitless_ >= max_fruitless_attempts) {
    FinishFile(FetchOutcome::kFailed, why);
    return;
  }
  phase_ = Phase::kWaitRetry;
  retry_into_head_ = again == Phase::kHead;
  // A connection that broke after bringing bytes is resumed at once (the link worked a moment
  // ago, and a flaky one would otherwise cost a pause per drop); only an attempt that brought
  // nothing waits before the next.
  const int delay_ms = progressed ? 0 : retry_delay_ms;
  retry_at_ms_ = clock_.MonotonicMs() + delay_ms;
  if (delay_ms <= 0) {
    std::weak_ptr<char> alive = alive_;
    loop_.Post([this, alive] {
      if (!alive.expired() && phase_ == Phase::kWaitRetry) {
        retry_into_head_ ? StartHead() : StartGet();
      }
    });
  }
}

void MediaFetcher::Tick() {
  if (!busy_) return;
  const std::int64_t now = clock_.MonotonicMs();
  if ((phase_ == Phase::kGet || phase_ == Phase::kHead) && !cancelled_ &&
      now - last_data_ms_ >= stall_ms && http_.State() != THttpState::Ready) {
    http_.Abort();  // treated as a drop: RequestDone resumes
  } else if (phase_ == Phase::kWaitRetry && now >= retry_at_ms_ && retry_delay_ms > 0) {
    retry_into_head_ ? StartHead() : StartGet();
  }
  if (phase_ == Phase::kGet) EmitProgress(false);
}

void MediaFetcher::FinishFile(FetchOutcome outcome, std::string message) {
  phase_ = Phase::kIdle;
  if (outcome != FetchOutcome::kDownloaded && !part_.empty()) {
    // An empty .part has nothing to resume from; left behind it only looks like a download.
    std::error_code ec;
    if (std::filesystem::is_regular_file(part_, ec) && SizeOf(part_) == 0) {
      std::filesystem::remove(part_, ec);
    }
  }
  FetchResult result;
  result.outcome = outcome;
  result.message = std::move(message);
  if (outcome == FetchOutcome::kDownloaded || outcome == FetchOutcome::kAlreadyHere) {
    result.path = target_;
  }
  finished_bytes_ += totals_[current_];
  const std::size_t job = current_;
  file_done_ = 0;
  ++current_;
  const bool more = current_ < jobs_.size() && !cancelled_;
  if (OnFileDone) OnFileDone(job, result);
  if (more) {
    StartFile();
    return;
  }
  current_ = std::min(current_, jobs_.size());
  busy_ = false;
  timer_.SetEnabled(false);
  EmitProgress(true);
  if (OnBatchDone) OnBatchDone();
}

void MediaFetcher::SetTotal(std::uint64_t total) {
  batch_total_ = batch_total_ - totals_[current_] + total;
  totals_[current_] = total;
}

void MediaFetcher::EmitProgress(bool force) {
  const std::int64_t now = clock_.MonotonicMs();
  if (!force && now - last_emit_ms_ < kEmitEveryMs) return;
  last_emit_ms_ = now;
  FetchProgress p;
  p.file = current_;
  if (current_ < jobs_.size()) {
    p.file_total = totals_[current_];
    p.file_done = file_done_;
  }
  p.batch_total = batch_total_;
  p.batch_done = std::min(p.batch_total, finished_bytes_ + p.file_done);
  samples_.emplace_back(now, p.batch_done);
  while (samples_.size() > 1 && now - samples_.front().first > kRateWindowMs) samples_.pop_front();
  const auto& [then_ms, then_bytes] = samples_.front();
  if (now - then_ms >= 500 && p.batch_done >= then_bytes) {
    p.bytes_per_second = static_cast<double>(p.batch_done - then_bytes) * 1000.0 /
                         static_cast<double>(now - then_ms);
    if (p.bytes_per_second > 0) {
      p.seconds_left = static_cast<double>(p.batch_total - p.batch_done) / p.bytes_per_second;
    }
  }
  if (OnProgress) OnProgress(p);
}

}  // namespace kivo
