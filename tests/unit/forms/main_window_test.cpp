#include <filesystem>

#include "form_fixture.h"
#include "test_env.h"
#include "ui/headless_renderer.h"
#include "media/web_site.h"
#include "camera/bacpac_status.h"

namespace kivo {
namespace {

using MainWindow = FormFixture;

constexpr const char* kDiagnostic[] = {"StreamBtn",  "StreamStopBtn", "ListBox1",      "CameraStatusBtn",
                                       "BacPacStatusBtn", "Bac",     "Cam",           "CameraStatusL",
                                       "CommandL",   "GoProReady",    "PingBtn",       "DownloadBtn",
                                       "GetTimeBtn"};

TEST_F(MainWindow, FirstStartUsesDefaultsAndTheFirstCloseWritesEveryRow) {
  TForm1& f = Create();
  EXPECT_EQ(f.camera_address, "10.5.5.9");
  EXPECT_EQ(f.camera_password, "cameralnk");
  EXPECT_EQ(f.player_path, "/usr/bin/vlc");
  EXPECT_FALSE(f["AutoVAN"].Checked());
  EXPECT_FALSE(f["ShowWiFiConn"].Checked());
  f.FormShow(1920, 1080);
  Bounds b = f["Form1"].GetBounds();
  EXPECT_EQ(b.width, 434);
  EXPECT_EQ(b.height, 245);
  EXPECT_EQ(b.left, (1920 - 434) / 2);
  EXPECT_EQ(b.top, (1080 - 245) / 2);
  f.FormClose();
  EXPECT_EQ(ReadIni(),
            "[BacPac]\nPassword=cameralnk\nIPAddress=10.5.5.9\nVLC=/usr/bin/vlc\n"
            "[Kivo]\nTop=417\nLeft=743\nWidth=434\nHeight=245\nDebug=0\nAutoVAN=0\nShowWiFi=0\n"
            "[Camera]\nHero2=0\nHeroWhite=0\nHeroBlack=0\nHeroSilver=0\nHeroSilverPlus=0\n"
            "HeroBlackPlus=0\n");
}

TEST_F(MainWindow, CreationDisablesTheCameraControlsAndHidesTheDiagnostics) {
  WriteIni("[Kivo]\nDebug=1\n");
  TForm1& f = Create();
  HeadlessRenderer view(f.Model());
  EXPECT_FALSE(view.CanClick("Video1"));  // inside the disabled Mode menu
  EXPECT_FALSE(view.CanClick("PingBtn"));
  EXPECT_TRUE(view.CanClick("About1"));
  EXPECT_FALSE(f.Debug);
  for (const char* name : {"Mode1", "Settings1", "SDCard", "RecordBtn"})
    EXPECT_FALSE(f[name].Enabled()) << name;
  EXPECT_EQ(f["OnBtn"].Caption(), "ON");
  EXPECT_EQ(f["OnBtn"].FontColor(), (Rgb{0x00, 0x80, 0x00}));
  EXPECT_EQ(f["Delta"].Caption(), "");
  EXPECT_EQ(f["BacPacBat"].Caption(), "");
  for (const char* name : kDiagnostic) EXPECT_FALSE(f[name].Visible()) << name;
  EXPECT_TRUE(f["CamPanel"].Visible());
  EXPECT_TRUE(f.BacPacStatusTimer->Enabled());
  EXPECT_TRUE(f.ClockTimer->Enabled());
  f.FormClose();
  EXPECT_NE(ReadIni().find("Debug=0"), std::string::npos);
}

TEST_F(MainWindow, StoredValuesAreReadAndUnknownKeysSurviveASave) {
  WriteIni("; kept\n[bacpac]\nipaddress=192.168.1.7\nPASSWORD=secret\nVLC=/opt/vlc\n"
           "Extra=kept too\n[Kivo]\nWidth=500\nHeight=x12\nAutoVAN=7\n[Status]\nTop=45\n");
  TForm1& f = Create();
  EXPECT_EQ(f.camera_address, "192.168.1.7");
  EXPECT_EQ(f.camera_password, "secret");
  EXPECT_EQ(f.player_path, "/opt/vlc");
  EXPECT_EQ(f["Form1"].GetBounds().width, 500);
  EXPECT_EQ(f["Form1"].GetBounds().height, 245);  // malformed integer reads as the default
  EXPECT_TRUE(f["AutoVAN"].Checked());            // any non-zero integer reads true
  f.FormClose();
  std::string ini = ReadIni();
  EXPECT_EQ(ini.rfind("; kept\n", 0), 0u);
  EXPECT_NE(ini.find("Extra=kept too"), std::string::npos);
  EXPECT_NE(ini.find("[Status]\nTop=45"), std::string::npos);
  EXPECT_NE(ini.find("AutoVAN=1"), std::string::npos);
}

TEST_F(MainWindow, CameraModelFlagsAreSavedEachFromItsOwnFlagAndStick) {
  WriteIni("[Camera]\nHeroBlack=1\n");
  TForm1& f = Create();
  EXPECT_TRUE(f.camera.HeroBlack);
  f.camera.HeroBlackPlus = true;
  TForm1& g = Restart();
  EXPECT_TRUE(g.camera.HeroBlack);
  EXPECT_TRUE(g.camera.HeroBlackPlus);
  EXPECT_FALSE(g.camera.HeroSilverPlus);
  g.FormClose();
  std::string ini = ReadIni();
  // The file's own key keeps its place; the others follow it in the table's order.
  EXPECT_NE(ini.find("[Camera]\nHeroBlack=1\nHero2=0\nHeroWhite=0\nHeroSilver=0\n"
                     "HeroSilverPlus=0\nHeroBlackPlus=1"),
            std::string::npos)
      << ini;
}

TEST_F(MainWindow, AddressDialogSavesAndRestartsThePollWhetherConfirmedOrCancelled) {
  TForm1& f = Create();
  struct Case {
    std::optional<std::string> answer;
    std::string expected_address;
  } cases[] = {{std::nullopt, "10.5.5.9"}, {"10.5.5.1 x&%", "10.5.5.1 x&%"}, {"", ""}};
  for (const Case& c : cases) {
    f.BacPacStatusTimer->SetEnabled(false);
    f.LastReplyLength = 31;
    dialogs_.input_answers.push_back(c.answer);
    std::filesystem::remove(dir_ + "Kivo.ini");
    f.Model().Click("IPAddress1");
    EXPECT_EQ(f.camera_address, c.expected_address);
    EXPECT_EQ(f.LastReplyLength, 0);
    EXPECT_TRUE(f.BacPacStatusTimer->Enabled());
    f.FinishSaves();  // the file is written off the window's thread
    EXPECT_NE(ReadIni().find("IPAddress=" + c.expected_address + "\n"), std::string::npos);
  }
  ASSERT_FALSE(dialogs_.shown.empty());
  EXPECT_EQ(dialogs_.shown[0].text, "Set BacPac IP Address");
  EXPECT_EQ(dialogs_.shown[0].prompt, "IP:");
  EXPECT_EQ(dialogs_.shown[0].initial, "10.5.5.9");
}

TEST_F(MainWindow, PasswordDialogCancelledStillSaves) {
  TForm1& f = Create();
  f.BacPacStatusTimer->SetEnabled(false);
  f.Model().Click("Password1");
  EXPECT_EQ(f.camera_password, "cameralnk");
  EXPECT_TRUE(f.BacPacStatusTimer->Enabled());
  f.FinishSaves();
  EXPECT_NE(ReadIni().find("Password=cameralnk"), std::string::npos);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Set BacPac Password");
  EXPECT_EQ(dialogs_.shown[0].prompt, "Password:");
}

TEST_F(MainWindow, PathToVlcCheckMarkFollowsThePlayerFileEachTimeOptionsOpens) {
  std::string player = dir_ + "vlc";
  WriteIni("[BacPac]\nVLC=" + player + "\n");
  TForm1& f = Create();
  HeadlessRenderer view(f.Model());
  ASSERT_TRUE(view.OpenMenu("Options1"));
  EXPECT_FALSE(f["PathtoVLC1"].Checked());
  std::ofstream(player) << "#!/bin/sh\n";
  view.OpenMenu("Options1");
  EXPECT_TRUE(f["PathtoVLC1"].Checked());
  std::filesystem::remove(player);
  view.OpenMenu("Options1");
  EXPECT_FALSE(f["PathtoVLC1"].Checked());
}

TEST_F(MainWindow, HelpAboutAndOneButtonMode) {
  TForm1& f = Create();
  f.Model().Click("Help2");
  f.Model().Click("Checkfornewerversion1");
  ASSERT_EQ(shell_.urls.size(), 2u);
  EXPECT_EQ(shell_.urls[0], ProductPageUrl());
  EXPECT_EQ(shell_.urls[1], ProductPageUrl());
  f.Model().Click("About1");
  f.Model().Click("OneButtonMode");
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[0].text, std::string("     Kivo version ") + kProgramVersion);
  EXPECT_EQ(dialogs_.shown[1].text, "One Button Mode is not available when WiFi is enabled.");
  EXPECT_FALSE(f["OneButtonMode"].Checked());
}

TEST_F(MainWindow, AFailedSaveIsReportedNotDropped) {
  TForm1& f = Create();
  f.Env().program_dir = dir_ + "missing/folder/";
  f.Model().Click("Password1");
  // The failure comes back to the window's thread from the writer's, once.
  ASSERT_TRUE(loop_.RunUntil([&] { return !errors_.empty(); }, 5000));
  f.FinishSaves();
  loop_.RunFor(20);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("Kivo.ini"), std::string::npos) << errors_[0];
}

