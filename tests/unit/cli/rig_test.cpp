// Running one command on several cameras: the marked lines, the one exit status, where --all
// belongs, and the loop's gathering of every camera's command into one pass.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_run.h"
#include "cli/rig_output.h"

namespace kivo {
namespace {

TEST(RigOutput, EveryLineIsMarkedWithItsCamera) {
  struct Case {
    const char* line;
    LineKind kind;
    const char* marked;
  } const kCases[] = {
      {"record: started", LineKind::kText, "kcam1: record: started"},
      {"", LineKind::kText, "kcam1: "},
      {R"({"model":"Hero 3 Black"})", LineKind::kJson,
       R"({"interface":"kcam1","model":"Hero 3 Black"})"},
      {"{}", LineKind::kJson, R"({"interface":"kcam1"})"},
      {"Nothing new on the camera's card", LineKind::kJson,
       "kcam1: Nothing new on the camera's card"},
      {"kivo-cli: BacPac timeout", LineKind::kError, "kivo-cli: kcam1: BacPac timeout"},
      {"something else", LineKind::kError, "kcam1: something else"},
  };
  for (const Case& c : kCases) EXPECT_EQ(MarkLine(c.line, "kcam1", c.kind), c.marked) << c.line;
  // A name is a JSON string like any other.
  EXPECT_EQ(MarkLine("{}", "Wi-Fi \"2\"", LineKind::kJson), R"({"interface":"Wi-Fi \"2\""})");
}

TEST(RigOutput, WholeLinesPassAndAnUnfinishedOneGoesLast) {
  std::ostringstream to;
  {
    MarkedLines lines(to, "kcam2", LineKind::kText);
    std::ostream out(&lines);
    out << "Battery  " << std::flush << "80%\nPhotos  3\n" << std::flush << "tail";
    EXPECT_EQ(to.str(), "kcam2: Battery  80%\nkcam2: Photos  3\n");
  }
  EXPECT_EQ(to.str(), "kcam2: Battery  80%\nkcam2: Photos  3\nkcam2: tail\n");
}

TEST(RigOutput, TheMostSeriousStatusStandsForTheRun) {
  struct Case {
    std::vector<int> codes;
    int run;
  } const kCases[] = {
      {{0, 0, 0}, kExitDone},
      {{0, kExitFailed, 0}, kExitFailed},
      {{kExitFailed, kExitUnreachable, 0}, kExitUnreachable},
      {{kExitUnreachable, kExitWrongPassword}, kExitWrongPassword},
      {{kExitWrongPassword, kExitUsage, kExitUnreachable}, kExitUsage},
      {{kExitUsage, 130, 0}, 130},
  };
  for (const Case& c : kCases) {
    int run = kExitDone;
    for (int code : c.codes) run = MostSeriousExit(run, code);
    EXPECT_EQ(run, c.run);
  }
}

TEST(RigArgs, AllIsEveryCameraExceptWhereItIsGetsOwn) {
  struct Case {
    std::vector<std::string> argv;
    bool all;
    std::vector<std::string> args;
  } const kCases[] = {
      {{"--all", "status"}, true, {}},
      {{"status", "--all"}, true, {}},
      {{"get", "--all"}, false, {"--all"}},
      {{"--all", "get", "--all"}, true, {"--all"}},
      {{"get", "--new", "--all"}, true, {"--new"}},
      {{"get", "--all", "--new", "--to", "d"}, true, {"--new", "--to", "d"}},
      {{"status", "--", "--all"}, false, {"--all"}},
  };
  for (const Case& c : kCases) {
    const CliArgs args = ParseCliArgs(c.argv);
    EXPECT_EQ(args.all, c.all) << c.argv.size();
    EXPECT_EQ(args.args, c.args) << c.argv.size();
  }
}

// A task that waits |before_ms|, then gathers with the others, and notes when it went on.
Task<int> Gather(CliRun& run, int before_ms, std::vector<std::string>& events, std::string name) {
  co_await run.Pause(before_ms);
  events.push_back(name + " ready");
  co_await run.Together();
  events.push_back(name + " goes");
  co_return 0;
}

Task<int> Finish(CliRun& run, std::vector<std::string>& events) {
  co_await run.Pause(10);
  events.push_back("done early");
  co_return 3;
}

TEST(CliRunTest, CommandsGoTogetherOnceEveryCameraStillAtWorkIsReady) {
  PollEventLoop loop;
  CliRun run(loop);
  std::vector<std::string> events;
  std::vector<Task<int>> tasks;
  tasks.push_back(Gather(run, 60, events, "a"));
  tasks.push_back(Finish(run, events));  // a camera with nothing to send holds nobody up
  tasks.push_back(Gather(run, 0, events, "b"));
  run.RunAll(tasks);
  const std::vector<std::string> expected = {"b ready", "done early", "a ready", "b goes", "a goes"};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(tasks[1].Result(), 3);
}

Task<int> WaitForFlag(CliRun& run, const bool& flag, int timeout_ms) {
  const bool came = co_await run.Until([&flag] { return flag; }, timeout_ms);
  co_return came ? 1 : 0;
}

TEST(CliRunTest, AConditionEndsTheWaitAndATimeLimitEndsItToo) {
  PollEventLoop loop;
  CliRun run(loop);
  bool flag = false;
  loop.Post([&flag] { flag = true; });
  bool never = false;
  std::vector<Task<int>> tasks;
  tasks.push_back(WaitForFlag(run, flag, -1));
  tasks.push_back(WaitForFlag(run, never, 30));
  run.RunAll(tasks);
  EXPECT_EQ(tasks[0].Result(), 1);
  EXPECT_EQ(tasks[1].Result(), 0);
}

}  // namespace
}  // namespace kivo
