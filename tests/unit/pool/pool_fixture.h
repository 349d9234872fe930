// A headless main window with the real request pool on a poll loop and a fixed clock; requests
// go to a scripted server on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "net/script_server.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "platform/temp_dir.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace kivo {

class PoolTest : public ::testing::Test {
 protected:
  struct Done {
    std::string url;
    std::string file;
    std::uint16_t error;
  };

  void SetUp() override { Make(dir_.Path()); }
  // |source_dir|: where the settings are read while |program_dir| has none (a fallback folder).
  void Make(const std::string& program_dir, const std::string& source_dir = "") {
    net_.reset();
    form_ = std::make_unique<TForm1>(
        FormEnvironment{loop_, clock_, dialogs_, shell_, program_dir, "/usr/bin/vlc", source_dir});
    form_->Model().OnException = [this](const std::string& text) { errors_.push_back(text); };
    form_->FormCreate();
    form_->BacPacStatusTimer->SetEnabled(false);
    form_->ClockTimer->SetEnabled(false);
    net_ = std::make_unique<Tnet>(*form_);
    net_->TimeOutAbort->OnTimer = nullptr;  // the tests run the check themselves
  }
  void TearDown() override {
    net_.reset();
    form_.reset();
  }

  RequestCallback Record() {
    return [this](const std::string& url, const std::string& file, std::uint16_t error) {
      done_.push_back({url, file, error});
    };
  }
  bool Get(const std::string& url) { return net_->GetURL(url, Record()); }
  bool Head(const std::string& url) { return net_->GetHead(url, Record()); }
  void WaitDone(std::size_t count, int timeout_ms = 5000) {
    loop_.RunUntil([&] { return done_.size() >= count; }, timeout_ms);
    loop_.RunFor(20);
  }
  std::vector<std::string> Log() { return (*net_)["status"].Lines(); }
  bool LogHas(const std::string& text) {
    for (const auto& line : Log())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }

  testing::TempDir dir_;
  PollEventLoop loop_;
  FakeClock clock_{EncodeDateTime(2026, 12, 8, 10, 0, 0)};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<Tnet> net_;
  std::vector<Done> done_;
  std::vector<std::string> errors_;
};

inline std::string Reply(const std::string& body, const std::string& extra = "") {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra +
         "\r\n" + body;
}

}  // namespace kivo
