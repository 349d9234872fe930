#include <filesystem>
#include <fstream>

#include "net/transfer_rate.h"
#include "platform/ini_file.h"
#include "pool_fixture.h"

namespace kivo {
namespace {

using testing::Script;
using testing::ScriptServer;

TEST_F(PoolTest, GetStoresTheBodyAndCallsBackOnceWithItsFile) {
  ScriptServer server;
  std::string body(20000, 'x');
  server.Serve({Script().ReadRequest().SendPieces(Reply(body), {100, 5000}).Close()});
  EXPECT_FALSE(Get(server.Url("/a")));
  WaitDone(1);
  loop_.RunFor(100);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].error, 0);
  EXPECT_EQ(done_[0].url, server.Url("/a"));
  EXPECT_EQ(done_[0].file, dir_.File("TMP0001.txt"));
  EXPECT_EQ(dir_.Read("TMP0001.txt"), body);
  EXPECT_NE(server.Received()[0].find("User-Agent: Firefox 1.0 (WinNT; I)"), std::string::npos);
  EXPECT_EQ(net_->Flags(1), Tnet::kFree);
  // The rate line of the last chunk: 20000 bytes in the fixed clock's no time at all.
  EXPECT_EQ((*form_)["StatusBar"].Caption(), "0 Mb received at  2000 Mb/s");
  EXPECT_TRUE(LogHas("[1] -> " + dir_.File("TMP0001.txt")));
  EXPECT_TRUE(LogHas("[1] DONE - error: 0 " + server.Url("/a")));
  EXPECT_EQ(Log().front().substr(0, 10), "1000:00 - ");
}

TEST_F(PoolTest, ReplyFilesGoToTheWorkFolderNotTheSettingsFolder) {
  std::filesystem::create_directories(dir_.File("work"));
  form_->Env().work_dir = dir_.File("work/");
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply("body")).Close()});
  Get(server.Url("/a"));
  WaitDone(1);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].file, dir_.File("work/TMP0001.txt"));
  EXPECT_EQ(dir_.Read("work/TMP0001.txt"), "body");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("TMP0001.txt")));
}

TEST_F(PoolTest, HeadFileHoldsTheHeaderLinesWithCrLfAndNoBody) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(
      "HTTP/1.0 200 OK\nDate: Sun, 01 Mar 2015 12:00:00 GMT\r\nContent-Length: 5\r\n\r\nhello")
                    .Close()});
  EXPECT_FALSE(Head(server.Url("/")));
  WaitDone(1);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].error, 0);
  EXPECT_EQ(dir_.Read("TMP0001.txt"),
            "HTTP/1.0 200 OK\r\nDate: Sun, 01 Mar 2015 12:00:00 GMT\r\nContent-Length: 5\r\n");
  EXPECT_NE(server.Received()[0].find("HEAD / "), std::string::npos);
  EXPECT_NE(server.Received()[0].find("User-Agent:  (Win95; I)"), std::string::npos);
}

TEST_F(PoolTest, EleventhRequestIsRefusedAndSlotViewShowsFlagsAndStatus) {
  // One server per request: a server plays its connections one after the other.
  std::vector<std::unique_ptr<ScriptServer>> servers;
  for (int i = 0; i < 10; ++i) {
    servers.push_back(std::make_unique<ScriptServer>());
    servers.back()->Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\npartial").Silent()});
    EXPECT_FALSE(Get(servers.back()->Url("/")));
  }
  EXPECT_TRUE(Get(servers[0]->Url("/11")));
  EXPECT_TRUE(LogHas("GetURL OVERFLOW of client requests"));
  EXPECT_TRUE(net_->GetHead(servers[0]->Url("/12"), Record()));
  EXPECT_TRUE(LogHas("GetHead OVERFLOW of client requests"));
  loop_.RunUntil([&] {
    for (int s = 1; s <= 10; ++s)
      if (net_->Client(s).StatusCode() != 200) return false;
    return true;
  }, 5000);
  net_->TimeOutAbortTimer();
  const auto& view = (*net_)["httpList"].Lines();
  ASSERT_EQ(view.size(), 10u);
  EXPECT_EQ(view[2], "3: $81 200");
  EXPECT_TRUE(done_.empty());
  EXPECT_TRUE(Get(""));  // an empty URL is not a request
}

