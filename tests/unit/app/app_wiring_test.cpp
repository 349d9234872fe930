// The run both main()s share, on stand-in windows: which windows are made when, what closing
// them does, and the options every kivo accepts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_wiring.h"
#include "platform/poll_event_loop.h"
#include "platform/temp_dir.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_shell.h"

namespace kivo {
namespace {

// A window that records what is done to it; closing it runs on_close as a real one does.
class FakeWindow : public FormWindow {
 public:
  explicit FakeWindow(std::vector<std::string>& log, std::string name)
      : log_(log), name_(std::move(name)) {}
  void ShowForm() override { log_.push_back(name_ + " shown"), shown_ = true; }
  void Close() override {
    log_.push_back(name_ + " closed");
    if (on_close) on_close();
    shown_ = false;
  }
  void Raise() override { log_.push_back(name_ + " raised"); }
  bool Shown() const override { return shown_; }
  void OnEscape(std::function<void()> handler) override { escape = std::move(handler); }
  std::function<void()> escape;

 private:
  std::vector<std::string>& log_;
  std::string name_;
  bool shown_ = false;
};

class AppWiringTest : public ::testing::Test {
 protected:
  std::unique_ptr<AppWindows> Start(AppOptions options) {
    const std::string dir = dir_.Path();
    auto app = std::make_unique<AppWindows>(
        AppPlatform{loop_, clock_, dialogs_, shell_, "/usr/bin/vlc",
                    {dir + settings_subdir_, dir, dir}, "",
                    [this](ComponentModel&, const std::string& form, const std::string&,
                           WindowRole) {
                      auto window = std::make_unique<FakeWindow>(log_, form);
                      windows_[form] = window.get();
                      log_.push_back(form + " made");
                      return window;
                    },
                    [this](int ms, std::function<void()> task) {
                      timers_.emplace_back(ms, std::move(task));
                    },
                    [this](const std::string& path) { log_.push_back("picture " + path); }},
        options);
    app->before_net_window_shown = [this](FormWindow&) { log_.push_back("net placed"); };
    app->Show({0, 0, 1024, 768});
    return app;
  }
  // Runs the run until the main window closes, closed by |close| from inside the loop.
  int RunAndClose(AppWindows& app, std::function<void()> close) {
    loop_.Post(std::move(close));
    return app.Run();
  }

  testing::TempDir dir_;
  std::string settings_subdir_;  // a folder that is not there: no save can succeed
  PollEventLoop loop_;
  FakeClock clock_{41334.5};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::vector<std::string> log_;
  std::map<std::string, FakeWindow*> windows_;
  std::vector<std::pair<int, std::function<void()>>> timers_;
};

TEST_F(AppWiringTest, OnlyTheMainWindowIsMadeAtStartAndOptionsAddTheOthers) {
  struct Case {
    const char* name;
    bool network_status;
    bool browse;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"plain", false, false, {"Form1 made", "Form1 shown"}},
      {"network status", true, false,
       {"Form1 made", "Form1 shown", "net made", "net placed", "net shown"}},
      {"browse", false, true,
       {"Form1 made", "Form1 shown", "Browse made", "Browse shown", "Browse raised"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_.clear();
    AppOptions options;
    options.network_status = c.network_status;
    options.browse = c.browse;
    auto app = Start(options);
    EXPECT_EQ(log_, c.log);
    EXPECT_TRUE(timers_.empty());
    app.reset();
  }
}

TEST_F(AppWiringTest, BrowseIsMadeOnceAndEscapeClosesIt) {
  auto app = Start({});
  app->Form().BrowseDownload1Click();
  app->Form().BrowseDownload1Click();
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "Browse made"), 1);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "Browse shown"), 2);
  windows_.at("Browse")->escape();
  EXPECT_EQ(log_.back(), "Browse closed");
  EXPECT_FALSE(windows_.at("Browse")->Shown());
}

