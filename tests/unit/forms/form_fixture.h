// A main window with no renderer: poll loop, fixed clock, scripted dialogs and shell, and a
// fresh program folder per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"

namespace kivo {

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // create_directory is exclusive: a name another process took is simply skipped.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      const auto candidate = base / ("kivo-form-" + std::to_string(random() % 1000000000));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error))
        dir_ = candidate.generic_string() + "/";
    }
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(dir_);
  }

  TForm1& Create() {
    form_ = std::make_unique<TForm1>(
        FormEnvironment{loop_, clock_, dialogs_, shell_, dir_, "/usr/bin/vlc", "", "", "",
                        name_lookup_});
    form_->Model().OnException = [this](const std::string& text) { errors_.push_back(text); };
    form_->FormCreate();
    return *form_;
  }
  // Closes the window the way the user does and starts a new one on the same folder.
  TForm1& Restart() {
    form_->FormClose();
    form_.reset();
    return Create();
  }

  void WriteIni(const std::string& text) { std::ofstream(dir_ + "Kivo.ini") << text; }
  std::string ReadIni() {
    std::ifstream in(dir_ + "Kivo.ini");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string dir_;
  PollEventLoop loop_;
  FakeClock clock_{41334.5};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  HostResolver name_lookup_;  // the window's name lookups; none: the system's
  std::unique_ptr<TForm1> form_;
  std::vector<std::string> errors_;
};

}  // namespace kivo
