// TBrowseForm: the "Browse and Download" window — every file on the camera's card, read from
// its media server (port 8080) in every folder, newest first, a video with its companion files
// on one row, a picture of each photo from its embedded thumbnail, and downloads with progress,
// resume and Cancel into a folder the user picks. Loop thread only; network completions and the
// download engine's callbacks arrive from the loop through the model's Dispatch.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "media/card_reader.h"
#include "media/media_catalog.h"
#include "media/media_fetcher.h"
#include "net/http_cli.h"
#include "ui/component.h"

namespace kivo {

class TForm1;

class TBrowseForm {
 public:
  explicit TBrowseForm(TForm1& main_window);
  ~TBrowseForm();
  TBrowseForm(const TBrowseForm&) = delete;
  TBrowseForm& operator=(const TBrowseForm&) = delete;

  // Form "Browse"; list "FileList", picture "Picture", bars "FileProgress" / "BatchProgress".
  ComponentModel& Model() { return model_; }
  Component& operator[](std::string_view name) { return model_.Get(name); }

  // The window is being shown: reads the card unless a reading or a download is under way.
  void Open();
  void RefreshBtnClick();
  void FileListClick();
  void FolderBtnClick();
  void DownloadSelectedBtnClick();
  void DownloadAllBtnClick();
  void CancelBtnClick();
  void FormKeyEscape();
  std::function<void()> OnCloseRequest;

  // The camera's media server port; tests point it elsewhere.
  int media_port = 8080;

  // The folder downloads go to: the chosen one, or the pictures folder + "Kivo".
  std::string Folder() const;
  const std::vector<MediaItem>& Items() const { return items_; }
  MediaFetcher& Fetcher() { return fetcher_; }

 private:
  void BuildWindow();
  std::string BaseUrl() const;
  std::string FileUrl(const MediaItem& item, const std::string& name) const;
  bool Busy() const;

  // The card has been read (media/card_reader.h).
  void CardRead(const CardListing& listing);
  void ListingFinished(const std::string& status);

  // Pictures: the first 64 KiB of each photo (or a video's .THM), one at a time.
  void NextPicture();
  void PictureDone(std::uint16_t error);
  void ShowPicture();

  // All rows at once (a new listing, a new batch) ...
  void ShowRows();
  std::string RowText(std::size_t item) const;
  // ... or one item's State, redrawing only its row ...
  void SetState(std::size_t item, std::string state);
  // ... or the State of many items at once: row by row when few change, otherwise as one
  // change of the whole list (a batch of thousands must not redraw thousands of times).
  void SetStates(const std::vector<std::size_t>& items, const std::string& state);
  void Download(const std::vector<std::size_t>& items);
  void Progress(const FetchProgress& p);
  void ShowFileBar(std::size_t job, int permille);
  void FileDone(std::size_t job, const FetchResult& result);
  void BatchDone();
  void SetStatus(const std::string& text);

  TForm1& main_;
  ComponentModel model_;
  CardReader reader_;
  THttpCli pictures_;
  MediaFetcher fetcher_;

  std::string root_;  // the media root the card was read from
  std::vector<MediaItem> items_;
  std::vector<std::string> states_;  // the State column, per item

  std::map<std::string, std::string> picture_of_;  // "100GOPRO/GOPR0001.JPG" -> JPEG bytes
  std::vector<std::size_t> picture_queue_;
  std::size_t picture_item_ = 0;
  std::string picture_body_;
  bool picture_busy_ = false;

  struct JobOf {
    std::size_t item;
    bool main_file;
  };
  std::vector<JobOf> jobs_;
  std::size_t jobs_total_ = 0;
  std::size_t downloaded_ = 0, already_ = 0, failed_ = 0;
  bool disk_full_ = false;  // a file of this batch failed for a full disk
};

}  // namespace kivo