TEST_F(MainWindow, AnAddressThatCannotBeResolvedIsSaidOnTheStatusBar) {
  TForm1& f = Create();
  dialogs_.input_answers.push_back(std::string("no-such-camera.invalid"));
  f.Model().Click("IPAddress1");
  const std::string expected = "Unable to resolve no-such-camera.invalid";
  // The name is looked up off the window's thread; each poll of the unreachable camera pings.
  for (int i = 0; i < 300 && f["StatusBar"].Caption() != expected; ++i) {
    loop_.RunFor(10);
    f.BacPacStatusBtnClick();
  }
  EXPECT_EQ(f["StatusBar"].Caption(), expected);
  f.BacPacStatusBtnClick();  // the next poll keeps the remark
  EXPECT_EQ(f["StatusBar"].Caption(), expected);
  EXPECT_EQ(f.camera_address, "no-such-camera.invalid");
  f.FinishSaves();
  EXPECT_NE(ReadIni().find("IPAddress=no-such-camera.invalid\n"), std::string::npos);
}

TEST_F(MainWindow, AHelperProgramThatCannotStartIsNamedOnTheStatusBar) {
  // A PATH holding only what each case installs; the scripted shell fails every start.
  const std::string bin = dir_ + "bin";
  std::filesystem::create_directory(bin);
  const char* old_path = getenv("PATH");
  const std::string saved = old_path ? old_path : "";
  testing::SetEnvForTest("PATH", bin.c_str());
  TForm1& f = Create();
  shell_.result = false;
  f.Model().Click("Help2");
  EXPECT_EQ(f["StatusBar"].Caption(), "Could not start the web browser");
  f.Model().Click("ViewWiFiConnections1");
  EXPECT_EQ(f["StatusBar"].Caption(),
            "Could not start gnome-control-center, nm-connection-editor, x-terminal-emulator");
  const std::string tool = bin + "/nm-connection-editor";
  std::ofstream(tool) << "#!/bin/sh\n";
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  f.Model().Click("ViewWiFiConnections1");
  EXPECT_EQ(f["StatusBar"].Caption(), "Could not start nm-connection-editor");
  testing::SetEnvForTest("PATH", saved.c_str());
}

