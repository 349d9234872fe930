// What the main window says about this computer's own trouble, as opposed to the camera's: a
// settings file it cannot use (binary data, read-only) and replies the request pool cannot keep
// on a full or missing disk. Each is said once, in words; the camera's state keeps the status bar.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "form_fixture.h"
#include "forms/net_window.h"
#include "net/script_server.h"

namespace kivo {
namespace {

using testing::Script;
using testing::ScriptServer;

constexpr char kCameraOn[] = "Connected Camera is on";

class OwnTrouble : public FormFixture {};

TEST_F(OwnTrouble, SettingsThatCannotBeReadAreSaidAtStart) {
  std::ofstream(dir_ + "Kivo.ini", std::ios::binary)
      << std::string("\x7F" "ELF\x02\x01\x01\0\0\0\x03\0>\0\x01\0\n\x90\xff=", 20);
  ::testing::internal::CaptureStderr();
  TForm1& f = Create();
  const std::string text = dir_ + "Kivo.ini cannot be read as settings: the defaults are used";
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(text), std::string::npos);
  EXPECT_EQ(f["StatusBar"].Caption(), text);
  EXPECT_EQ(f.camera_password, "cameralnk");
}

TEST_F(OwnTrouble, GoodSettingsSayNothing) {
  WriteIni("\xEF\xBB\xBF[BacPac]\r\nPassword=mysecret\r\n");
  TForm1& f = Create();
  EXPECT_EQ(f["StatusBar"].Caption(), "");
  EXPECT_EQ(f.camera_password, "mysecret");  // the byte-order mark hides nothing
  dialogs_.input_answers.push_back("other");
  f.Password1Click();
  f.FinishSaves();  // the file is written off the window's thread
  EXPECT_EQ(f["StatusBar"].Caption(), "");
  const std::string saved = ReadIni();
  EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBF[BacPac]\r\nPassword=other\r\n")) << saved;
  EXPECT_EQ(saved.find("[BacPac]"), saved.rfind("[BacPac]"));
}

TEST_F(OwnTrouble, AReadOnlySettingsFileIsSaidOnceWhenAChangeIsNotKept) {
  WriteIni("[BacPac]\nPassword=cameralnk\n");
  ASSERT_EQ(chmod((dir_ + "Kivo.ini").c_str(), 0444), 0);
  TForm1& f = Create();
  f.BacPacStatusTimer->SetEnabled(false);
  ::testing::internal::CaptureStderr();
  dialogs_.input_answers.push_back("changed");
  f.Password1Click();
  EXPECT_EQ(f["StatusBar"].Caption(),
            dir_ + "Kivo.ini is read-only: changed settings are not kept");
  f.FinishSaves();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("is read-only"), std::string::npos);
  EXPECT_EQ(ReadIni(), "[BacPac]\nPassword=cameralnk\n");
  f.SetStatusText(kCameraOn);  // the next poll
  dialogs_.input_answers.push_back("changed again");
  f.Password1Click();
  EXPECT_EQ(f["StatusBar"].Caption(), kCameraOn);
}

// A full disk: the file is created, but this process may not write a byte to it.
class FullDisk {
 public:
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit none = old_;
    none.rlim_cur = 0;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ok_ = setrlimit(RLIMIT_FSIZE, &none) == 0;
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
  bool ok_ = false;
};

struct PoolTroubleCase {
  const char* name;
  bool missing_work_folder;  // otherwise the disk is full
  const char* what;          // the status bar's words: |what| FOLDER-or-FILE |why|
  const char* file;
  const char* why;
};

class PoolTrouble : public FormFixture, public ::testing::WithParamInterface<PoolTroubleCase> {};

TEST_P(PoolTrouble, IsSaidOnceInWordsAndTheCameraStateStays) {
  const PoolTroubleCase& c = GetParam();
  const std::string work = c.missing_work_folder ? dir_ + "missing/" : dir_;
  const std::string words = c.what + work + c.file + c.why;
  auto form = std::make_unique<TForm1>(
      FormEnvironment{loop_, clock_, dialogs_, shell_, dir_, "/usr/bin/vlc", "", "", work});
  TForm1& f = *form;
  f.Model().OnException = [this](const std::string& text) { errors_.push_back(text); };
  f.FormCreate();
  f.BacPacStatusTimer->SetEnabled(false);
  f.ClockTimer->SetEnabled(false);
  Tnet net(f);
  net.TimeOutAbort->OnTimer = nullptr;
  const std::string head =
      "HTTP/1.0 200 OK\r\nServer: camera\r\nDate: Thu, 21 May 2015 10:00:00 GMT\r\n\r\n";
  std::vector<Script> scripts(6, Script().ReadRequest().Send(head).Close());
  scripts[2] = Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nlive listing\r\n").Close();
  ScriptServer server;
  server.Serve(scripts);
  auto run = [&](bool head_request, const std::string& path, TForm1::PoolCompletion done) {
    ASSERT_FALSE(head_request ? f.PoolHead(server.Url(path), done)
                              : f.PoolGet(server.Url(path), done));
    ASSERT_TRUE(loop_.RunUntil([&] { return net.Flags(1) == Tnet::kFree; }, 5000));
    loop_.RunFor(20);
  };
  auto trouble = [&] {
    std::unique_ptr<FullDisk> full;
    if (!c.missing_work_folder) {
      full = std::make_unique<FullDisk>();
      ASSERT_TRUE(full->ok());
    }
    f.SetStatusText(kCameraOn);
    run(true, "/", &TForm1::GetTimeDone);  // the camera clock, asked at every poll
    EXPECT_EQ(f["StatusBar"].Caption(), words);
    f.SetStatusText(kCameraOn);  // the next poll
    run(true, "/", &TForm1::GetTimeDone);
    EXPECT_EQ(f["StatusBar"].Caption(), kCameraOn);
    run(false, "/live/", &TForm1::StreamTestDone);
    EXPECT_EQ(f["StatusBar"].Caption(), kCameraOn);
    run(true, "/videos", &TForm1::ShowRequestResult);
    EXPECT_EQ(f["StatusBar"].Caption(), kCameraOn);
  };
  trouble();
  EXPECT_FALSE(f.camera.ClockKnown);
  EXPECT_TRUE(shell_.programs.empty());
  if (!c.missing_work_folder) {
    // A reply kept whole again: the next trouble is news, and is said again.
    run(true, "/", &TForm1::GetTimeDone);
    EXPECT_EQ(f["StatusBar"].Caption(), kCameraOn);
    EXPECT_TRUE(f.camera.ClockKnown);
    f.SetStatusText(kCameraOn);
    {
      FullDisk full;
      run(true, "/", &TForm1::GetTimeDone);
    }
    EXPECT_EQ(f["StatusBar"].Caption(), words);
  }
  EXPECT_TRUE(errors_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PoolTrouble,
    ::testing::Values(
        PoolTroubleCase{"WorkFolderThatCannotBeWritten", true, "Cannot create a temporary file in ",
                        "", ": No such file or directory"},
        PoolTroubleCase{"FullDisk", false, "Cannot write the temporary file ", "TMP0001.txt",
                        ": File too large"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo
