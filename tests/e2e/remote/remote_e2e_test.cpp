// One session of a user with a camera, start to finish, on the camera's real address inside
// the namespace that tests/e2e/netns_run.sh made (the test refuses to run anywhere else).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "camera/bacpac_status.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "ui/headless_renderer.h"
#include "forms/main_window.h"

namespace kivo {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// One line to the simulator's control port; returns its answer.
std::string Control(const std::string& line) {
  std::string where = Env("KIVO_CAMSIM_CONTROL");
  size_t colon = where.rfind(':');
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(std::stoi(where.substr(colon + 1))));
  inet_pton(AF_INET, where.substr(0, colon).c_str(), &addr.sin_addr);
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval tv{3, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    std::string out = line + "\n";
    if (write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size())) {
      char c;
      while (read(fd, &c, 1) == 1 && c != '\n') answer += c;
    }
  }
  close(fd);
  return answer;
}

std::vector<std::string> LoggedTargets() {
  std::ifstream in(Env("KIVO_CAMSIM_LOG"));
  std::vector<std::string> out;
  std::string line;
  while (std::getline(in, line)) {
    size_t a = line.find(' '), b = line.find(' ', a + 1), c = line.find(' ', b + 1);
    if (c != std::string::npos) out.push_back(line.substr(c + 1));
  }
  return out;
}

bool Logged(const std::string& target) {
  auto targets = LoggedTargets();
  return std::find(targets.begin(), targets.end(), target) != targets.end();
}

class RemoteSession : public ::testing::Test {
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
    view_.reset();
    form_.reset();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  // Runs the program until |done|, failing the test after |seconds|.
  bool WaitFor(const std::function<bool()>& done, int seconds, const char* what) {
    bool ok = loop_.RunUntil(done, seconds * 1000);
    EXPECT_TRUE(ok) << "waited " << seconds << " s for: " << what << " (status bar: \""
                    << Status() << "\")";
    return ok;
  }
  // A user's click while the previous command still waits for its reply meets the busy error,
  // as it would on a real camera; a careful user waits for the reply.
  void Click(const char* name) {
    WaitFor([this] { return form_->HttpCli3->State() == THttpState::Ready; }, 3, "command channel free");
    EXPECT_TRUE(view_->UserClick(name)) << name << " cannot be clicked";
  }
  std::string Status() { return (*form_)["StatusBar"].Caption(); }
  Component& operator[](const char* name) { return (*form_)[name]; }

  std::string dir_;
  PollEventLoop loop_;
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<HeadlessRenderer> view_;
  std::vector<std::string> errors_;
};

