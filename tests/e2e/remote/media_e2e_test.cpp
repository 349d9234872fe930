// The SD card menu, the Download button and the Wi-Fi monitor end to end: the real window logic
// with the real request pool, sockets and timers against the simulated camera on its real
// address inside the namespace that tests/e2e/netns_run.sh made; the Wi-Fi query script runs
// for real, with a stand-in nmcli in front of the PATH.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "ui/headless_renderer.h"
#include "forms/main_window.h"
#include "forms/net_window.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

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

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Pages and programs are only recorded; the Wi-Fi query script really runs.
class ScriptRunningShell : public ScriptedShell {
 public:
  bool StartScript(const std::string& path) override {
    ScriptedShell::StartScript(path);
    return system_.StartScript(path);
  }

 private:
  SystemShell system_;
};

// Every file below |root| but outside |skip|, with its contents, as one digest.
std::size_t TreeDigest(const fs::path& root, const fs::path& skip) {
  std::string all;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    if (it->path() == skip) {
      it.disable_recursion_pending();
      continue;
    }
    all += it->path().string() + '\n';
    if (it->is_regular_file()) all += ReadAll(it->path()) + '\n';
  }
  return std::hash<std::string>{}(all);
}

class MediaSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("KIVO_E2E_NETNS") != "1") GTEST_SKIP() << "runs only inside tests/e2e/netns_run.sh";
    char pattern[] = "/tmp/kivo-e2e-media-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    // Deep enough that "../../x" from the program folder still lands inside the root.
    dir_ = root_ / "a" / "b" / "prog";
    fs::create_directories(dir_);
    fs::create_directories(root_ / "bin");
    std::ofstream(root_ / "a" / "x") << "a neighbour's file\n";
    std::ofstream(root_ / "bin" / "nmcli")
        << "#!/bin/sh\ncase \"$*\" in\n"
           "  *TYPE,STATE*) echo wifi:connected ;;\n"
           "  *ACTIVE,SIGNAL,SSID*) cat \"$(dirname \"$0\")/wifi-list\" ;;\n"
           "esac\n";
    fs::permissions(root_ / "bin" / "nmcli", fs::perms::owner_all);
    SetWiFi("no:70:Neighbour\nyes:88:GP12345678\n");
    setenv("PATH", ((root_ / "bin").string() + ":" + Env("PATH")).c_str(), 1);
  }
  void TearDown() override {
    net_.reset();
    view_.reset();
    form_.reset();
    if (!root_.empty()) fs::remove_all(root_);
  }
  void SetWiFi(const std::string& list) { std::ofstream(root_ / "bin" / "wifi-list") << list; }
  TForm1& Start(const std::string& ini) {
    std::ofstream(dir_ / "Kivo.ini") << ini;
    form_ = std::make_unique<TForm1>(FormEnvironment{loop_, SystemClock::Instance(), dialogs_,
                                                     shell_, dir_.string() + "/", "/usr/bin/vlc"});
    form_->Model().OnException = [this](const std::string& e) { errors_.push_back(e); };
    view_ = std::make_unique<HeadlessRenderer>(form_->Model());
    form_->FormCreate();
    net_ = std::make_unique<Tnet>(*form_);
    form_->FormShow(1280, 1024);
    return *form_;
  }
  bool WaitFor(const std::function<bool()>& done, int seconds, const char* what) {
    bool ok = loop_.RunUntil(done, seconds * 1000);
    EXPECT_TRUE(ok) << "waited " << seconds << " s for: " << what << " (status bar: \""
                    << (*form_)["StatusBar"].Caption() << "\")";
    return ok;
  }
  void Click(const char* name) {
    WaitFor([this] { return form_->HttpCli3->State() == THttpState::Ready; }, 3, "channel free");
    EXPECT_TRUE(view_->UserClick(name)) << name << " cannot be clicked";
  }
  std::string Photos() { return (*form_)["Photos"].Caption(); }
  // Photo mode, then one shot; waits until the next poll counts it.
  void ShootPhoto() {
    TForm1& f = *form_;
    ASSERT_TRUE(WaitFor([&] { return f["Photos"].Caption() != "-----"; }, 10, "camera status"));
    const int before = std::stoi(Photos());
    if (!f["Photo1"].Checked()) {
      Click("Photo1");
      ASSERT_TRUE(WaitFor([&] { return f["Photo1"].Checked() && f["RecordBtn"].Enabled(); }, 8,
                          "photo mode"));
    }
    Click("RecordBtn");
    ASSERT_TRUE(
        WaitFor([&] { return Photos() == std::to_string(before + 1); }, 8, "photo counted"));
  }
  // Diagnostics mode, as a developer's build would have it: the Download button shows.
  void DebugMode() {
    form_->Debug = true;
    (*form_)["DownloadBtn"].SetVisible(true);
  }
  std::vector<std::string> ProgramFiles() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    return names;
  }

  fs::path root_;
  fs::path dir_;
  PollEventLoop loop_;
  ScriptedDialogs dialogs_;
  ScriptRunningShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<HeadlessRenderer> view_;
  std::unique_ptr<Tnet> net_;
  std::vector<std::string> errors_;
};

