// A user with a camera whose clock is 90 s behind: the window reads the difference once the
// preview stream is on, Local Time sets it right, and Preview starts the player (a stand-in
// script that writes down its arguments) on the camera's live stream.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "camera/clock_text.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "ui/headless_renderer.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace kivo {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Request-log targets ("MS PORT METHOD TARGET") that start with |prefix|.
std::vector<std::string> Logged(const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : ReadLines(Env("KIVO_CAMSIM_LOG"))) {
    size_t a = line.find(' '), b = line.find(' ', a + 1), c = line.find(' ', b + 1);
    if (c != std::string::npos && line.compare(c + 1, prefix.size(), prefix) == 0)
      out.push_back(line.substr(c + 1));
  }
  return out;
}

class ClockPreviewSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("KIVO_E2E_NETNS") != "1") GTEST_SKIP() << "runs only inside tests/e2e/netns_run.sh";
    char pattern[] = "/tmp/kivo-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
    form_ = std::make_unique<TForm1>(
        FormEnvironment{loop_, SystemClock::Instance(), dialogs_, shell_, dir_, "/usr/bin/vlc"});
    form_->Model().OnException = [this](const std::string& e) { errors_.push_back(e); };
    view_ = std::make_unique<HeadlessRenderer>(form_->Model());
  }
  void TearDown() override {
    net_.reset();
    view_.reset();
    form_.reset();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  bool WaitFor(const std::function<bool()>& done, int seconds, const char* what) {
    bool ok = loop_.RunUntil(done, seconds * 1000);
    EXPECT_TRUE(ok) << "waited " << seconds << " s for: " << what << " (status bar: \""
                    << (*form_)["StatusBar"].Caption() << "\")";
    return ok;
  }
  void Click(const char* name) {
    WaitFor([this] { return form_->HttpCli3->State() == THttpState::Ready; }, 3,
            "command channel free");
    EXPECT_TRUE(view_->UserClick(name)) << name << " cannot be clicked";
  }

  std::string dir_;
  PollEventLoop loop_;
  ScriptedDialogs dialogs_;
  SystemShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<Tnet> net_;
  std::unique_ptr<HeadlessRenderer> view_;
  std::vector<std::string> errors_;
};

TEST_F(ClockPreviewSession, DifferenceShownSetToLocalTimeAndPreviewStartsThePlayer) {
  TForm1& f = *form_;
  // The stand-in player writes its arguments one per line.
  const std::string player = dir_ + "player";
  const std::string argv_file = dir_ + "argv.txt";
  std::ofstream(player) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > " << argv_file << ".part && mv "
                        << argv_file << ".part " << argv_file << "\n";
  ASSERT_EQ(chmod(player.c_str(), 0755), 0);

  f.FormCreate();
  f.player_path = player;
  net_ = std::make_unique<Tnet>(f);
  f.FormShow(1280, 1024);
  EXPECT_EQ(f["CamTime"].Caption(), "Camera Time");

  // The first status switches the stream on; the next one, with the stream on, reads the clock.
  ASSERT_TRUE(WaitFor([] { return !Logged("/camera/PV?t=cameralnk&p=%02").empty(); }, 8, "PV 02"));
  ASSERT_TRUE(WaitFor([&] { return f["StreamingEnabled"].Checked(); }, 8, "stream on"));
  ASSERT_TRUE(WaitFor([&] { return f.camera.ClockKnown; }, 3, "camera clock read"));
  ASSERT_TRUE(WaitFor([&] { return f["Delta"].Caption() != ""; }, 3, "clock tick"));
  // The Date header carries whole seconds: the moment between the camera stamping it and the
  // program reading it can, rarely, tip the difference into the next second.
  EXPECT_THAT(f["Delta"].Caption(), ::testing::AnyOf("- 00:01:30", "- 00:01:31"));
  const DateTime now = SystemClock::Instance().Now();
  EXPECT_EQ(f["CamDate"].Caption(), FormatDateTime("mmm d yyyy", now + f.ClockOffset));

  // Local Time: sent as the computer's time; the difference is gone at the next tick.
  Click("LocalTime1");
  ASSERT_TRUE(WaitFor([] { return !Logged("/camera/TM?").empty(); }, 3, "TM sent"));
  EXPECT_EQ(f.ClockOffset, 0);
  ASSERT_TRUE(WaitFor([&] { return f["Delta"].Caption() == "00:00:00"; }, 3, "no difference"));
  // Its six bytes are this computer's date and time.
  const std::string tm = Logged("/camera/TM?").back();
  const std::string prefix = "/camera/TM?t=cameralnk&p=%";
  ASSERT_EQ(tm.rfind(prefix, 0), 0u) << tm;
  std::string clock_text;
  for (size_t at = prefix.size(); at < tm.size(); at += 3)
    clock_text += std::to_string(100 + std::stoi(tm.substr(at, 2), nullptr, 16)).substr(1) + ".";
  ASSERT_EQ(clock_text.size(), 18u) << tm;
  clock_text[8] = ' ';
  clock_text[11] = clock_text[14] = ':';
  clock_text.pop_back();
  EXPECT_LT(std::abs(ClockTextToDateTime(clock_text) - now), 2.0 / 86400) << clock_text;
  // The camera now agrees with this computer: a fresh read shows at most the header's rounding.
  f.camera.ClockKnown = false;
  f.GetTimeBtnClick();
  ASSERT_TRUE(WaitFor([&] { return f.camera.ClockKnown; }, 3, "camera clock read again"));
  EXPECT_LT(std::abs(f.ClockOffset), 2.5 / 86400) << f.ClockOffset * 86400 << " s";

  // Custom: the typed date goes to the camera as it is; the display waits for the next read.
  dialogs_.input_answers.push_back("15.12.31 12:00:00");
  Click("Custom1");
  ASSERT_TRUE(WaitFor([] { return Logged("/camera/TM?").size() == 2; }, 3, "custom TM sent"));
  EXPECT_EQ(Logged("/camera/TM?").back(), "/camera/TM?t=cameralnk&p=%0f%0c%1f%0c%00%00");
  EXPECT_LT(std::abs(f.ClockOffset), 2.5 / 86400);
  f.camera.ClockKnown = false;
  f.GetTimeBtnClick();
  ASSERT_TRUE(WaitFor([&] { return f.camera.ClockKnown; }, 3, "camera clock read once more"));
  ASSERT_TRUE(WaitFor([&] { return f["Delta"].Caption() == "Incorrect Date"; }, 3, "far off"));
  EXPECT_EQ(f["CamDate"].Caption(), "Dec 31 2015");

  // Preview: the stream is on, so the live directory is tested and the player started.
  Click("VLCBtn");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(argv_file); }, 5, "player started"));
  EXPECT_EQ(ReadLines(argv_file),
            (std::vector<std::string>{"http://10.5.5.9:8080/live/amba.m3u8", "--qt-minimal-view",
                                      "--no-qt-name-in-title", "--scale=2"}));
  EXPECT_FALSE(Logged("/live/").empty());
  EXPECT_EQ(f["ListBox1"].Lines().back(), "TestStream");

  // A player path that names nothing: the status bar says so.
  f.player_path = dir_ + "no-such-player";
  Click("VLCBtn");
  EXPECT_TRUE(WaitFor([&] {
    return f["StatusBar"].Caption().find("Cannot start the player") != std::string::npos;
  }, 5, "player failure shown"));
  EXPECT_TRUE(errors_.empty()) << errors_.front();
  f.FormClose();
}

}  // namespace
}  // namespace kivo