class StalledRequest : public PoolTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StalledRequest, IsAbortedBetweenTwelveAndSeventeenSecondsWithErrorThree) {
  const bool head = GetParam();
  ScriptServer server;
  server.Serve({Script().ReadRequest().Silent()});
  EXPECT_FALSE(head ? Head(server.Url("/")) : Get(server.Url("/")));
  loop_.RunUntil([&] { return net_->Flags(1) & Tnet::kFileOpen; }, 3000);
  for (int tick = 1; tick <= 2; ++tick) {  // 5 s and 10 s: still waiting
    clock_.AdvanceMs(5000);
    net_->TimeOutAbortTimer();
  }
  loop_.RunFor(50);
  EXPECT_TRUE(done_.empty());
  clock_.AdvanceMs(5000);  // 15 s
  net_->TimeOutAbortTimer();
  EXPECT_TRUE(LogHas("[1] ABORTED by timeout"));
  WaitDone(1);
  clock_.AdvanceMs(5000);
  net_->TimeOutAbortTimer();  // nothing left to abort, no second callback
  loop_.RunFor(50);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].error, 3);
  EXPECT_EQ(net_->Flags(1), Tnet::kFree);
}

TEST_F(PoolTest, InactivityCheckRestsWhileEverySlotIsFreeUnlessTheLogIsKept) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply("one")), Script().ReadRequest().Send(Reply("two")),
                Script().ReadRequest().Send(Reply("three"))});
  struct Step {
    bool debug;
    bool running_after;
  } steps[] = {{false, false}, {true, true}, {false, false}};
  for (const Step& step : steps) {
    form_->Debug = step.debug;
    EXPECT_FALSE(Get(server.Url("/")));
    EXPECT_TRUE(net_->TimeOutAbort->Enabled());
    WaitDone(done_.size() + 1);
    EXPECT_EQ(net_->TimeOutAbort->Enabled(), step.running_after) << "debug " << step.debug;
    // The view shows the slot free, not as the last check saw it.
    EXPECT_EQ((*net_)["httpList"].Lines().at(0), "1: ");
  }
  // Debug switched off while the check runs: its next tick lets it rest.
  form_->Debug = true;
  EXPECT_TRUE(Get(""));
  form_->Debug = false;
  net_->TimeOutAbortTimer();
  EXPECT_FALSE(net_->TimeOutAbort->Enabled());
}

INSTANTIATE_TEST_SUITE_P(GetAndHead, StalledRequest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Head" : "Get"; });

TEST_F(PoolTest, ExistingNamesAndLinksAreNeverOpened) {
  dir_.Write("TMP0001.txt", "mine");
  dir_.Write("target.txt", "target");
  std::filesystem::create_symlink(dir_.File("target.txt"), dir_.File("TMP0002.txt"));
  std::filesystem::create_symlink(dir_.File("missing.txt"), dir_.File("TMP0003.txt"));
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply("new")).Close()});
  Get(server.Url("/"));
  WaitDone(1);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].file, dir_.File("TMP0004.txt"));
  EXPECT_EQ(dir_.Read("TMP0004.txt"), "new");
  EXPECT_EQ(dir_.Read("TMP0001.txt"), "mine");
  EXPECT_EQ(dir_.Read("target.txt"), "target");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("missing.txt")));
}

TEST_F(PoolTest, FailureBeforeConnectingHandsBackNoFile) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply("one")).Close()});
  Get(server.Url("/"));
  WaitDone(1);
  Get("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/");
  WaitDone(2);
  ASSERT_EQ(done_.size(), 2u);
  EXPECT_EQ(done_[1].error, 10061);
  EXPECT_EQ(done_[1].file, "");
  EXPECT_TRUE(LogHas(" > " + dir_.File("TMP0001.txt")));  // the log names the slot's last file
}

