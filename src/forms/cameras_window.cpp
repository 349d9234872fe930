// The Cameras window: its components, finding the cameras, the rows and their five-second
// reading, and the choice of the main window's camera. The commands to every camera are in
// cameras_commands.cpp.
#include "forms/cameras_window.h"

#include <map>

#include "forms/cameras_texts.h"
#include "forms/main_window.h"
#include "ui/placement.h"

namespace kivo {
namespace {

namespace text = cameras_text;

}  // namespace

TCamerasForm::TCamerasForm(TForm1& main_window) : main_(main_window) {
  BuildWindow();
  poll_timer_ = std::make_unique<TSuperTimer>(main_.Env().loop);
  poll_timer_->SetInterval(kPollMs);
  poll_timer_->OnTimer = [this](TSuperTimer&) { model_.Dispatch([this] { Poll(); }); };
  model_.OnException = [this](const std::string& message) {
    if (main_.Model().OnException) main_.Model().OnException(message);
  };
  // The settings are read as the window found them when the scan starts.
  scan = [this] {
    return ScanRig(main_.camera_address, main_.SettingsReadPath(), main_.camera_password);
  };
}

TCamerasForm::~TCamerasForm() {
  *alive_ = false;
  poll_timer_.reset();
  if (scan_thread_.joinable()) scan_thread_.join();
  rows_.clear();  // each link drops its completions as it goes
}

void TCamerasForm::BuildWindow() {
  Component& form = model_.Add("Cameras", ComponentKind::kForm);
  form.SetCaption(text::kCaption);
  form.SetBounds({100, 100, 640, 264});
  model_.Add("CamerasMenu", ComponentKind::kMainMenu, &form);
  const Placement<TCamerasForm> places[] = {
      {"CameraList", ComponentKind::kFileList, "", {8, 8, 624, 192}, nullptr},
      {"RecordAllBtn", ComponentKind::kButton, text::kRecordAllBtn, {8, 208, 100, 28},
       &TCamerasForm::RecordAllBtnClick},
      {"StopAllBtn", ComponentKind::kButton, text::kStopAllBtn, {114, 208, 100, 28},
       &TCamerasForm::StopAllBtnClick},
      {"SyncClocksBtn", ComponentKind::kButton, text::kSyncClocksBtn, {220, 208, 100, 28},
       &TCamerasForm::SyncClocksBtnClick},
      {"DownloadAllNewBtn", ComponentKind::kButton, text::kDownloadAllNewBtn, {326, 208, 136, 28},
       &TCamerasForm::DownloadAllNewBtnClick},
      {"ControlBtn", ComponentKind::kButton, text::kControlBtn, {482, 208, 150, 28},
       &TCamerasForm::ControlBtnClick},
      {"CamerasStatus", ComponentKind::kStatusBar, "", {}, nullptr},
  };
  AddPlaced(model_, form, places, this);
  Component& list = model_["CameraList"];
  list.columns.assign(std::begin(kRigColumns), std::end(kRigColumns));
  list.column_widths = {64, 104, 150, 64, 72, 76, 76};
  list.accessible_name = text::kListName;
  list.OnActivate = [this] { ControlBtnClick(); };
  model_["CamerasStatus"].accessible_name = text::kStatusName;
}

void TCamerasForm::SetStatus(const std::string& status) {
  model_["CamerasStatus"].SetCaption(status);
}

std::vector<std::string> TCamerasForm::Interfaces() const {
  std::vector<std::string> names;
  for (const Row& row : rows_) names.push_back(row.camera.interface_name);
  return names;
}

bool TCamerasForm::Busy() const {
  for (const Row& row : rows_)
    if (row.link->Busy()) return true;
  return false;
}

void TCamerasForm::Open() {
  open_ = true;
  if (scanning_) return;
  scanning_ = true;
  SetStatus(text::kLooking);
  if (scan_thread_.joinable()) scan_thread_.join();  // the previous scan, long finished
  EventLoop& loop = main_.Env().loop;
  scan_thread_ = std::thread([this, &loop, find = scan, alive = alive_] {
    RigScan found = find();
    loop.Post([this, alive, found = std::move(found)] {
      if (*alive) model_.Dispatch([&] { ScanDone(found); });
    });
  });
}

void TCamerasForm::Close() {
  open_ = false;
  poll_timer_->SetEnabled(false);
}

void TCamerasForm::ScanDone(const RigScan& found) {
  scanning_ = false;
  // A camera already shown keeps its link (and a download under way on it) when its adapter
  // and password are the same; one whose adapter is gone goes.
  std::map<std::string, Row> kept;
  for (Row& row : rows_) kept.emplace(row.camera.interface_name, std::move(row));
  rows_.clear();
  for (const RigCamera& camera : found.cameras) {
    auto it = kept.find(camera.interface_name);
    if (it != kept.end() && it->second.camera.password == camera.password) {
      rows_.push_back(std::move(it->second));
      continue;
    }
    LinkOptions options(main_.camera_address, camera.password);
    options.interface_name = camera.interface_name;
    rows_.push_back({camera, std::make_unique<CameraLink>(main_.Env().loop, options)});
  }
  ShowRows();
  if (!found.error.empty()) {
    SetStatus(found.error);
  } else if (rows_.empty()) {
    SetStatus(text::kNoCamera + main_.camera_address);
  } else {
    SetStatus(rows_.size() == 1 ? std::string(text::kFoundOne)
                                : std::to_string(rows_.size()) + text::kFoundMany);
  }
  if (!open_) return;  // closed while looking
  Poll();
  poll_timer_->SetEnabled(true);
}

void TCamerasForm::ShowRows() {
  std::vector<std::string> lines;
  for (const Row& row : rows_) lines.push_back(row.camera.interface_name + "\t" + text::kReading);
  model_["CameraList"].SetLines(std::move(lines));
  model_["CameraList"].SetSelection({});
}

void TCamerasForm::Poll() {
  std::vector<CameraLink*> links;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    CameraLink& link = *rows_[i].link;
    // A camera still answering the last reading (or a command) is not asked again.
    if (link.Busy()) continue;
    link.Hold();
    link.ReadStatus([this, i, &link](const LinkError& error, const CameraSnapshot& s) {
      model_.Dispatch([&] {
        if (i >= rows_.size() || rows_[i].link.get() != &link) return;
        model_["CameraList"].SetLine(
            i, RigRowText(rows_[i].camera.interface_name, error, error.ok() ? &s : nullptr));
      });
    });
    links.push_back(&link);
  }
  FireTogether(links);
}

void TCamerasForm::ControlBtnClick() {
  const std::vector<int>& selected = model_["CameraList"].Selection();
  if (selected.empty() || static_cast<std::size_t>(selected.front()) >= rows_.size()) {
    SetStatus(text::kSelectFirst);
    return;
  }
  const RigCamera& camera = rows_[static_cast<std::size_t>(selected.front())].camera;
  // Only a password of its own replaces the saved one, so that a later change of the saved one
  // under Options > Password still holds for this camera.
  std::optional<std::string> password;
  if (camera.password != main_.camera_password) password = camera.password;
  main_.BindToCamera(camera.interface_name, password);
  SetStatus(text::kControls + camera.interface_name);
  model_["Cameras"].SetCaption(text::kCaptionChosen + camera.interface_name);
  main_.PingBtnClick();
}

void TCamerasForm::FormKeyEscape() {
  if (OnCloseRequest) OnCloseRequest();
}

}  // namespace kivo
