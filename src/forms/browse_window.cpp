// The Browse and Download window: its components, reading the card, the rows and the pictures.
// Downloads are in browse_download.cpp.
#include "forms/browse_window.h"

#include <algorithm>
#include <filesystem>

#include "media/exif_thumbnail.h"
#include "media/local_copies.h"
#include "platform/user_dirs.h"
#include "forms/browse_texts.h"
#include "forms/main_window.h"
#include "ui/placement.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

namespace text = browse_text;

std::string KeyOf(const MediaItem& item) { return item.folder + "/" + item.file.name; }

bool IsJpeg(const std::string& bytes) {
  return bytes.size() > 4 && bytes.compare(0, 2, "\xff\xd8") == 0 &&
         bytes.compare(bytes.size() - 2, 2, "\xff\xd9") == 0;
}

}  // namespace

TBrowseForm::TBrowseForm(TForm1& main_window)
    : main_(main_window),
      reader_(main_window.Env().loop),
      pictures_(main_window.Env().loop),
      fetcher_(main_window.Env().loop, main_window.Env().clock) {
  BuildWindow();
  reader_.OnDone = [this](const CardListing& listing) {
    model_.Dispatch([&] { CardRead(listing); });
  };
  pictures_.OnDocData = [this](THttpCli& c, const char* data, int len) {
    picture_body_.append(data, static_cast<std::size_t>(len));
    if (picture_body_.size() > kThumbnailHeadBytes) c.Abort();  // a server ignoring the range
  };
  pictures_.OnRequestDone = [this](THttpCli&, THttpRequest, std::uint16_t error) {
    model_.Dispatch([&] { PictureDone(error); });
  };
  fetcher_.OnProgress = [this](const FetchProgress& p) { model_.Dispatch([&] { Progress(p); }); };
  fetcher_.OnFileDone = [this](std::size_t job, const FetchResult& r) {
    model_.Dispatch([&] { FileDone(job, r); });
  };
  fetcher_.OnBatchDone = [this] { model_.Dispatch([&] { BatchDone(); }); };
  model_.OnException = [this](const std::string& message) {
    if (main_.Model().OnException) main_.Model().OnException(message);
  };
}

TBrowseForm::~TBrowseForm() {
  reader_.OnDone = nullptr;
  pictures_.OnRequestDone = nullptr;
  fetcher_.OnProgress = nullptr;
  fetcher_.OnFileDone = nullptr;
  fetcher_.OnBatchDone = nullptr;
}

void TBrowseForm::BuildWindow() {
  Component& form = model_.Add("Browse", ComponentKind::kForm);
  form.SetCaption(text::kCaption);
  form.SetBounds({80, 80, 720, 452});
  model_.Add("BrowseMenu", ComponentKind::kMainMenu, &form);
  const Placement<TBrowseForm> places[] = {
      {"FolderLabel", ComponentKind::kLabel, "", {8, 10, 530, 20}, nullptr},
      {"FolderBtn", ComponentKind::kButton, text::kFolderBtn, {546, 6, 80, 26},
       &TBrowseForm::FolderBtnClick},
      {"RefreshBtn", ComponentKind::kButton, text::kRefreshBtn, {632, 6, 80, 26},
       &TBrowseForm::RefreshBtnClick},
      {"FileList", ComponentKind::kFileList, "", {8, 40, 522, 282}, &TBrowseForm::FileListClick},
      {"Picture", ComponentKind::kPicture, text::kNoPicture, {538, 40, 174, 131}, nullptr},
      {"DownloadSelectedBtn", ComponentKind::kButton, text::kDownloadSelectedBtn,
       {538, 200, 174, 28}, &TBrowseForm::DownloadSelectedBtnClick},
      {"DownloadAllBtn", ComponentKind::kButton, text::kDownloadAllBtn, {538, 234, 174, 28},
       &TBrowseForm::DownloadAllBtnClick},
      {"CancelBtn", ComponentKind::kButton, text::kCancelBtn, {538, 294, 174, 28},
       &TBrowseForm::CancelBtnClick},
      {"FileProgress", ComponentKind::kProgressBar, "", {8, 330, 704, 20}, nullptr},
      {"BatchProgress", ComponentKind::kProgressBar, "", {8, 356, 704, 20}, nullptr},
      {"RateLabel", ComponentKind::kLabel, "", {8, 382, 704, 18}, nullptr},
      {"NoDeleteLabel", ComponentKind::kLabel, text::kNoDelete, {8, 402, 704, 18}, nullptr},
      {"BrowseStatus", ComponentKind::kStatusBar, "", {}, nullptr},
  };
  AddPlaced(model_, form, places, this);
  Component& list = model_["FileList"];
  list.columns = {"Name", "Date", "Size", "Type", "State"};
  list.column_widths = {100, 108, 64, 118, 120};
  list.accessible_name = text::kFileListName;
  model_["Picture"].accessible_name = text::kPictureName;
  model_["BrowseStatus"].accessible_name = text::kStatusName;
  model_["RateLabel"].frequent = true;
  model_["CancelBtn"].SetEnabled(false);
  // The folder line is written when the window opens: finding the pictures folder may start a
  // process, which start-up need not wait for.
}

std::string TBrowseForm::Folder() const {
  return main_.DownloadFolder();
}

std::string TBrowseForm::BaseUrl() const {
  return "http://" + main_.camera_address + ":" + std::to_string(media_port);
}

std::string TBrowseForm::FileUrl(const MediaItem& item, const std::string& name) const {
  return BaseUrl() + root_ + item.folder + "/" + name;
}

bool TBrowseForm::Busy() const { return reader_.Busy() || fetcher_.Busy(); }

void TBrowseForm::SetStatus(const std::string& status) { model_["BrowseStatus"].SetCaption(status); }

void TBrowseForm::Open() {
  model_["FolderLabel"].SetCaption(text::kFolderPrefix + Folder());
  if (!Busy()) RefreshBtnClick();
}

void TBrowseForm::RefreshBtnClick() {
  if (Busy()) return;
  model_["RefreshBtn"].SetEnabled(false);
  SetStatus(text::kReading);
  reader_.SetBindInterface(main_.BoundInterface());
  reader_.Start(BaseUrl());
}

void TBrowseForm::CardRead(const CardListing& listing) {
  if (!listing.ok) {
    ListingFinished(listing.error);
    return;
  }
  root_ = listing.root;
  items_ = listing.items;
  const std::string status = std::to_string(items_.size()) + text::kFilesFound;
  ListingFinished(listing.note.empty() ? status : status + " (" + listing.note + ")");
}

void TBrowseForm::ListingFinished(const std::string& status) {
  model_["RefreshBtn"].SetEnabled(true);
  SetStatus(status);
  states_.assign(items_.size(), std::string());
  LocalCopies here(PathFromUtf8(Folder()));
  for (std::size_t i = 0; i < items_.size(); ++i) {
    // A file that fits the listing's rounded size counts here; Download All New checks exactly.
    if (here.Find(items_[i].folder, items_[i].file) != LocalMatch::kMissing) {
      states_[i] = text::kStateHere;
    }
  }
  // The newest file starts selected, so its picture shows.
  model_["FileList"].SetSelection(items_.empty() ? std::vector<int>{} : std::vector<int>{0});
  ShowRows();
  ShowPicture();
  picture_queue_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].kind == MediaKind::kOther || picture_of_.count(KeyOf(items_[i]))) continue;
    picture_queue_.push_back(i);
  }
  std::reverse(picture_queue_.begin(), picture_queue_.end());  // taken from the back: newest first
  if (!picture_busy_) NextPicture();
}

std::string TBrowseForm::RowText(std::size_t i) const {
  const MediaItem& m = items_[i];
  std::string type(KindText(m.kind));
  for (std::size_t k = 0; k < m.companions.size(); ++k) {
    const std::string& name = m.companions[k].name;
    type += (k == 0 ? " + " : ", ") + name.substr(name.rfind('.') + 1);
  }
  return m.file.name + "\t" + DateText(m.file) + "\t" +
         (m.file.has_size ? SizeText(m.file.size) : std::string()) + "\t" + type + "\t" +
         (i < states_.size() ? states_[i] : std::string());
}

