// The Browse and Download window's downloads: which files, the progress bars and the outcome of
// each file in the State column.
#include <cstdio>
#include <filesystem>

#include "forms/browse_texts.h"
#include "forms/browse_window.h"
#include "media/local_copies.h"
#include "forms/main_window.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

namespace text = browse_text;

int Permille(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  return static_cast<int>(std::min<std::uint64_t>(1000, done * 1000 / total));
}

}  // namespace

void TBrowseForm::DownloadSelectedBtnClick() {
  std::vector<std::size_t> chosen;
  for (int row : model_["FileList"].Selection()) {
    if (row >= 0 && static_cast<std::size_t>(row) < items_.size()) chosen.push_back(row);
  }
  if (chosen.empty()) {
    SetStatus(text::kNothingSelected);
    return;
  }
  Download(chosen);
}

void TBrowseForm::DownloadAllBtnClick() {
  std::vector<std::size_t> chosen;
  // What is here only perhaps (the listing's sizes are rounded) goes too: the engine asks the
  // camera for the exact size and counts it as already here when it is.
  LocalCopies here(PathFromUtf8(Folder()));
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!here.AllHere(items_[i])) chosen.push_back(i);
  }
  if (chosen.empty()) {
    SetStatus(text::kNothingToDownload);
    return;
  }
  Download(chosen);
}

void TBrowseForm::Download(const std::vector<std::size_t>& items) {
  if (Busy()) return;
  std::vector<FetchJob> jobs;
  jobs_.clear();
  for (std::size_t i : items) {
    const MediaItem& m = items_[i];
    jobs.push_back({FileUrl(m, m.file.name), m.file.name, m.folder, m.file.size});
    jobs_.push_back({i, true});
    for (const ListingEntry& c : m.companions) {
      jobs.push_back({FileUrl(m, c.name), c.name, m.folder, c.size});
      jobs_.push_back({i, false});
    }
  }
  SetStates(items, text::kStateQueued);
  jobs_total_ = jobs.size();
  downloaded_ = already_ = failed_ = 0;
  disk_full_ = false;
  model_["CancelBtn"].SetEnabled(true);
  model_["RefreshBtn"].SetEnabled(false);
  model_["DownloadSelectedBtn"].SetEnabled(false);
  model_["DownloadAllBtn"].SetEnabled(false);
  model_["FolderBtn"].SetEnabled(false);
  fetcher_.SetBindInterface(main_.BoundInterface());
  fetcher_.Start(PathFromUtf8(Folder()), std::move(jobs));
}

void TBrowseForm::CancelBtnClick() {
  if (!fetcher_.Busy()) return;
  SetStatus(text::kCancelling);
  fetcher_.Cancel();
}

void TBrowseForm::Progress(const FetchProgress& p) {
  if (p.file < jobs_.size()) {
    const int permille = Permille(p.file_done, p.file_total);
    ShowFileBar(p.file, permille);
    const JobOf& job = jobs_[p.file];
    if (job.main_file) SetState(job.item, std::to_string(permille / 10) + "%");
  }
  Component& batch = model_["BatchProgress"];
  batch.SetValue(Permille(p.batch_done, p.batch_total));
  batch.SetCaption("File " + std::to_string(std::min(p.file + 1, jobs_total_)) + " of " +
                   std::to_string(jobs_total_));
  std::string line = SizeText(p.batch_done) + " of " + SizeText(p.batch_total);
  if (p.bytes_per_second > 0) line += " at " + SizeText(static_cast<std::uint64_t>(p.bytes_per_second)) + "/s";
  if (p.seconds_left >= 0) line += ", " + DurationText(p.seconds_left) + " left";
  model_["RateLabel"].SetCaption(line);
}

void TBrowseForm::ShowFileBar(std::size_t job, int permille) {
  const JobOf& of = jobs_[job];
  const MediaItem& m = items_[of.item];
  Component& bar = model_["FileProgress"];
  bar.SetValue(permille);
  bar.SetCaption(m.folder + "/" + (of.main_file ? m.file.name : std::string("...")) + "  " +
                 std::to_string(permille / 10) + "%");
}

void TBrowseForm::FileDone(std::size_t job, const FetchResult& result) {
  if (job >= jobs_.size()) return;
  const JobOf& of = jobs_[job];
  std::string state = states_[of.item];
  switch (result.outcome) {
    case FetchOutcome::kDownloaded:
      ++downloaded_;
      // Progress comes at most a few times a second, so a small or empty file's last word on
      // the bar may be its start.
      ShowFileBar(job, 1000);
      if (of.main_file) state = text::kStateDone;
      break;
    case FetchOutcome::kAlreadyHere:
      ++already_;
      if (of.main_file) state = text::kStateAlready;
      break;
    case FetchOutcome::kCancelled:
      state = text::kStateCancelled;
      break;
    case FetchOutcome::kSizeMismatch:
    case FetchOutcome::kFailed:
      ++failed_;
      disk_full_ = disk_full_ || result.message == kFetchDiskFull;
      state = result.message;  // a companion's failure shows on its video's row too
      break;
  }
  SetState(of.item, std::move(state));
}

void TBrowseForm::BatchDone() {
  // Only the rows of this batch can still be waiting or part-way.
  std::vector<std::size_t> unfinished;
  for (const JobOf& job : jobs_) {
    const std::string& state = states_[job.item];
    if (state == text::kStateQueued || (!state.empty() && state.back() == '%')) {
      unfinished.push_back(job.item);
    }
  }
  SetStates(unfinished, text::kStateCancelled);
  model_["CancelBtn"].SetEnabled(false);
  model_["RefreshBtn"].SetEnabled(true);
  model_["DownloadSelectedBtn"].SetEnabled(true);
  model_["DownloadAllBtn"].SetEnabled(true);
  model_["FolderBtn"].SetEnabled(true);
  if (downloaded_ == 0 && failed_ == 0 && already_ == jobs_total_) {
    SetStatus(text::kNothingToDownload);  // every file was asked about and found here
    return;
  }
  // A full disk is said on the status line too: every later download fails the same way
  // until space is made.
  SetStatus("Downloaded " + std::to_string(downloaded_) + ", already here " +
            std::to_string(already_) + ", failed " + std::to_string(failed_) + " of " +
            std::to_string(jobs_total_) + " files" +
            (disk_full_ ? std::string(": ") + kFetchDiskFull : std::string()));
}

}  // namespace kivo
