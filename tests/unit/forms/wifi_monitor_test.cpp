#include <filesystem>

#include "media_fixture.h"
#include "platform/wifi_query.h"

namespace kivo {
namespace {

using WiFiMonitor = MediaFixture;

constexpr const char* kConnected =
    "    Name                   : Wi-Fi\r\n"
    "    State                  : connected\r\n"
    "    SSID                   : MyCam\r\n"
    "    BSSID                  : d6:d9:19:a1:b2:c3\r\n"
    "    Signal                 : 96%\r\n";

std::string Caption(TForm1& f) { return f["Form1"].Caption(); }

// The query script's name: GetSSID.sh, or GetSSID.bat on Windows.
const std::string kScript = std::string("GetSSID") + kWifiQueryScriptExtension;

TEST_F(WiFiMonitor, ReadsOneSecondAfterTheQueryThenRestsAndQueriesAgain) {
  TForm1& f = Create();
  std::string output = kConnected;
  shell_.on_script = [&](const std::string&) { Write("getSSID.txt", output); };

  f.Model().Click("ShowWiFiConn");  // Off -> Reading
  EXPECT_TRUE(f["ShowWiFiConn"].Checked());
  ASSERT_EQ(shell_.scripts, std::vector<std::string>{dir_ + kScript});
  EXPECT_EQ(Read(kScript), WifiQueryScript(dir_ + "getSSID.txt"));
  EXPECT_TRUE(f.GetSSIDTimer->Enabled());
  EXPECT_EQ(f.GetSSIDTimer->Interval(), 1000);

  Tick();  // Reading -> Resting
  EXPECT_EQ(Caption(f), "Kivo - connected to MyCam - 96%");
  EXPECT_EQ(f.network_name, "MyCam");
  EXPECT_FALSE(Exists("getSSID.txt"));
  EXPECT_FALSE(Exists(kScript));
  EXPECT_TRUE(f.GetSSIDTimer->Enabled());
  EXPECT_EQ(f.GetSSIDTimer->Interval(), 15000);

  output = "    State : connected\n    SSID : Other\n    Signal : 40%\n";
  Tick();  // Resting -> Reading: a fresh query, not a busy one
  EXPECT_EQ(shell_.scripts.size(), 2u);
  EXPECT_EQ(f.GetSSIDTimer->Interval(), 1000);
  EXPECT_TRUE(f.GetSSIDTimer->Enabled());
  EXPECT_FALSE(Exists("ErrorLog.txt"));
  Tick();
  EXPECT_EQ(Caption(f), "Kivo - connected to Other - 40%");
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(errors_.empty());
}

// An installed program keeps its settings, its logs and its work files in three folders.
TEST_F(WiFiMonitor, SettingsLogsAndQueryFilesGoToTheirOwnFolders) {
  TForm1& f = Create();
  for (const char* sub : {"logs", "work"}) std::filesystem::create_directories(dir_ + sub);
  f.Env().log_dir = dir_ + "logs/";
  f.Env().work_dir = dir_ + "work/";

  f.Model().Click("ShowWiFiConn");
  ASSERT_EQ(shell_.scripts, std::vector<std::string>{dir_ + "work/" + kScript});
  EXPECT_EQ(Read("work/" + kScript), WifiQueryScript(dir_ + "work/getSSID.txt"));
  f.LogError("a failure");
  EXPECT_NE(Read("logs/ErrorLog.txt").find("a failure"), std::string::npos);
  f.FormClose();
  EXPECT_TRUE(Exists("Kivo.ini"));
  for (const std::string& stray : {kScript, std::string("ErrorLog.txt"), std::string("logs/Kivo.ini"),
                                   std::string("work/Kivo.ini"), std::string("work/ErrorLog.txt")}) {
    EXPECT_FALSE(Exists(stray)) << stray;
  }
}

TEST_F(WiFiMonitor, LateOutputLeavesTheCaptionAndIsDeletedByTheNextQuery) {
  TForm1& f = Create();
  f.Model().Click("ShowWiFiConn");
  Tick();  // nothing there yet
  EXPECT_EQ(Caption(f), "Kivo");
  EXPECT_EQ(f.GetSSIDTimer->Interval(), 15000);
  Write("getSSID.txt", kConnected);  // arrives late
  Tick();  // the next query deletes it before it starts the script
  EXPECT_FALSE(Exists("getSSID.txt"));
  EXPECT_EQ(Caption(f), "Kivo");
}

TEST_F(WiFiMonitor, UncheckingShowsKivoAtOnceAndStops) {
  TForm1& f = Create();
  shell_.on_script = [&](const std::string&) { Write("getSSID.txt", kConnected); };
  f.Model().Click("ShowWiFiConn");
  Tick();
  ASSERT_NE(Caption(f), "Kivo");
  f.Model().Click("ShowWiFiConn");
  EXPECT_FALSE(f["ShowWiFiConn"].Checked());
  EXPECT_EQ(Caption(f), "Kivo");
  EXPECT_FALSE(f.GetSSIDTimer->Enabled());
  f.Model().Click("ShowWiFiConn");  // checking again queries at once
  EXPECT_EQ(shell_.scripts.size(), 2u);
  EXPECT_TRUE(f.GetSSIDTimer->Enabled());
}

TEST_F(WiFiMonitor, BusyCallIsLoggedAndTheCycleGoesOn) {
  TForm1& f = Create();
  f.Model().Click("ShowWiFiConn");
  f.Model().Dispatch([&] { f.GetSSID(); });
  EXPECT_EQ(shell_.scripts.size(), 1u);
  EXPECT_EQ(Read("ErrorLog.txt").find("GetSSID called when busy") != std::string::npos, true);
  EXPECT_EQ(f.GetSSIDTimer->Interval(), 1000);
  EXPECT_TRUE(f.GetSSIDTimer->Enabled());
}

TEST_F(WiFiMonitor, OutputWithoutStateIsShownWhole) {
  TForm1& f = Create();
  const std::string text = "The Wireless AutoConfig Service (wlansvc) is not running.\r\n";
  shell_.on_script = [&](const std::string&) { Write("getSSID.txt", text); };
  f.Model().Click("ShowWiFiConn");
  Tick();
  EXPECT_EQ(Messages(), std::vector<std::string>{text});
  EXPECT_EQ(Caption(f), "Kivo");
}

TEST_F(WiFiMonitor, StartsWithTheWindowWhenSwitchedOn) {
  Write("Kivo.ini", "[Kivo]\nShowWiFi=1\n");
  TForm1& f = Create();
  EXPECT_TRUE(f["ShowWiFiConn"].Checked());
  EXPECT_EQ(shell_.scripts.size(), 1u);
  EXPECT_TRUE(f.GetSSIDTimer->Enabled());
}

struct ErrorCase {
  const char* test_name;
  bool debug;
  bool query_fails;  // the script cannot be written; otherwise the output cannot be read
  const char* logged;  // nullptr: nothing logged
};

class WiFiErrors : public MediaFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(WiFiErrors, AreLoggedOnlyInDebugMode) {
  const ErrorCase& c = GetParam();
  TForm1& f = Create();
  f.Debug = c.debug;
  // A folder in the way of the file, with something inside so that it cannot be removed.
  if (c.query_fails) {
    std::filesystem::create_directories(dir_ + kScript + "/x");
    f.Model().Click("ShowWiFiConn");
    EXPECT_FALSE(f.GetSSIDTimer->Enabled());  // the monitor stops
    EXPECT_TRUE(shell_.scripts.empty());
  } else {
    f.Model().Click("ShowWiFiConn");
    std::filesystem::create_directories(dir_ + "getSSID.txt/x");
    Tick();
    EXPECT_TRUE(f.GetSSIDTimer->Enabled());  // the cycle goes on
    EXPECT_EQ(f.GetSSIDTimer->Interval(), 15000);
  }
  std::string log = Read("ErrorLog.txt");
  if (c.logged) {
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
  } else {
    EXPECT_EQ(log, "");
  }
  EXPECT_TRUE(errors_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WiFiErrors,
    ::testing::Values(ErrorCase{"QueryDebug", true, true, "GetSSID error: "},
                      ErrorCase{"QueryQuiet", false, true, nullptr},
                      ErrorCase{"ReadDebug", true, false, "GetSSIDTimer error: "},
                      ErrorCase{"ReadQuiet", false, false, nullptr}),
    [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace kivo