TEST_F(PoolTest, WindowPositionComesFromAndReturnsToTheSettingsFileWhenTheWindowCloses) {
  dir_.Write("Kivo.ini", "[Status]\nTop=7\nLeft=8\n");
  Make(dir_.Path());
  EXPECT_EQ((*net_)["net"].GetBounds(), (Bounds{8, 7, 300, 406}));
  (*net_)["net"].SetBounds({20, 30, 400, 500});
  form_->FormClose();  // the main window's save leaves the rows as they were
  EXPECT_EQ(IniFile(dir_.File("Kivo.ini")).ReadInteger("Status", "Left", 0), 8);
  net_->FormClose();
  form_->FinishSaves();
  IniFile ini(dir_.File("Kivo.ini"));
  EXPECT_EQ(ini.ReadInteger("Status", "Left", 0), 20);
  EXPECT_EQ(ini.ReadInteger("Status", "Top", 0), 30);
  EXPECT_EQ(ini.ReadInteger("Status", "Width", 0), 400);
  EXPECT_EQ(ini.ReadInteger("Status", "Height", 0), 500);
  EXPECT_EQ(ini.ReadString("BacPac", "IPAddress", ""), "10.5.5.9");
}

TEST_F(PoolTest, AFirstRunsSettingsHoldEveryRowButTheNetworkWindows) {
  form_->FormClose();
  const std::string text = dir_.Read("Kivo.ini");
  EXPECT_NE(text.find("[Camera]"), std::string::npos) << text;
  EXPECT_EQ(text.find("[Status]"), std::string::npos) << text;
}

// Installed where the program's folder cannot be written: the settings come from the copy beside
// the program until the per-user folder has its own, and the Network Status window's do too. The
// first save into the per-user folder, by either window, keeps what it does not write itself.
TEST_F(PoolTest, WithAFallbackFolderBothWindowsReadTheSameFileAndTheFirstSaveKeepsTheRest) {
  const std::string shipped_text = "[BacPac]\nPassword=shipped\n[Status]\nTop=7\nLeft=8\n";
  testing::TempDir shipped;
  shipped.Write("Kivo.ini", shipped_text);
  for (const bool main_saves : {true, false}) {
    testing::TempDir fallback;
    Make(fallback.Path(), shipped.Path());
    EXPECT_EQ(form_->camera_password, "shipped");
    EXPECT_EQ((*net_)["net"].GetBounds(), (Bounds{8, 7, 300, 406}));
    if (main_saves) {
      form_->FormClose();
    } else {
      net_->FormClose();
      form_->FinishSaves();
    }
    Make(fallback.Path(), shipped.Path());
    EXPECT_EQ(form_->camera_password, "shipped") << main_saves;
    EXPECT_EQ((*net_)["net"].GetBounds(), (Bounds{8, 7, 300, 406})) << main_saves;
    net_.reset();
    form_.reset();
  }
  EXPECT_EQ(shipped.Read("Kivo.ini"), shipped_text);
}

struct RateCase {
  const char* name;
  long long bytes;
  double seconds;
  const char* text;
};

class RateText : public ::testing::TestWithParam<RateCase> {};

TEST_P(RateText, MatchesTheStatusLine) {
  EXPECT_EQ(TransferRateText(GetParam().bytes, GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, RateText,
    ::testing::Values(
        RateCase{"SmallAndSlow", 5200, 2, "5200 bytes received at  2600 cps"},
        RateCase{"LastSmallCount", 999999, 1000, "999999 bytes received at  1000 cps"},
        RateCase{"FirstMillion", 1000000, 1000, "1 Mb received at   Mb/s"},
        RateCase{"RateJustUnder", 9999, 1, "9999 bytes received at  9999 cps"},
        RateCase{"RateReachesTenThousand", 10000, 1, "0 Mb received at   Mb/s"},
        RateCase{"RoundsHalfUp", 2550000, 2, "2 Mb received at  1.3 Mb/s"},
        RateCase{"WholeMegabytes", 4000000, 2, "4 Mb received at  2 Mb/s"},
        RateCase{"NoTimeAtAll", 10, 0, "0 Mb received at  1 Mb/s"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo
