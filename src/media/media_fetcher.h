// MediaFetcher: downloads a batch of files from the camera's media server into one folder, one
// file at a time on its own THttpCli. A file grows under NAME.part and takes its name only once
// its size equals the length the server gave; a dropped or stalled connection is resumed with a
// byte range from the end of the .part file (also after a restart); an existing file is never
// overwritten (same size: skipped; otherwise the next free "NAME-1.EXT"). A file that ends in
// failure leaves no empty .part behind. Loop thread only;
// every callback runs on the loop thread, from the loop, never inside Start() or Cancel().
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/http_cli.h"
#include "net/super_timer.h"
#include "platform/clock.h"
#include "platform/event_loop.h"

namespace kivo {

struct FetchJob {
  std::string url;                 // "http://10.5.5.9:8080/videos/DCIM/100GOPRO/GOPR0001.MP4"
  std::string name;                // local name; must pass IsSafeEntryName
  std::string subfolder;           // of the batch's folder ("100GOPRO"), or empty; same rule
  std::uint64_t size_estimate = 0; // from the listing, for the batch's progress until known
};

enum class FetchOutcome { kDownloaded, kAlreadyHere, kSizeMismatch, kFailed, kCancelled };

struct FetchResult {
  FetchOutcome outcome = FetchOutcome::kFailed;
  std::filesystem::path path;  // the finished file (downloaded or already here)
  std::string message;         // what went wrong, for the user
};

struct FetchProgress {
  std::size_t file = 0;          // index of the job
  std::uint64_t file_done = 0;   // bytes of it on disk
  std::uint64_t file_total = 0;  // its length (the estimate until the server says)
  std::uint64_t batch_done = 0;
  std::uint64_t batch_total = 0;
  double bytes_per_second = 0;   // over the last few seconds
  double seconds_left = -1;      // -1 until there is a rate
};

// Texts of the outcomes, shown to the user.
inline constexpr char kFetchUnsafeName[] = "The camera's name for this file is not safe to use";
inline constexpr char kFetchSizeMismatch[] =
    "Size does not match the camera's; kept as .part, not finished";
inline constexpr char kFetchNoLength[] = "The camera did not say how long the file is";
inline constexpr char kFetchConnectionLost[] = "Connection lost; downloading again resumes it";
inline constexpr char kFetchCannotWrite[] = "Cannot write to the download folder";
inline constexpr char kFetchDiskFull[] = "The disk is full";  // short: it fits the State column
inline constexpr char kFetchCancelled[] = "Cancelled";

class MediaFetcher {
 public:
  MediaFetcher(EventLoop& loop, const Clock& clock);
  ~MediaFetcher();
  MediaFetcher(const MediaFetcher&) = delete;
  MediaFetcher& operator=(const MediaFetcher&) = delete;

  // Starts the batch; the folder must exist. Ignored while busy.
  void Start(std::filesystem::path folder, std::vector<FetchJob> jobs);
  // Stops at once; the .part file stays for a later resume. OnFileDone(kCancelled) and
  // OnBatchDone follow from the loop.
  void Cancel();
  bool Busy() const { return busy_; }
  // The network interface the downloads go out through (THttpCli::BindInterface); "" = any.
  void SetBindInterface(const std::string& name) { http_.BindInterface = name; }

  std::function<void(const FetchProgress&)> OnProgress;
  std::function<void(std::size_t job, const FetchResult&)> OnFileDone;
  std::function<void()> OnBatchDone;

  // Tuning. Attempts count only when an attempt brought no new bytes.
  int max_fruitless_attempts = 6;
  int retry_delay_ms = 1000;  // after an attempt that brought nothing; one that did resumes at once
  int stall_ms = 15000;  // no bytes for this long: the connection is abandoned and resumed

  // Checks for a stalled transfer and a due retry; the fetcher's own timer calls it four times
  // a second.
  void Tick();

 private:
  enum class Phase { kIdle, kHead, kGet, kWaitRetry };

  void StartFile();
  void StartHead();
  void ChooseTarget(std::uint64_t length);
  void StartGet();
  void HeaderEnd();
  void DocData(const char* data, int len);
  void RequestDone(std::uint16_t error);
  void GetDone(std::uint16_t error);
  void Retry(const std::string& why);
  void FinishFile(FetchOutcome outcome, std::string message);
  void SetTotal(std::uint64_t total);  // of the current job
  void EmitProgress(bool force);
  std::uint64_t PartSize() const;

  EventLoop& loop_;
  const Clock& clock_;
  THttpCli http_;
  TSuperTimer timer_;
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);

  bool busy_ = false;
  bool cancelled_ = false;
  std::filesystem::path folder_;
  std::filesystem::path dir_;  // where the current file goes
  std::vector<FetchJob> jobs_;
  std::vector<std::uint64_t> totals_;  // the server's length, or the estimate
  std::uint64_t batch_total_ = 0;      // their sum, kept as they change (SetTotal)
  std::size_t current_ = 0;
  std::uint64_t finished_bytes_ = 0;   // of the jobs before the current one

  Phase phase_ = Phase::kIdle;
  std::filesystem::path target_;
  std::filesystem::path part_;
  std::ofstream out_;
  std::vector<char> out_buffer_;  // large, so a body of 8 KiB chunks costs few writes
  bool write_failed_ = false;
  int write_errno_ = 0;  // errno of the write that failed, 0 when unknown
  std::uint64_t offset_ = 0;
  std::uint64_t file_done_ = 0;            // where this attempt's body starts in the file
  std::int64_t total_ = -1;             // the file's full length, -1 unknown
  bool header_ok_ = false;
  std::string fail_message_;
  int fruitless_ = 0;
  bool retry_into_head_ = false;
  std::uint64_t size_at_attempt_ = 0;
  std::int64_t retry_at_ms_ = 0;
  std::int64_t last_data_ms_ = 0;
  std::int64_t last_emit_ms_ = -1000000;
  std::deque<std::pair<std::int64_t, std::uint64_t>> samples_;  // (ms, batch bytes)
};

}  // namespace kivo