struct SizeCase {
  const char* name;
  int stored_width, stored_height;
  int screen_left, screen_top, screen_width, screen_height;
  Bounds expected;
};

class WindowSizeTest : public FormFixture, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(WindowSizeTest, StoredSizeIsKeptOnTheScreenAndSavedAsUsed) {
  const SizeCase& c = GetParam();
  WriteIni("[Kivo]\nWidth=" + std::to_string(c.stored_width) + "\nHeight=" +
           std::to_string(c.stored_height) + "\n");
  TForm1& f = Create();
  f.FormShow(c.screen_left, c.screen_top, c.screen_width, c.screen_height);
  EXPECT_EQ(f["Form1"].GetBounds(), c.expected);
  f.FormClose();
  EXPECT_NE(ReadIni().find("Width=" + std::to_string(c.expected.width) + "\nHeight=" +
                           std::to_string(c.expected.height) + "\n"),
            std::string::npos)
      << ReadIni();
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowSizeTest,
    ::testing::Values(SizeCase{"Negative", -5, -5, 0, 0, 1920, 1080, {743, 417, 434, 245}},
                      SizeCase{"Huge", 99999, 99999, 0, 0, 1920, 1080, {0, 0, 1920, 1080}},
                      SizeCase{"Fits", 700, 650, 0, 0, 1920, 1080, {610, 215, 700, 650}},
                      SizeCase{"AreaBesideAPanel", 434, 245, 64, 27, 1856, 1053, {775, 431, 434, 245}},
                      SizeCase{"ScreenSmallerThanTheMinimum", 434, 245, 0, 0, 400, 200, {0, 0, 400, 200}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, WithAFallbackFolderTheCopyBesideTheProgramIsReadUntilTheFirstSave) {
  const std::string exe_dir = dir_ + "exe/";
  const std::string fallback = dir_ + "fallback/";
  std::filesystem::create_directories(exe_dir);
  std::filesystem::create_directories(fallback);
  std::ofstream(exe_dir + "Kivo.ini") << "[BacPac]\nPassword=shipped\n";
  auto make = [&] {
    return std::make_unique<TForm1>(
        FormEnvironment{loop_, clock_, dialogs_, shell_, fallback, "/usr/bin/vlc", exe_dir});
  };
  auto form = make();
  form->FormCreate();
  EXPECT_EQ(form->camera_password, "shipped");
  form->camera_password = "changed";
  form->FormClose();
  form = make();
  form->FormCreate();
  EXPECT_EQ(form->camera_password, "changed");  // the fallback copy wins once it exists
  form.reset();
  std::ifstream in(exe_dir + "Kivo.ini");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "[BacPac]\nPassword=shipped\n");
}

TEST_F(MainWindow, TheEchoGoesToTheHostOfAnAddressWithAPort) {
  TForm1& f = Create();
  const std::pair<const char*, const char*> cases[] = {
      {"127.0.0.1:8080", "127.0.0.1"}, {"camera.test:80", "camera.test"}, {"10.5.5.9", "10.5.5.9"},
      {"10.5.5.9:", "10.5.5.9:"}, {"a:b", "a:b"}};
  for (const auto& [address, host] : cases) {
    f.camera_address = address;
    f.PingBtnClick();
    EXPECT_EQ(f.Ping->Address(), host) << address;
  }
}

TEST_F(MainWindow, ExitAsksTheViewToCloseAndClosingSaves) {
  TForm1& f = Create();
  int close_requests = 0;
  f.OnCloseRequest = [&] {
    ++close_requests;
    f.FormClose();
  };
  f.Model().Click("Exit1");
  EXPECT_EQ(close_requests, 1);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "Kivo.ini"));
}

}  // namespace
}  // namespace kivo

namespace kivo {
namespace {

TEST_F(MainWindow, AnUnresolvableNameReachesTheStatusBarWithinOnePoll) {
  name_lookup_ = [](const std::string&, std::vector<std::string>*) { return 11001; };  // not found
  TForm1& f = Create();
  f.camera_address = "camera.test";
  f.BacPacStatusBtnClick();  // the camera is not reachable yet: the poll pings
  ASSERT_TRUE(loop_.RunUntil(
      [&] { return f.StatusText() == "Unable to resolve camera.test"; }, 5000))
      << f.StatusText();
  EXPECT_FALSE(f.CameraReachable);
}

TEST_F(MainWindow, TheRefusedPasswordTextStaysUntilThePasswordIsChanged) {
  TForm1& f = Create();
  f.HttpCli1DocData(*f.HttpCli1, "403", 3);
  EXPECT_FALSE(f.BacPacStatusTimer->Enabled());
  EXPECT_EQ(f.StatusText(), kPasswordRefusedStatus);
  f.CameraStatusBtnClick();  // what a menu command and a status request do first
  f.SendCommand("camera/VR", "%0a");
  loop_.RunFor(1200);
  EXPECT_EQ(f.StatusText(), kPasswordRefusedStatus);
  dialogs_.input_answers.push_back("right");
  f.Password1Click();
  EXPECT_TRUE(f.BacPacStatusTimer->Enabled());
  EXPECT_EQ(f.camera_password, "right");
}

}  // namespace
}  // namespace kivo