TEST_F(AppWiringTest, TimedOptionsTakeThePictureAndCloseTheWindow) {
  auto app = Start({.screenshot = "shot.png", .screenshot_delay = 700, .quit_after = 900});
  ASSERT_EQ(timers_.size(), 2u);
  EXPECT_EQ(timers_[0].first, 700);
  EXPECT_EQ(timers_[1].first, 900);
  const int status = RunAndClose(*app, [this] {
    for (auto& [ms, task] : timers_) task();
  });
  EXPECT_EQ(status, 0);
  const std::vector<std::string> tail(log_.end() - 2, log_.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"picture shot.png", "Form1 closed"}));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("Kivo.ini")));  // closing saved the settings
}

TEST_F(AppWiringTest, ExitClosesTheMainWindowAndSavesTheSettings) {
  auto app = Start({});
  const int status = RunAndClose(*app, [&app] {
    app->Form().Exit1Click();
    app->MainWindow().Close();  // the window manager's close on top of it changes nothing
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("Kivo.ini")));
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(AppWiringTest, AFailedSaveWithNobodyThereEndsWithStatusOneAndNoBox) {
  settings_subdir_ = "gone/";
  auto app = Start({});
  const int status = RunAndClose(*app, [&app] { app->CloseUnattended(); });
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(AppWiringTest, AFailedSaveWithSomeoneThereIsShownInABox) {
  settings_subdir_ = "gone/";
  auto app = Start({});
  const int status = RunAndClose(*app, [&app] { app->MainWindow().Close(); });
  EXPECT_EQ(status, 0);
  ASSERT_FALSE(dialogs_.shown.empty());
  EXPECT_NE(dialogs_.shown[0].text.find("Kivo.ini"), std::string::npos);
}

TEST(AppOptionsTest, CommonAndPlatformOptions) {
  constexpr UsageText kUsage{"kivo", "png", "", "elsewhere", "", ""};
  struct Case {
    std::vector<std::string> args;
    ParseResult result;
    AppOptions options;
    std::vector<std::string> platform;  // what the platform's own parser took
  };
  const Case cases[] = {
      {{"kivo"}, ParseResult::kRun, {}, {}},
      {{"kivo", "--screenshot", "a.png", "--screenshot-delay", "50", "--quit-after", "90",
        "--network-status", "--browse"},
       ParseResult::kRun,
       {"a.png", 50, 90, true, true},
       {}},
      {{"kivo", "--own", "x", "--browse"}, ParseResult::kRun, {"", 8000, 0, false, true},
       {"--own x"}},
      {{"kivo", "--quit-after"}, ParseResult::kBadUsage, {}, {}},
      {{"kivo", "--screenshot"}, ParseResult::kBadUsage, {}, {}},
      {{"kivo", "--no-such-option"}, ParseResult::kBadUsage, {}, {}},
      {{"kivo", "--own"}, ParseResult::kBadUsage, {}, {}},
      {{"kivo", "--version", "--no-such-option"}, ParseResult::kExit, {}, {}},
      {{"kivo", "-h"}, ParseResult::kExit, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    std::vector<std::string> platform;
    auto own = [&platform](const std::vector<std::string>& args, size_t i) {
      if (args[i] != "--own") return 0;
      if (i + 1 >= args.size()) return -1;
      platform.push_back(args[i] + " " + args[i + 1]);
      return 2;
    };
    AppOptions options;
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(ParseAppOptions(c.args, kUsage, own, options, out), c.result);
    std::fclose(out);
    if (c.result != ParseResult::kRun) continue;
    EXPECT_EQ(options.screenshot, c.options.screenshot);
    EXPECT_EQ(options.screenshot_delay, c.options.screenshot_delay);
    EXPECT_EQ(options.quit_after, c.options.quit_after);
    EXPECT_EQ(options.network_status, c.options.network_status);
    EXPECT_EQ(options.browse, c.options.browse);
    EXPECT_EQ(platform, c.platform);
  }
}

}  // namespace
}  // namespace kivo
