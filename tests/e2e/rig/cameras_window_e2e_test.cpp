// The Cameras window with three simulated cameras of three models, each behind its own
// interface (tests/e2e/netns_run.sh --cameras 3), drawn by the headless renderer: a row per
// camera with its model, Record All and Sync Clocks reaching every camera, Download All New into
// a folder per camera, a camera that stops answering said in its row, and the chosen row's
// camera - with its own password from [Cameras] - taking the main window's next status request,
// its pool's requests and Browse's card reading, which no other camera sees. Refuses to run
// anywhere but in that namespace.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "rig_env.h"
#include "forms/cameras_texts.h"
#include "camera/link_texts.h"
#include "forms/browse_window.h"
#include "forms/cameras_window.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/poll_event_loop.h"
#include "platform/shell.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_shell.h"
#include "ui/headless_renderer.h"

namespace kivo {
namespace {

using rig::Env;
using rig::Cameras;
using rig::Control;
using rig::Logged;
using rig::Count;

constexpr int kWaitMs = 15000;

std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (std::size_t tab; (tab = row.find('\t', start)) != std::string::npos; start = tab + 1)
    cells.push_back(row.substr(start, tab - start));
  cells.push_back(row.substr(start));
  return cells;
}

class CamerasWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("KIVO_E2E_NETNS") != "1" || Cameras() != 3)
      GTEST_SKIP() << "runs only inside tests/e2e/netns_run.sh --cameras 3";
    std::random_device seed;
    dir_ = std::filesystem::temp_directory_path() /
           ("kivo-cameras-" + std::to_string(std::mt19937_64(seed())() % 1000000000));
    ASSERT_TRUE(std::filesystem::create_directory(dir_));
    // Camera 3 has a password of its own, kept in its row; the others use the one of [BacPac].
    std::ofstream(dir_ / "Kivo.ini") << "[BacPac]\r\nIPAddress=" << Env("KIVO_CAMSIM_ADDRESS")
                                     << "\r\nPassword=cameralnk\r\n[Cameras]\r\nkcam3=secret3\r\n";
    form_ = std::make_unique<TForm1>(FormEnvironment{loop_, clock_, dialogs_, shell_,
                                                     dir_.generic_string() + "/", "/usr/bin/vlc"});
    form_->Model().OnException = [this](const std::string& text) { errors_.push_back(text); };
    form_->FormCreate();
    form_->download_folder = (dir_ / "media").generic_string();
  }
  void TearDown() override {
    cameras_.reset();
    form_.reset();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  bool RunUntil(const std::function<bool()>& done) { return loop_.RunUntil(done, kWaitMs); }
  std::string Status() { return (*cameras_)["CamerasStatus"].Caption(); }
  // The status line once the command |action| has been answered by every camera.
  std::string Outcome(const std::string& action) {
    EXPECT_TRUE(RunUntil([&] {
      return Status().rfind(action + ":", 0) == 0 && Status() != action + cameras_text::kUnderWay;
    })) << Status();
    return Status();
  }

  std::filesystem::path dir_;
  PollEventLoop loop_;
  FakeClock clock_{41334.5};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<TCamerasForm> cameras_;
  std::vector<std::string> errors_;
};

