#include "forms/main_window.h"

#include <algorithm>
#include <filesystem>

#include "ui/control_table.h"
#include "ui/main_components.h"
#include "ui/menu_table.h"
#include "media/web_site.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr Rgb kGreen{0x00, 0x80, 0x00};

// Shown only in diagnostics mode, which this program never switches on.
constexpr const char* kDiagnosticControls[] = {
    "StreamBtn",      "StreamStopBtn",   "ListBox1", "CameraStatusBtn", "BacPacStatusBtn",
    "Bac",            "Cam",             "CameraStatusL", "CommandL",   "GoProReady",
    "PingBtn",        "DownloadBtn",     "GetTimeBtn"};

constexpr const char* kAboutPrefix = "     Kivo version ";
constexpr const char* kOneButtonModeText =
    "One Button Mode is not available when WiFi is enabled.";

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(PathFromUtf8(path), error);
}

}  // namespace

TForm1::TForm1(FormEnvironment env) : env_(std::move(env)) {
  BuildComponents();
  BacPacStatusTimer = MakeTimer(5000, false);
  TimeOut1 = MakeTimer(1000, true);
  TimeOut2 = MakeTimer(2000, true);
  TimeOut3 = MakeTimer(2000, true);
  PreviewRetry = MakeTimer(2500, true);
  ClockTimer = MakeTimer(1000, false);
  GetSSIDTimer = MakeTimer(500, false);
  BuildNetwork();
  WireHandlers();
}

TForm1::~TForm1() {
  // Stop every timer before the components their handlers touch go away.
  for (auto* timer : {&BacPacStatusTimer, &TimeOut1, &TimeOut2, &TimeOut3, &PreviewRetry,
                      &ClockTimer, &GetSSIDTimer})
    timer->reset();
  for (auto* client : {&HttpCli1, &HttpCli2, &HttpCli3}) client->reset();
}

std::unique_ptr<TSuperTimer> TForm1::MakeTimer(std::uint16_t interval, bool count_down) {
  auto timer = std::make_unique<TSuperTimer>(env_.loop);
  timer->SetInterval(interval);
  timer->SetCountDown(count_down);
  return timer;
}

void TForm1::BuildComponents() { BuildMainComponents(model_); }

void TForm1::FormCreate() {
  Debug = false;
  LoadSettings();
  if (model_["ShowWiFiConn"].Checked()) GetSSID();
  model_["Mode1"].SetEnabled(false);
  model_["Settings1"].SetEnabled(false);
  model_["SDCard"].SetEnabled(false);
  model_["OnBtn"].SetCaption("ON");
  model_["OnBtn"].SetFontColor(kGreen);
  model_["RecordBtn"].SetEnabled(false);
  LastReplyLength = 0;
  ServiceReplied = false;
  ClockOffset = 0;
  camera.ClockKnown = false;
  model_["Delta"].SetCaption("");
  model_["BacPacBat"].SetCaption("");
  if (!Debug)
    for (const char* name : kDiagnosticControls) model_[name].SetVisible(false);
  reports_enabled = true;
  CameraReachable = false;
  // The periodic timers run from creation on, as the window's design has them enabled.
  BacPacStatusTimer->SetEnabled(true);
  ClockTimer->SetEnabled(true);
}

void TForm1::FormShow(int screen_left, int screen_top, int screen_width, int screen_height) {
  Component& form = model_["Form1"];
  Bounds b = form.GetBounds();
  // A stored size out of range (negative, or larger than the screen) would give an invisible or
  // off-screen window, and would be saved back as it is.
  auto keep_within = [](int value, int least, int most) {
    return std::max(std::min(least, most), std::min(value, most));
  };
  b.width = keep_within(b.width, kMinimumWidth, screen_width);
  b.height = keep_within(b.height, kMinimumHeight, screen_height);
  b.left = screen_left + (screen_width - b.width) / 2;
  b.top = screen_top + (screen_height - b.height) / 2;
  form.SetBounds(b);
  PingCamera();
  if (!ServiceReplied) CheckVersion();
}

// The program ends after this: the save is on disk (or its failure reported) when it returns.
void TForm1::FormClose() {
  SaveSettings();
  FinishSaves();
}

void TForm1::Exit1Click() {
  if (OnCloseRequest) {
    OnCloseRequest();
  } else {
    FormClose();
  }
}

void TForm1::AfterAddressOrPasswordDialog(bool ping) {
  LastReplyLength = 0;
  // The poll stops itself when the camera refuses the password; a new address or password is
  // the user's way of starting it again.
  BacPacStatusTimer->SetEnabled(true);
  SaveSettings();
  if (ping) PingCamera();
}

void TForm1::IPAddress1Click() {
  if (auto text = env_.dialogs.InputQuery("Set BacPac IP Address", "IP:", camera_address))
    camera_address = *text;
  AfterAddressOrPasswordDialog(true);
}

void TForm1::Password1Click() {
  if (auto text = env_.dialogs.InputQuery("Set BacPac Password", "Password:", camera_password))
    camera_password = *text;
  AfterAddressOrPasswordDialog(false);
}

void TForm1::Options1Click() { model_["PathtoVLC1"].SetChecked(FileExists(player_path)); }

void TForm1::OpenPage(const std::string& url) {
  if (!env_.shell.OpenUrl(url)) SetStatusText(kCannotStartText + env_.shell.UrlOpener());
}

void TForm1::Help2Click() { OpenPage(ProductPageUrl()); }

void TForm1::About1Click() {
  env_.dialogs.MessageBox(kAboutPrefix + std::string(kProgramVersion), MsgType::kInformation,
                          MsgButtons::kOk);
}

void TForm1::OneButtonModeClick() {
  env_.dialogs.MessageBox(kOneButtonModeText, MsgType::kInformation, MsgButtons::kOk);
}


}  // namespace kivo
