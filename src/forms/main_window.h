// TForm1: the main window's logic — settings, menus, buttons, timers and the camera handlers —
// on a plain component model that a renderer (Qt, or none in tests) mirrors. Loop thread only;
// every handler runs there, timer ticks included, through the model's Dispatch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "kivo_version.h"
#include "camera/camera_state.h"
#include "camera/settings_keys.h"
#include "camera/status_actions.h"
#include "net/http_cli.h"
#include "net/ping.h"
#include "net/request_pool.h"
#include "net/super_timer.h"
#include "platform/background_writer.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/network_list.h"
#include "platform/shell.h"
#include "ui/component.h"

namespace kivo {

struct FormEnvironment {
  EventLoop& loop;
  Clock& clock;
  Dialogs& dialogs;
  Shell& shell;
  std::string program_dir;     // where "Kivo.ini" and the logs live, with a trailing "/"
  std::string default_player;  // player path when the settings name none
  // Where "Kivo.ini" is read from when program_dir holds none yet ("" for nowhere else): the
  // executable's folder, when program_dir is the per-user fallback for an unwritable one.
  std::string settings_source_dir = {};
  // Where "ErrorLog.txt" and "netlog.txt" go, and where the request pool's temporary files and
  // the Wi-Fi query files go; "" for program_dir.
  std::string log_dir = {};
  std::string work_dir = {};
  // Looks up a camera address given as a name, for the status clients and the ping; none: the
  // system's.
  HostResolver name_lookup = {};

  const std::string& LogDir() const { return log_dir.empty() ? program_dir : log_dir; }
  const std::string& WorkDir() const { return work_dir.empty() ? program_dir : work_dir; }
};

// Status bar line when a helper program (browser opener, player, network list) cannot be started;
// the program's name follows.
inline constexpr const char* kCannotStartText = "Could not start ";

class TForm1 : public StatusActions {
 public:
  explicit TForm1(FormEnvironment env);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  ComponentModel& Model() { return model_; }
  Component& operator[](std::string_view name) { return model_.Get(name); }

  // Window events, in the order a run sees them.
  void FormCreate();
  // Places the window in the middle of a screen of the given size (the designed placement is
  // screen-centred, so the stored Top and Left give way to it), then runs the first-show steps.
  void FormShow(int screen_width, int screen_height) { FormShow(0, 0, screen_width, screen_height); }
  // The same on the screen's available area, which need not start at 0,0 (a panel on the left or
  // top). The stored size is first kept between the minimum size and the area.
  void FormShow(int screen_left, int screen_top, int screen_width, int screen_height);
  void FormClose();
  // Gathers the settings and hands them to the settings writer; returns before they are on disk.
  void SaveSettings();
  // One value of the settings file, as text.
  struct SettingsValue {
    std::string section;
    std::string key;
    std::string value;
  };
  // Writes |values| into the settings file on the settings writer's thread, after every save
  // asked for before; the rest of the file stays as it is. A failure is reported once, through
  // the model's Dispatch (an error box).
  void SaveSettingsValues(std::vector<SettingsValue> values);
  // Waits until every save asked for is on disk; a failure not reported yet is reported now.
  void FinishSaves();

  // Exit asks whoever shows the window to close it; closing runs FormClose.
  std::function<void()> OnCloseRequest;

  // Handlers of the File, Options and Help menus.
  void Exit1Click();
  void IPAddress1Click();
  void Password1Click();
  void Options1Click();
  void Help2Click();
  void About1Click();
  void OneButtonModeClick();

  // Command channel.
  void SendCommand(const std::string& path, const std::string& parameter) override;
  void HttpCli3DocData(THttpCli& sender, const char* buffer, int len);
  void TimeOut3Stop();
  void ShowRequestResult(const std::string& url, const std::string& file_name,
                         std::uint16_t error);
  // Every component of the command table: sends its command (nothing when its state says so).
  void CommandClick(const std::string& component);
  void SSID1Click();
  void Greaterthan60seconds1Click();

  // BacPac status poll.
  void BacPacStatusBtnClick();
  void HttpCli1DocData(THttpCli& sender, const char* buffer, int len);
  void HttpCli1RequestDone(THttpCli& sender, THttpRequest request, std::uint16_t error);
  void HttpCli1SocketError(THttpCli& sender);
  void TimeOut1Stop();