TEST_F(CamerasWindow, RowsCommandsToAllAndTheMainWindowsCamera) {
  HeadlessRenderer main_view(form_->Model());
  form_->OnCameras = [&] {
    if (!cameras_) cameras_ = std::make_unique<TCamerasForm>(*form_);
    cameras_->Open();
  };
  EXPECT_EQ(form_->Model()["Cameras1"].Caption(), "&Cameras...");
  ASSERT_TRUE(main_view.UserClick("Cameras1"));
  ASSERT_TRUE(cameras_);
  HeadlessRenderer view(cameras_->Model());
  Component& list = (*cameras_)["CameraList"];

  // A row per camera, each read through its own adapter: three models, three rows.
  const std::vector<std::string> models = {"Hero 3 Black", "Hero 3+ Black", "Hero 3 White"};
  ASSERT_TRUE(RunUntil([&] {
    if (list.Lines().size() != 3) return false;
    for (std::size_t i = 0; i < 3; ++i)
      if (Cells(list.Lines()[i])[1] != models[i]) return false;
    return true;
  })) << Status();
  EXPECT_EQ(cameras_->Interfaces(), (std::vector<std::string>{"kcam1", "kcam2", "kcam3"}));
  for (const std::string& row : list.Lines()) {
    const std::vector<std::string> cells = Cells(row);
    ASSERT_EQ(cells.size(), 7u) << row;
    EXPECT_FALSE(cells[2].empty()) << row;  // the mode
    EXPECT_NE(cells[3].find('%'), std::string::npos) << row;
  }
  EXPECT_TRUE(cameras_->Polling());

  // Record All: the record command reaches every camera.
  ASSERT_TRUE(view.UserClick("RecordAllBtn"));
  EXPECT_EQ(Outcome("Record All"), "Record All: kcam1, kcam2, kcam3 done");
  for (int c = 1; c <= 3; ++c)
    EXPECT_EQ(Count(c, "/bacpac/SH?t=" + std::string(c == 3 ? "secret3" : "cameralnk") + "&p=%01"),
              1u) << "camera " << c;
  ASSERT_TRUE(view.UserClick("StopAllBtn"));
  EXPECT_EQ(Outcome("Stop All"), "Stop All: kcam1, kcam2, kcam3 done");

  ASSERT_TRUE(view.UserClick("SyncClocksBtn"));
  EXPECT_EQ(Outcome("Sync Clocks"), "Sync Clocks: kcam1, kcam2, kcam3 done");
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(Count(c, "/camera/TM?"), 1u) << "camera " << c;

  // Download All New: a folder per camera; then nothing is new.
  ASSERT_TRUE(view.UserClick("DownloadAllNewBtn"));
  const std::string downloaded = Outcome("Download All New");
  EXPECT_EQ(downloaded.find("could not"), std::string::npos) << downloaded;
  // Each camera's files in its own folder, as many as the line says.
  for (const char* name : {"kcam1", "kcam2", "kcam3"}) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_ / "media" / name))
      files += entry.is_regular_file();
    EXPECT_GT(files, 0u) << name;
    EXPECT_NE(downloaded.find(std::string(name) + " " + std::to_string(files) + " downloaded"),
              std::string::npos) << downloaded;
  }
  ASSERT_TRUE(view.UserClick("DownloadAllNewBtn"));
  EXPECT_EQ(Outcome("Download All New"),
            "Download All New: kcam1, kcam2, kcam3 nothing new");

  // Camera 2 loses its network: its row says so at the next reading, the others read on, and
  // it comes back when the link does.
  ASSERT_TRUE(Control(2, "link down"));
  ASSERT_TRUE(RunUntil([&] {
    const std::string said = Cells(list.Lines()[1])[1];
    return said == kBacPacTimeoutStatus || said == kNoConnectionStatus;
  })) << list.Lines()[1];
  EXPECT_EQ(Cells(list.Lines()[0])[1], models[0]);
  EXPECT_EQ(Cells(list.Lines()[2])[1], models[2]);
  ASSERT_TRUE(Control(2, "link up"));
  ASSERT_TRUE(RunUntil([&] { return Cells(list.Lines()[1])[1] == models[1]; }))
      << list.Lines()[1];

  // Choosing camera 3 (Enter on its row) binds the main window to kcam3, with its own password.
  list.SetSelection({2});
  cameras_->Model().Activate("CameraList");
  EXPECT_EQ(form_->BoundInterface(), "kcam3");
  EXPECT_EQ(Status(), std::string(cameras_text::kControls) + "kcam3");
  EXPECT_EQ((*cameras_)["Cameras"].Caption(), std::string(cameras_text::kCaptionChosen) + "kcam3");
  // Closing the window stops its reading, so that what follows is the main window's alone.
  cameras_->Close();
  EXPECT_FALSE(cameras_->Polling());
  ASSERT_TRUE(RunUntil([&] { return !cameras_->Busy(); }));  // the last reading finishes
  ASSERT_TRUE(RunUntil([&] { return form_->CameraReachable; }));  // the echo through kcam3
  std::vector<std::size_t> before;
  for (int c = 1; c <= 3; ++c) before.push_back(Logged(c).size());
  form_->Model().Dispatch([&] { form_->BacPacStatusBtnClick(); });
  Component& status_bar = form_->Model()["StatusBar"];
  ASSERT_TRUE(RunUntil([&] { return status_bar.Caption() == "Connected Camera is on"; }))
      << status_bar.Caption();
  loop_.RunFor(TCamerasForm::kPollMs + 500);  // a poll of the closed window would show by now
  EXPECT_EQ(Logged(1).size(), before[0]);
  EXPECT_EQ(Logged(2).size(), before[1]);
  const std::vector<std::string> third = Logged(3);
  ASSERT_GT(third.size(), before[2]);
  EXPECT_EQ(third[before[2]], "/bacpac/se?t=secret3");

  // The pool's requests (the camera clock) and Browse's card reading go the same way.
  Tnet net(*form_);
  form_->camera.ClockKnown = false;
  form_->Model().Dispatch([&] { form_->GetTimeBtnClick(); });
  ASSERT_TRUE(RunUntil([&] { return form_->camera.ClockKnown; }));
  TBrowseForm browse(*form_);
  browse.Model().Dispatch([&] { browse.Open(); });
  ASSERT_TRUE(RunUntil([&] { return !browse.Items().empty(); }));
  EXPECT_EQ(Logged(1).size(), before[0]);
  EXPECT_EQ(Logged(2).size(), before[1]);
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

}  // namespace
}  // namespace kivo
