// A start against the simulated camera and the maker's service: a newer version is offered, and
// a camera that keeps sending an unknown model code is reported once, not every five seconds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace kivo {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int CountLines(const std::string& path, const std::string& containing = "") {
  std::ifstream in(path);
  int n = 0;
  for (std::string line; std::getline(in, line);)
    if (line.find(containing) != std::string::npos) ++n;
  return n;
}

TEST(ServiceSession, NewerVersionOfferedAndARepeatedFaultReportedOnce) {
  if (Env("KIVO_E2E_NETNS") != "1") GTEST_SKIP() << "runs only inside tests/e2e/netns_run.sh";
  char pattern[] = "/tmp/kivo-e2e-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string dir = std::string(pattern) + "/";
  setenv("KIVO_WEB_HOST", Env("KIVO_SERVICE_ADDRESS").c_str(), 1);
  PollEventLoop loop;
  ScriptedDialogs dialogs;
  ScriptedShell shell;
  dialogs.message_answers.push_back(MsgResult::kYes);
  {
    TForm1 form(FormEnvironment{loop, SystemClock::Instance(), dialogs, shell, dir, "/usr/bin/vlc"});
    form.FormCreate();
    Tnet net(form);
    form.FormShow(1280, 1024);
    ASSERT_TRUE(loop.RunUntil([&] { return !shell.urls.empty(); }, 10000)) << "no download offer";
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("The latest version is:      0.36"), std::string::npos);
    EXPECT_EQ(shell.urls[0], "http://" + Env("KIVO_SERVICE_ADDRESS") + "/Kivo/index.html#download");

    // A model code this program does not know (a newer camera), seen at every poll.
    std::string poke = Env("KIVO_CAMSIM") + " --control " + Env("KIVO_CAMSIM_CONTROL") +
                       " poke bacpac 12 13 >/dev/null";
    ASSERT_EQ(std::system(poke.c_str()), 0);
    // Two polls, five seconds apart, each meeting it.
    std::string log = dir + "ErrorLog.txt";
    ASSERT_TRUE(loop.RunUntil([&] { return CountLines(log) >= 2; }, 14000))
        << "status bar: " << form["StatusBar"].Caption();
    loop.RunFor(500);
    form.FormClose();
  }
  std::vector<std::string> lines;
  std::ifstream in(dir + "ErrorLog.txt");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(CountLines(Env("KIVO_CAMSIM_REPORTS")), 1);
  EXPECT_EQ(CountLines(Env("KIVO_CAMSIM_REPORTS"), "msg=" + lines[0] + "[    Camera    ]"), 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kivo
