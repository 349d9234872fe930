// A main window with no renderer on a fresh program folder, a stand-in request pool that
// records each request and lets the test answer it with a file, and a scripted shell. Ticks
// and completions are driven by hand through the model's Dispatch, as the loop would.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "net/request_pool.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"

namespace kivo {

class RecordingPool : public RequestPool {
 public:
  struct Request {
    std::string url;
    RequestCallback done;
  };
  bool GetURL(const std::string& url, RequestCallback callback) override {
    requests.push_back({url, std::move(callback)});
    return false;
  }
  bool GetHead(const std::string& url, RequestCallback callback) override {
    return GetURL(url, std::move(callback));
  }
  std::vector<Request> requests;
};

class MediaFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // create_directory is exclusive: a name another process took is simply skipped.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
      const auto candidate = base / ("kivo-media-" + std::to_string(random() % 1000000000));
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
        FormEnvironment{loop_, clock_, dialogs_, shell_, dir_, "/usr/bin/vlc"});
    form_->Model().OnException = [this](const std::string& text) { errors_.push_back(text); };
    form_->FormCreate();
    form_->BacPacStatusTimer->SetEnabled(false);
    form_->ClockTimer->SetEnabled(false);
    form_->Net = &pool_;
    return *form_;
  }
  // Answers request |index| with a file in the program folder holding |body| (none when null).
  void Answer(std::size_t index, const char* name, const std::string* body,
              std::uint16_t error = 0) {
    ASSERT_LT(index, pool_.requests.size());
    const std::string path = dir_ + name;
    if (body) std::ofstream(path, std::ios::binary) << *body;
    pool_.requests[index].done(pool_.requests[index].url, path, error);
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir_ + name); }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& shown : dialogs_.shown) texts.push_back(shown.text);
    return texts;
  }
  std::string Status() { return (*form_)["StatusBar"].Caption(); }
  void Tick() { form_->Model().Dispatch([this] { form_->GetSSIDTimerTimer(); }); }

  std::string dir_;
  PollEventLoop loop_;
  FakeClock clock_{41334.5};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  RecordingPool pool_;
  std::unique_ptr<TForm1> form_;
  std::vector<std::string> errors_;
};

}  // namespace kivo
