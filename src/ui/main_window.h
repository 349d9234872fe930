// TForm1: the main window's logic — settings, menus, buttons, timers and the camera handlers —
// on a plain component model that a renderer (Qt, or none in tests) mirrors. Loop thread only;
// every handler runs there, timer ticks included, through the model's Dispatch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "camera/camera_state.h"
#include "net/super_timer.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
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
};

inline constexpr const char* kProgramVersion = "0.35";
inline constexpr const char* kSettingsFileName = "Kivo.ini";

class TForm1 {
 public:
  explicit TForm1(FormEnvironment env);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  ComponentModel& Model() { return model_; }
  Component& operator[](std::string_view name) { return model_.Get(name); }

  // Window events, in the order a run sees them.
  void FormCreate();
  // Places the window in the middle of a screen of the given size (the designed placement is
  // screen-centred, so the stored Top and Left give way to it), then runs the first-show steps.
  void FormShow(int screen_width, int screen_height);
  void FormClose();
  void SaveSettings();

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

  // State shared with the camera handlers.
  std::string camera_address;
  std::string camera_password;
  std::string player_path;
  bool Debug = false;
  int LastReplyLength = 0;
  bool ServiceReplied = false;
  bool CameraReachable = false;
  bool reports_enabled = true;
  double ClockOffset = 0;
  CameraState camera;

  // Timers, named as the window's design names them.
  std::unique_ptr<TSuperTimer> BacPacStatusTimer;
  std::unique_ptr<TSuperTimer> TimeOut1;
  std::unique_ptr<TSuperTimer> TimeOut2;
  std::unique_ptr<TSuperTimer> TimeOut3;
  std::unique_ptr<TSuperTimer> PreviewRetry;
  std::unique_ptr<TSuperTimer> ClockTimer;
  std::unique_ptr<TSuperTimer> GetSSIDTimer;

  std::string SettingsPath() const { return env_.program_dir + kSettingsFileName; }
  FormEnvironment& Env() { return env_; }

 private:
  void BuildComponents();
  void WireHandlers();
  std::unique_ptr<TSuperTimer> MakeTimer(std::uint16_t interval, bool count_down,
                                         std::function<void()> on_timer,
                                         std::function<void()> on_stop);
  void LoadSettings();
  void AfterAddressOrPasswordDialog(bool ping);
  // Sends one echo to the camera address (the reply arrives through PingEchoReply).
  void PingCamera();

  FormEnvironment env_;
  ComponentModel model_;
};

}  // namespace kivo