void TBrowseForm::ShowRows() {
  std::vector<std::string> rows;
  rows.reserve(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) rows.push_back(RowText(i));
  model_["FileList"].SetLines(std::move(rows));
}

void TBrowseForm::SetState(std::size_t item, std::string state) {
  if (item >= states_.size() || states_[item] == state) return;
  states_[item] = std::move(state);
  model_["FileList"].SetLine(item, RowText(item));
}

void TBrowseForm::SetStates(const std::vector<std::size_t>& items, const std::string& state) {
  constexpr std::size_t kRowByRow = 64;
  std::vector<std::size_t> changed;
  for (std::size_t item : items) {
    if (item < states_.size() && states_[item] != state) changed.push_back(item);
  }
  if (changed.size() <= kRowByRow) {
    for (std::size_t item : changed) SetState(item, state);
    return;
  }
  for (std::size_t item : changed) states_[item] = state;
  ShowRows();
}

void TBrowseForm::FileListClick() { ShowPicture(); }

void TBrowseForm::ShowPicture() {
  Component& picture = model_["Picture"];
  const std::vector<int>& rows = model_["FileList"].Selection();
  std::string bytes;
  if (!rows.empty() && static_cast<std::size_t>(rows.back()) < items_.size()) {
    auto it = picture_of_.find(KeyOf(items_[rows.back()]));
    if (it != picture_of_.end()) bytes = it->second;
  }
  picture.SetData(bytes);
  picture.SetCaption(bytes.empty() ? text::kNoPicture : "");
}

void TBrowseForm::NextPicture() {
  picture_busy_ = false;
  while (!picture_queue_.empty()) {
    const std::size_t i = picture_queue_.back();
    picture_queue_.pop_back();
    if (i >= items_.size()) continue;
    const MediaItem& m = items_[i];
    std::string name = m.file.name;
    if (m.kind == MediaKind::kVideo) {
      // A video's picture is its .THM companion, a small JPEG of its own.
      auto thm = std::find_if(m.companions.begin(), m.companions.end(), [](const ListingEntry& c) {
        return c.name.ends_with(".THM") || c.name.ends_with(".thm");
      });
      if (thm == m.companions.end()) continue;
      name = thm->name;
    }
    picture_item_ = i;
    picture_body_.clear();
    picture_busy_ = true;
    pictures_.URL = FileUrl(m, name);
    pictures_.BindInterface = main_.BoundInterface();
    pictures_.ContentRangeBegin = "0";
    pictures_.ContentRangeEnd = std::to_string(kThumbnailHeadBytes - 1);
    pictures_.GetASync();
    return;
  }
}

void TBrowseForm::PictureDone(std::uint16_t error) {
  if (picture_item_ < items_.size() && (pictures_.StatusCode() == 200 || pictures_.StatusCode() == 206)) {
    std::string jpeg;
    if (auto span = FindExifThumbnail(picture_body_)) {
      jpeg = picture_body_.substr(span->offset, span->length);
    } else if (error == 0 && IsJpeg(picture_body_)) {
      jpeg = picture_body_;  // a small file such as a .THM, whole
    }
    if (!jpeg.empty()) {
      picture_of_[KeyOf(items_[picture_item_])] = std::move(jpeg);
      ShowPicture();
    }
  }
  NextPicture();
}

void TBrowseForm::FolderBtnClick() {
  auto chosen = main_.Env().dialogs.ChooseFolder(text::kChooseFolderTitle, Folder());
  if (!chosen || chosen->empty()) return;
  main_.download_folder = *chosen;
  model_["FolderLabel"].SetCaption(text::kFolderPrefix + Folder());
}

void TBrowseForm::FormKeyEscape() {
  if (OnCloseRequest) OnCloseRequest();
}

}  // namespace kivo