  // Camera status.
  void CameraStatusBtnClick();
  void HttpCli2DocData(THttpCli& sender, const char* buffer, int len);
  void HttpCli2RequestDone(THttpCli& sender, THttpRequest request, std::uint16_t error);
  void TimeOut2Stop();

  // Reachability.
  void PingBtnClick();
  void PingEchoReply(TPing& sender, TICMP& icmp, int status);
  void PingDisplay(const std::string& message);

  // Camera clock: read when the camera status first reports the stream on; shown every second;
  // set to local time, UTC or a typed date (forms/camera_clock.cpp).
  void GetTimeBtnClick();
  void GetTimeDone(const std::string& url, const std::string& file_name, std::uint16_t error);
  void ClockTimerTimer();
  void LocalTime1Click();
  void UTC1Click();
  void SetDate1Click();

  // Live preview through the external player (forms/preview.cpp).
  void VLCBtnClick();
  void PreviewRetryStop();
  void StreamTestDone(const std::string& url, const std::string& file_name, std::uint16_t error);
  void PathtoVLC1Click();
  void StreamBtnClick();

  // Background requests through the pool (Net). A completion is a handler of this window; it
  // runs through the model's Dispatch, so an exception in it reaches the error box. Both return
  // true when the request was not started (also when no pool is attached).
  using PoolCompletion = void (TForm1::*)(const std::string& url, const std::string& file_name,
                                          std::uint16_t error);
  bool PoolGet(const std::string& url, PoolCompletion done);
  bool PoolHead(const std::string& url, PoolCompletion done);

  // SD Card > Browse and Download: asks whoever shows the Browse window to open it.
  void BrowseDownload1Click();
  std::function<void()> OnBrowseDownload;
  // Options > Cameras...: asks whoever shows the Cameras window (forms/cameras_window.h) to open it.
  void Cameras1Click();
  std::function<void()> OnCameras;

  // With a rig of cameras, each behind its own adapter: every request of this window (status,
  // commands, the echo, the pool's requests, photo downloads, Browse) goes out through
  // |interface_name| from now on, with |password| instead of the saved one when the camera has
  // a password of its own (nullopt: the saved one). The camera's state read so far belongs to
  // the previous camera: the clock is read again. "" undoes it. Nothing is saved.
  void BindToCamera(const std::string& interface_name, std::optional<std::string> password);
  const std::string& BoundInterface() const { return bound_interface_; }
  // The password the requests carry: the chosen camera's own, or the saved one.
  const std::string& PasswordInUse() const {
    return bound_password_ ? *bound_password_ : camera_password;
  }
  // Where Browse and the Cameras window download to: the chosen folder, or the pictures
  // folder + "Kivo".
  std::string DownloadFolder() const;

  // Wi-Fi: the system's list of available networks.
  void ViewWiFiConnections1Click();
  void AutoVANClick();
  // The poll's "Auto-View when not connected", while the camera does not answer. Where the list
  // reopens in place it is opened on every poll; elsewhere once per absence of the camera (the
  // first from start-up, each later one only after the camera was reached and lost again), and
  // not at all while a list is still open. The status bar is left as the poll set it.
  void AutoViewNetworkList();
  // What the Auto-View asks of the platform (platform/network_list.h); tests replace them.
  bool network_list_reopens_in_place = NetworkListReopensInPlace();
  std::function<bool()> network_list_showing = NetworkListShowing;
  // Wi-Fi monitor: the current network's name and signal in the caption, every 16 s or so.
  void GetSSID();
  void GetSSIDTimerTimer();
  void ShowWiFiConnClick();

  // SD card: the camera's web server in the browser, and the newest photo downloaded.
  void View1Click();
  void DownloadBtnClick();
  void DownloadListingDone(const std::string& url, const std::string& file_name,
                           std::uint16_t error);
  void DownloadPhotoDone(const std::string& url, const std::string& file_name,
                         std::uint16_t error);

  // Error log (status bar, "ErrorLog.txt", then a report to the maker's service).
  void LogError(const std::string& message) override;
  void ReportDone(const std::string& url, const std::string& file_name, std::uint16_t error);
  void ReportBugsClick();

  // Version check at the first showing.
  void CheckVersion();
  void VersionReply(const std::string& url, const std::string& file_name, std::uint16_t error);