TEST_F(RemoteSession, FromStartToRecoveryAfterTheCameraWasUnplugged) {
  TForm1& f = *form_;
  f.FormCreate();
  f.FormShow(1280, 1024);  // pings the camera; the answer comes later
  ASSERT_TRUE(WaitFor([&] { return f.CameraReachable; }, 3, "echo answered"));
  EXPECT_EQ(f["PingBtn"].Caption(), "Ping =1");

  // The first poll, 5 s after start: the camera is off.
  ASSERT_TRUE(WaitFor([&] { return Status() == "Connected Camera is off"; }, 8, "camera off"));
  EXPECT_EQ(f["OnBtn"].Caption(), "ON");
  EXPECT_TRUE(f["OnBtn"].Enabled());
  EXPECT_FALSE(f["Mode1"].Enabled());

  // ON powers it; the next poll enables the menus and reads the camera status.
  Click("OnBtn");
  EXPECT_TRUE(WaitFor([] { return Logged("/bacpac/PW?t=cameralnk&p=%01"); }, 3, "PW 01"));
  ASSERT_TRUE(WaitFor([&] { return f["OnBtn"].Caption() == "OFF" && f["ModeL"].Caption() != "-----"; },
                      8, "camera on"));
  EXPECT_TRUE(f["Mode1"].Enabled());
  EXPECT_TRUE(f["Settings1"].Enabled());
  EXPECT_TRUE(f["SDCard"].Enabled());
  EXPECT_EQ(f["CamPanel"].Caption(), "    Hero 3 Black   ");
  EXPECT_TRUE(Logged("/camera/se?t=cameralnk"));
  EXPECT_TRUE(WaitFor([] { return Logged("/camera/PV?t=cameralnk&p=%02"); }, 3, "PV 02"));

  // A menu pick reaches the camera as its URL; its check mark follows on the next poll.
  Click("N72060T1");
  EXPECT_TRUE(WaitFor([] { return Logged("/camera/VR?t=cameralnk&p=%0a"); }, 3, "VR 0a"));
  EXPECT_TRUE(WaitFor([&] { return f["N72060T1"].Checked(); }, 8, "720-60 T checked"));

  // Record, then stop.
  Click("RecordBtn");
  EXPECT_TRUE(WaitFor([] { return Logged("/bacpac/SH?t=cameralnk&p=%01"); }, 3, "SH 01"));
  EXPECT_EQ(f.BacPacStatusTimer->Interval(), 1000);
  ASSERT_TRUE(WaitFor([&] { return f["RecordBtn"].Caption() == "Stop"; }, 8, "recording"));
  Click("RecordBtn");
  EXPECT_TRUE(WaitFor([] { return Logged("/bacpac/SH?t=cameralnk&p=%00"); }, 3, "SH 00"));
  EXPECT_EQ(f["RecordBtn"].Caption(), "Record");
  EXPECT_EQ(f.BacPacStatusTimer->Interval(), 2000);
  EXPECT_TRUE(WaitFor([&] { return f["Videos"].Caption() != "-----" && f["Videos"].Caption() != "0"; },
                      8, "the new video counted"));

  // Wrong password: the message once, and no polling until the password dialog.
  Control("fault wrongpass");
  ASSERT_TRUE(WaitFor([&] { return !dialogs_.shown.empty(); }, 8, "refusal message"));
  EXPECT_EQ(dialogs_.shown[0].text, "Connection Refused. Check Password...");
  EXPECT_FALSE(f.BacPacStatusTimer->Enabled());
  size_t polls = LoggedTargets().size();
  loop_.RunFor(4500);
  EXPECT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(LoggedTargets().size(), polls);
  // A menu command meanwhile leaves the explanation on the status bar.
  EXPECT_EQ(Status(), kPasswordRefusedStatus);
  Click("N72060T1");
  loop_.RunFor(1500);
  EXPECT_EQ(Status(), kPasswordRefusedStatus);
  Control("fault none");
  Click("Password1");  // cancelled: the poll starts again all the same
  EXPECT_TRUE(f.BacPacStatusTimer->Enabled());
  EXPECT_TRUE(WaitFor([&] { return LoggedTargets().size() > polls; }, 5, "polling again"));

  // A silent camera.
  Control("fault silent");
  EXPECT_TRUE(WaitFor([&] { return Status() == "BacPac timeout"; }, 8, "BacPac timeout"));
  Control("fault none");
  EXPECT_TRUE(WaitFor([&] { return Status() == "Connected Camera is on"; }, 8, "answering again"));

  // Unplugged: pings fail and the window says so; plugged back, it recovers by itself.
  Control("unplug");
  EXPECT_TRUE(WaitFor([&] { return Status() == "Not connected to camera"; }, 15, "not connected"));
  EXPECT_FALSE(f.CameraReachable);
  Control("plug");
  EXPECT_TRUE(WaitFor([&] { return Status() == "Connected Camera is on"; }, 15, "recovered"));
  EXPECT_TRUE(f.CameraReachable);
  // What the user read in the status bar, in order, includes each stage of the session.
  std::vector<std::string> seen = view_->StatusHistory();
  for (const char* line : {"Connected Camera is off", "Connected Camera is on", "BacPac timeout",
                           "Not connected to camera"})
    EXPECT_NE(std::find(seen.begin(), seen.end(), line), seen.end()) << line;
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

}  // namespace
}  // namespace kivo
