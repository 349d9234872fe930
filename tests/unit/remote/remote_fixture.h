// A headless main window talking to the simulated camera on 127.0.0.1 (free ports) over real
// sockets, with real timers on a poll loop. The poll is driven by hand so tests need not wait
// for the 5 s period; reachability is set directly (pings belong to the namespace tests).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "camsim_harness.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"

namespace kivo {

class RemoteFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = camsim::testing::MakeTempDir() + "/";
    form_ = std::make_unique<TForm1>(
        FormEnvironment{loop_, SystemClock::Instance(), dialogs_, shell_, dir_, "/usr/bin/vlc"});
    form_->Model().OnException = [this](const std::string& text) { errors_.push_back(text); };
    form_->FormCreate();
    form_->BacPacStatusTimer->SetEnabled(false);
    form_->ClockTimer->SetEnabled(false);
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(dir_);
  }

  // Points the window at |sim| and lets the poll through.
  void Attach(camsim::testing::Camsim& sim) {
    ASSERT_TRUE(sim.ok());
    form_->camera_address = sim.camera();
    form_->CameraReachable = true;
  }
  // One poll as the timer would run it, then the loop until both status clients are idle.
  void Poll() {
    form_->Model().Dispatch([this] { form_->BacPacStatusBtnClick(); });
    Settle();
  }
  void Settle(int timeout_ms = 3000) {
    loop_.RunUntil(
        [this] {
          return form_->HttpCli1->State() == THttpState::Ready &&
                 form_->HttpCli2->State() == THttpState::Ready &&
                 form_->HttpCli3->State() == THttpState::Ready;
        },
        timeout_ms);
    loop_.RunFor(50);  // the posted request-done events
  }
  // Request-log targets the simulator saw on its command port, in order.
  std::vector<std::string> Targets(camsim::testing::Camsim& sim) {
    std::vector<std::string> out;
    for (const auto& line : camsim::testing::Lines(camsim::testing::ReadFile(sim.log_path()))) {
      // "MS PORT METHOD TARGET"
      size_t a = line.find(' '), b = line.find(' ', a + 1), c = line.find(' ', b + 1);
      if (c == std::string::npos) continue;
      out.push_back(line.substr(c + 1));
    }
    return out;
  }
  Component& operator[](const char* name) { return (*form_)[name]; }

  std::string dir_;
  PollEventLoop loop_;
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::unique_ptr<TForm1> form_;
  std::vector<std::string> errors_;
};

}  // namespace kivo