  // What the status decoders ask of the window.
  void CameraStatusRequest() override { CameraStatusBtnClick(); }
  void ReadCameraClock() override { GetTimeBtnClick(); }
  void StopBacPacPoll() override { BacPacStatusTimer->SetEnabled(false); }
  void ShowMessage(const std::string& text) override;

  // State shared with the camera handlers.
  std::string camera_address;
  std::string camera_password;
  std::string player_path;
  std::string download_folder;  // empty: the user's pictures folder + "/Kivo"
  bool Debug = false;
  int LastReplyLength = 0;
  bool ServiceReplied = false;
  bool CameraReachable = false;
  bool reports_enabled = true;
  double ClockOffset = 0;
  CameraState camera;
  // The Wi-Fi network's name as last read; emptied at every query and reading tick.
  std::string network_name;
  // The photo the latest download chose and the listing line with its date.
  std::string download_photo_name;
  std::string download_date_line;

  // Timers, named as the window's design names them.
  std::unique_ptr<TSuperTimer> BacPacStatusTimer;
  std::unique_ptr<TSuperTimer> TimeOut1;
  std::unique_ptr<TSuperTimer> TimeOut2;
  std::unique_ptr<TSuperTimer> TimeOut3;
  std::unique_ptr<TSuperTimer> PreviewRetry;
  std::unique_ptr<TSuperTimer> ClockTimer;
  std::unique_ptr<TSuperTimer> GetSSIDTimer;

  // HTTP clients: BacPac status, camera status, commands; and the camera ping.
  std::unique_ptr<THttpCli> HttpCli1;
  std::unique_ptr<THttpCli> HttpCli2;
  std::unique_ptr<THttpCli> HttpCli3;
  std::unique_ptr<TPing> Ping;
  // The request pool, owned by the network status window; attached after both windows exist.
  RequestPool* Net = nullptr;

  std::string SettingsPath() const { return env_.program_dir + kSettingsFileName; }
  // The settings file to read: SettingsPath(), or, while the program folder has none yet, the
  // copy beside the program (FormEnvironment::settings_source_dir). Every window reads this one.
  std::string SettingsReadPath() const;
  // SettingsPath(), for a save. The first save into a program folder without a settings file
  // starts from a copy of the one read, so rows that this save does not write (another window's)
  // are not lost.
  std::string SettingsPathForSave() const;
  FormEnvironment& Env() { return env_; }
  // The status bar's one line (the latest outcome).
  std::string StatusText();
  void SetStatusText(const std::string& text);

 private:
  void BuildComponents();
  void WireHandlers();
  std::unique_ptr<TSuperTimer> MakeTimer(std::uint16_t interval, bool count_down);
  void BuildNetwork();
  void LoadSettings();
  // The status bar says, once per run, that the settings file is read-only.
  void SayIfSettingsReadOnly();
  // The status bar line is cleared unless it reports a connection ("Connected" anywhere).
  void ClearStatusUnlessConnected();
  // Opens |url| in the browser; when the opener cannot be started the status bar says so.
  void OpenPage(const std::string& url);
  void AfterAddressOrPasswordDialog(bool ping);
  // Sends one echo to the camera address (the reply arrives through PingEchoReply).
  void PingCamera();
  // The status bar says the camera's address cannot be resolved (the ping's remark).
  bool UnresolvedAddressShown();
  // Starts the first installed network-list tool. Returns "" when one started, else the line
  // that names what could not be started.
  std::string StartNetworkList();
  // A failed request to the media server (clock, listing, photo): to the error log or the
  // status bar, by its error.
  void ReportMediaServerError(std::uint16_t error);
  // Sends a 17-character clock text as camera/TM; false (nothing sent) for another length.
  bool SendClockText(const std::string& text);

  FormEnvironment env_;
  ComponentModel model_;
  std::uint8_t command_reply_[32] = {};
  std::set<std::string> reported_messages_;  // problem reports sent this run
  bool auto_view_armed_ = true;  // this absence of the camera has not opened the list yet
  bool settings_read_only_said_ = false;
  std::string bound_interface_;
  std::optional<std::string> bound_password_;
  // Saves of the settings file, off the window's thread. Last: destroyed first, waiting for the
  // saves still under way while everything they report to still exists.
  std::unique_ptr<BackgroundWriter> settings_writer_;
};

}  // namespace kivo
