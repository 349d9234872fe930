// Which handler answers which event: menu items, buttons, timers and the HTTP clients. Every
// handler runs through the model's Dispatch, so an exception that escapes one is shown in an
// error box instead of ending the program.
#include <cstdio>

#include "camera/command_table.h"
#include "forms/main_window.h"

namespace kivo {

void TForm1::BuildNetwork() {
  auto make_client = [this] {
    auto client = std::make_unique<THttpCli>(env_.loop, env_.name_lookup);
    client->LocalAddr = "0.0.0.0";
    client->ProxyPort = "80";
    client->Agent = "Mozilla/3.0 (compatible)";
    client->Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    client->NoCache = true;
    client->ContentTypePost = "application/x-www-form-urlencoded";
    client->MultiThreaded = true;
    client->OnSocketError = [this](THttpCli& c) {
      model_.Dispatch([this, &c] { HttpCli1SocketError(c); });
    };
    return client;
  };
  using DocData = void (TForm1::*)(THttpCli&, const char*, int);
  auto doc_data = [this](DocData handler) {
    return [this, handler](THttpCli& c, const char* data, int len) {
      model_.Dispatch([&] { (this->*handler)(c, data, len); });
    };
  };
  HttpCli1 = make_client();
  HttpCli1->OnDocData = doc_data(&TForm1::HttpCli1DocData);
  HttpCli1->OnRequestDone = [this](THttpCli& c, THttpRequest r, std::uint16_t e) {
    model_.Dispatch([&] { HttpCli1RequestDone(c, r, e); });
  };
  HttpCli2 = make_client();
  HttpCli2->OnDocData = doc_data(&TForm1::HttpCli2DocData);
  HttpCli2->OnRequestDone = [this](THttpCli& c, THttpRequest r, std::uint16_t e) {
    model_.Dispatch([&] { HttpCli2RequestDone(c, r, e); });
  };
  HttpCli3 = make_client();
  HttpCli3->OnDocData = doc_data(&TForm1::HttpCli3DocData);

  Ping = std::make_unique<TPing>(env_.loop, EchoMethod::kAutomatic, env_.name_lookup);
  Ping->SetAddress(kAddressSetting.default_text);
  Ping->SetSize(56);
  Ping->SetTimeout(500);
  Ping->SetTTL(30);
  Ping->SetFlags(0);
  Ping->OnDisplay = [this](TPing&, TICMP&, const std::string& message) {
    model_.Dispatch([&] { PingDisplay(message); });
  };
  Ping->OnEchoReply = [this](TPing& p, TICMP& icmp, int status) {
    model_.Dispatch([&] { PingEchoReply(p, icmp, status); });
  };
}

bool TForm1::PoolGet(const std::string& url, PoolCompletion done) {
  if (!Net) return true;
  return Net->GetURL(url, [this, done](const std::string& u, const std::string& f, std::uint16_t e) {
    model_.Dispatch([&] { (this->*done)(u, f, e); });
  });
}

bool TForm1::PoolHead(const std::string& url, PoolCompletion done) {
  if (!Net) return true;
  return Net->GetHead(url, [this, done](const std::string& u, const std::string& f, std::uint16_t e) {
    model_.Dispatch([&] { (this->*done)(u, f, e); });
  });
}

void TForm1::WireHandlers() {
  auto on = [this](const char* name, void (TForm1::*handler)()) {
    model_.Get(name).OnClick = [this, handler] { (this->*handler)(); };
  };
  on("Exit1", &TForm1::Exit1Click);
  on("IPAddress1", &TForm1::IPAddress1Click);
  on("Password1", &TForm1::Password1Click);
  on("Options1", &TForm1::Options1Click);
  on("Help2", &TForm1::Help2Click);
  on("Checkfornewerversion1", &TForm1::Help2Click);
  on("About1", &TForm1::About1Click);
  on("OneButtonMode", &TForm1::OneButtonModeClick);
  on("Greaterthan60seconds1", &TForm1::Greaterthan60seconds1Click);
  on("ViewWiFiConnections1", &TForm1::ViewWiFiConnections1Click);
  on("AutoVAN", &TForm1::AutoVANClick);
  on("ShowWiFiConn", &TForm1::ShowWiFiConnClick);
  on("View1", &TForm1::View1Click);
  on("DownloadBtn", &TForm1::DownloadBtnClick);
  on("ReportBugs", &TForm1::ReportBugsClick);
  on("BrowseDownload1", &TForm1::BrowseDownload1Click);
  on("Cameras1", &TForm1::Cameras1Click);
  on("BacPacStatusBtn", &TForm1::BacPacStatusBtnClick);
  on("CameraStatusBtn", &TForm1::CameraStatusBtnClick);
  on("PingBtn", &TForm1::PingBtnClick);
  on("GetTimeBtn", &TForm1::GetTimeBtnClick);
  on("LocalTime1", &TForm1::LocalTime1Click);
  on("UTC1", &TForm1::UTC1Click);
  on("Custom1", &TForm1::SetDate1Click);
  on("VLCBtn", &TForm1::VLCBtnClick);
  on("PathtoVLC1", &TForm1::PathtoVLC1Click);
  on("StreamBtn", &TForm1::StreamBtnClick);
  for (const CommandRow& row : CommandTable()) {
    std::string name = row.component;
    // The status decode sets these marks from the camera's settings: a fixed parameter is one of
    // the exclusive choices of its command, an on/off parameter a setting of its own.
    Component& item = model_.Get(name);
    if (item.Kind() == ComponentKind::kMenuItem && row.step == WindowStep::kNone) {
      if (row.rule == ParamRule::kFixed) item.check_group = row.path;
      if (row.rule == ParamRule::kChecked) item.checkable = true;
    }
    if (row.step == WindowStep::kAskCameraName) {
      on(row.component, &TForm1::SSID1Click);
    } else {
      model_.Get(name).OnClick = [this, name] { CommandClick(name); };
    }
  }

  auto tick = [this](void (TForm1::*handler)()) {
    return [this, handler](TSuperTimer&) { model_.Dispatch([this, handler] { (this->*handler)(); }); };
  };
  BacPacStatusTimer->OnTimer = tick(&TForm1::BacPacStatusBtnClick);
  TimeOut1->OnStop = tick(&TForm1::TimeOut1Stop);
  TimeOut2->OnStop = tick(&TForm1::TimeOut2Stop);
  TimeOut3->OnStop = tick(&TForm1::TimeOut3Stop);
  GetSSIDTimer->OnTimer = tick(&TForm1::GetSSIDTimerTimer);
  ClockTimer->OnTimer = tick(&TForm1::ClockTimerTimer);
  PreviewRetry->OnStop = tick(&TForm1::PreviewRetryStop);
}

}  // namespace kivo
