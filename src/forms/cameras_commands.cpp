// The Cameras window's commands to every camera: record, stop, the clock, and downloading what
// is new on each card. Each goes to every camera in one pass (held, then fired together), and
// the status line says, once the last camera has answered, what happened on each.
#include <filesystem>

#include "camera/clock_text.h"
#include "camera/command_table.h"
#include "forms/cameras_texts.h"
#include "forms/cameras_window.h"
#include "forms/main_window.h"
#include "media/new_files.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

namespace text = cameras_text;

// The record button's command, as the main window sends it for |caption|.
Command RecordCommand(const char* caption) {
  const CommandRow* row = FindCommand("RecordBtn");
  return {row->path, CommandParameter(*row, false, caption).value_or("")};
}

}  // namespace

void TCamerasForm::ToEveryCamera(const std::string& action, const Start& start) {
  if (rows_.empty()) {
    SetStatus(text::kNoCamera + main_.camera_address);
    return;
  }
  auto batch = std::make_shared<Batch>();
  batch->action = action;
  batch->pending = rows_.size();
  std::vector<CameraLink*> links;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    batch->outcomes.push_back({rows_[i].camera.interface_name, {}, ""});
    CameraLink& link = *rows_[i].link;
    link.Hold();
    start(link, [this, batch, i](const LinkError& error) {
      model_.Dispatch([&] { Finished(batch, i, {batch->outcomes[i].interface_name, error, ""}); });
    });
    links.push_back(&link);
  }
  SetStatus(action + text::kUnderWay);
  FireTogether(links);
}

void TCamerasForm::Finished(const std::shared_ptr<Batch>& batch, std::size_t slot,
                            RigOutcome outcome) {
  batch->outcomes[slot] = std::move(outcome);
  if (--batch->pending == 0) SetStatus(RigOutcomeLine(batch->action, batch->outcomes));
}

void TCamerasForm::RecordAllBtnClick() {
  const Command command = RecordCommand(kRecordCaption);
  ToEveryCamera(text::kRecordAllBtn, [&](CameraLink& link, CameraLink::CommandDone done) {
    link.SendCommand(command.path, command.parameter, std::move(done));
  });
}

void TCamerasForm::StopAllBtnClick() {
  const Command command = RecordCommand(kStopCaption);
  ToEveryCamera(text::kStopAllBtn, [&](CameraLink& link, CameraLink::CommandDone done) {
    link.SendCommand(command.path, command.parameter, std::move(done));
  });
}

void TCamerasForm::SyncClocksBtnClick() {
  // One reading of this computer's clock for every camera, as Set Date and Time > Local Time.
  const std::string parameter =
      ClockTextToTmParameter(FormatClockText(main_.Env().clock.Now()));
  ToEveryCamera(text::kSyncClocksBtn, [&](CameraLink& link, CameraLink::CommandDone done) {
    link.SetClock(parameter, std::move(done));
  });
}

void TCamerasForm::DownloadAllNewBtnClick() {
  if (rows_.empty()) {
    SetStatus(text::kNoCamera + main_.camera_address);
    return;
  }
  auto batch = std::make_shared<Batch>();
  batch->action = text::kDownloadAllNewBtn;
  batch->pending = rows_.size();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    batch->outcomes.push_back({rows_[i].camera.interface_name, {}, ""});
    CameraLink& link = *rows_[i].link;
    if (link.Fetcher().Busy()) {
      Finished(batch, i, {batch->outcomes[i].interface_name,
                          {LinkFailure::kFailed, text::kStillDownloading}, ""});
      continue;
    }
    link.ReadListing([this, batch, i](const CardListing& card) {
      model_.Dispatch([&] { DownloadNew(batch, i, card); });
    });
  }
  if (batch->pending > 0) SetStatus(batch->action + text::kUnderWay);
}

void TCamerasForm::DownloadNew(const std::shared_ptr<Batch>& batch, std::size_t slot,
                               const CardListing& card) {
  const std::string name = batch->outcomes[slot].interface_name;
  if (!card.ok) {
    const bool unreachable = card.error.rfind(kCardCannotReach, 0) == 0;
    const LinkFailure failure = unreachable ? LinkFailure::kUnreachable : LinkFailure::kFailed;
    Finished(batch, slot, {name, {failure, card.error}, ""});
    return;
  }
  Row* row = nullptr;
  for (Row& r : rows_)
    if (r.camera.interface_name == name) row = &r;
  if (!row) return;  // the adapter went away meanwhile
  CameraLink& link = *row->link;
  // One folder per camera, named after its adapter: two cameras' cards hold the same names.
  const std::filesystem::path folder = PathFromUtf8(main_.DownloadFolder()) / PathFromUtf8(name);
  std::vector<FetchJob> jobs = NewFileJobs(card, link.MediaBase(), folder);
  if (jobs.empty()) {
    Finished(batch, slot, {name, {}, text::kNothingNew});
    return;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  auto counts = std::make_shared<std::pair<std::size_t, std::size_t>>(0, 0);  // done, failed
  const std::size_t total = jobs.size();
  MediaFetcher& fetcher = link.Fetcher();
  fetcher.OnProgress = nullptr;
  fetcher.OnFileDone = [counts](std::size_t, const FetchResult& r) {
    if (r.outcome == FetchOutcome::kFailed || r.outcome == FetchOutcome::kSizeMismatch)
      ++counts->second;
    else if (r.outcome == FetchOutcome::kDownloaded)
      ++counts->first;
  };
  fetcher.OnBatchDone = [this, batch, slot, name, counts, total] {
    model_.Dispatch([&] {
      // Files the listing gave a rounded size for were found here by the engine: not new.
      RigOutcome outcome{name, {},
                         counts->first == 0 ? std::string(text::kNothingNew)
                                            : std::to_string(counts->first) + text::kDownloaded};
      if (counts->second > 0)
        outcome.error = {LinkFailure::kFailed, std::to_string(counts->second) + " of " +
                                                   std::to_string(total) + text::kNotDownloaded};
      Finished(batch, slot, std::move(outcome));
    });
  };
  fetcher.Start(folder, std::move(jobs));
}

}  // namespace kivo