TEST_F(MediaSession, WiFiCaptionDownloadAndTheSdCardMenu) {
  TForm1& f = Start("[Kivo]\nShowWiFi=1\n");
  ASSERT_TRUE(WaitFor(
      [&] { return f["Form1"].Caption() == "Kivo - connected to GP12345678 - 88%"; }, 5,
      "Wi-Fi caption"));
  EXPECT_EQ(f.network_name, "GP12345678");

  ShootPhoto();
  ShootPhoto();
  const int photos = std::stoi(Photos());

  DebugMode();
  Click("DownloadBtn");
  ASSERT_TRUE(WaitFor([&] { return !dialogs_.shown.empty(); }, 8, "download message"));
  const std::string message = dialogs_.shown[0].text;
  const std::string marker = " downloaded as ";
  ASSERT_NE(message.find(marker), std::string::npos) << message;
  const std::string photo = message.substr(0, message.find(marker));
  const std::string stored = message.substr(message.find(marker) + marker.size());
  EXPECT_EQ(photo.substr(0, 4), "GOPR");
  // The embedded date "YYYY-MM-DD HH-MM-SS.jpg", and the bytes the camera serves.
  ASSERT_EQ(stored.size(), 23u) << stored;
  EXPECT_EQ(stored.substr(19), ".jpg");
  EXPECT_EQ(ReadAll(dir_ / stored).substr(0, 2), "\xff\xd8");
  int kept_listings = 0;
  for (const std::string& name : ProgramFiles()) kept_listings += name.rfind("TMP", 0) == 0;
  EXPECT_EQ(kept_listings, 1);  // debug mode keeps the listing

  Click("DeleteLast1");
  EXPECT_TRUE(WaitFor([&] { return Photos() == std::to_string(photos - 1); }, 8, "one deleted"));
  Click("DeleteAll1");
  EXPECT_TRUE(WaitFor([&] { return Photos() == "0"; }, 8, "all deleted"));

  Click("View1");
  ASSERT_FALSE(shell_.urls.empty());
  EXPECT_EQ(shell_.urls.back(), "http://10.5.5.9:8080");

  // The next query, 16 s on, follows the network.
  SetWiFi("yes:54:Other Net\n");
  EXPECT_TRUE(WaitFor(
      [&] { return f["Form1"].Caption() == "Kivo - connected to Other Net - 54%"; }, 25,
      "caption follows"));
  Click("ShowWiFiConn");
  EXPECT_EQ(f["Form1"].Caption(), "Kivo");
  EXPECT_FALSE(f.GetSSIDTimer->Enabled());
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(MediaSession, HostileListingAndPhotoStayInTheProgramFolder) {
  Start("[Kivo]\nShowWiFi=0\n");
  ShootPhoto();
  ASSERT_EQ(Control("fault hostile 8080").substr(0, 2), "ok");
  const std::size_t before = TreeDigest(root_, dir_);
  DebugMode();
  Click("DownloadBtn");
  ASSERT_TRUE(WaitFor([&] { return !dialogs_.shown.empty(); }, 8, "download message"));
  Control("fault none");
  const std::string message = dialogs_.shown[0].text;
  // The hostile first row is passed over; the photo keeps the pool's temporary name.
  EXPECT_EQ(message.substr(0, 4), "GOPR") << message;
  EXPECT_EQ(message.substr(message.size() - 4), ".txt") << message;
  EXPECT_EQ(TreeDigest(root_, dir_), before);
  for (const std::string& name : ProgramFiles())
    EXPECT_TRUE(name.rfind("TMP", 0) == 0 || name == "Kivo.ini" || name == "ErrorLog.txt") << name;
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

}  // namespace
}  // namespace kivo
