// TCamerasForm: the "Cameras" window of a rig, one Wi-Fi adapter per camera. A row per
// interface that leads into the camera network (model, mode, battery, recording time, photos
// and videos left), each camera read through its own CameraLink bound to its adapter, all of
// them together every five seconds while the window is open; Record All, Stop All, Sync Clocks
// and Download All New to every camera in one pass; and the choice of the camera the main
// window controls. Made when first opened. Loop thread only: the links' completions, the poll
// timer's ticks and the scan's result arrive there through the model's Dispatch.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/camera_link.h"
#include "link/rig_rows.h"
#include "net/super_timer.h"
#include "ui/component.h"

namespace kivo {

class TForm1;

class TCamerasForm {
 public:
  static constexpr int kPollMs = 5000;  // as the main window's status poll

  explicit TCamerasForm(TForm1& main_window);
  ~TCamerasForm();
  TCamerasForm(const TCamerasForm&) = delete;
  TCamerasForm& operator=(const TCamerasForm&) = delete;

  // Form "Cameras"; file list "CameraList"; status bar "CamerasStatus".
  ComponentModel& Model() { return model_; }
  Component& operator[](std::string_view name) { return model_.Get(name); }

  // The window is being shown: looks for the cameras again (off the loop thread: naming a
  // network may take the system a moment), then reads them now and every five seconds.
  void Open();
  // The window was closed: the reading stops (commands and downloads under way finish).
  void Close();
  void RecordAllBtnClick();
  void StopAllBtnClick();
  void SyncClocksBtnClick();
  void DownloadAllNewBtnClick();
  // The selected row's camera becomes the main window's (also a double-click or Enter on it).
  void ControlBtnClick();
  void FormKeyEscape();
  std::function<void()> OnCloseRequest;

  // Where the cameras are looked for; tests hand in their own.
  std::function<RigScan()> scan;

  // What the rows are made of, for tests.
  std::vector<std::string> Interfaces() const;
  bool Polling() const { return poll_timer_->Enabled(); }
  // A reading or a command is still under way on some camera.
  bool Busy() const;
  bool Scanning() const { return scanning_; }

 private:
  struct Row {
    RigCamera camera;
    std::unique_ptr<CameraLink> link;
  };
  // The outcomes of one command to every camera, said once the last camera has answered.
  struct Batch {
    std::string action;
    std::vector<RigOutcome> outcomes;
    std::size_t pending = 0;
  };

  void BuildWindow();
  void ScanDone(const RigScan& found);
  void ShowRows();
  void Poll();
  // Sends one operation (|start|) to every camera: each link held, then all fired in one pass.
  using Start = std::function<void(CameraLink&, CameraLink::CommandDone)>;
  void ToEveryCamera(const std::string& action, const Start& start);
  void Finished(const std::shared_ptr<Batch>& batch, std::size_t row, RigOutcome outcome);
  void DownloadNew(const std::shared_ptr<Batch>& batch, std::size_t row, const CardListing& card);
  void SetStatus(const std::string& text);

  TForm1& main_;
  ComponentModel model_;
  std::vector<Row> rows_;
  std::unique_ptr<TSuperTimer> poll_timer_;
  bool open_ = false;
  bool scanning_ = false;
  std::thread scan_thread_;
  // Cleared on destruction, so that a scan's result posted before it is dropped.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kivo
