// The camera clock and the live preview in the main window, with the request pool replaced by
// a fake that records each request and lets the test finish it with a reply file.
#include <filesystem>

#include "camera/clock_text.h"
#include "form_fixture.h"
#include "platform/player_choice.h"

namespace kivo {
namespace {

struct FakePool : RequestPool {
  struct Request {
    std::string method, url;
    RequestCallback done;
  };
  bool GetURL(const std::string& url, RequestCallback done) override {
    requests.push_back({"GET", url, std::move(done)});
    return false;
  }
  bool GetHead(const std::string& url, RequestCallback done) override {
    requests.push_back({"HEAD", url, std::move(done)});
    return false;
  }
  std::vector<Request> requests;
};

class ClockPreview : public FormFixture {
 protected:
  TForm1& Start() {
    TForm1& f = Create();
    f.BacPacStatusTimer->SetEnabled(false);
    f.ClockTimer->SetEnabled(false);
    f.Net = &pool_;
    return f;
  }
  // Completes the latest request with |reply| written to a new file (none when null).
  std::string Finish(const char* reply, std::uint16_t error = 0) {
    const std::string file = dir_ + "TMP" + std::to_string(files_++) + ".txt";
    if (reply) std::ofstream(file, std::ios::binary) << reply;
    const FakePool::Request& r = pool_.requests.back();
    form_->Model().Dispatch([&] { r.done(r.url, file, error); });
    return file;
  }
  // The last command sent, once the command client is idle again.
  std::string Sent() {
    loop_.RunUntil([this] { return form_->HttpCli3->State() == THttpState::Ready; }, 3000);
    form_->TimeOut3->SetEnabled(false);
    std::string url = form_->HttpCli3->URL;
    form_->HttpCli3->URL.clear();
    return url;
  }

  FakePool pool_;
  int files_ = 0;
};

constexpr double kNoon = 41334.5;  // 1 March 2013 12:00:00, the fixture's "now"

TEST_F(ClockPreview, ReadingTheCameraClock) {
  struct Case {
    const char* name;
    const char* reply;  // null: no reply file
    std::uint16_t error;
    bool known;
    const char* delta;
    const char* status;
  } cases[] = {
      {"ninety seconds behind", "HTTP/1.1 200 OK\r\nServer: c\r\nDate: Fri, 01 Mar 2013 11:58:30 GMT\r\n",
       0, true, "- 00:01:30", ""},
      {"ahead, no zone", "HTTP/1.1 200 OK\r\nServer: c\r\nDate: Fri, 01 Mar 2013 12:00:07\r\n", 0,
       true, "+ 00:00:07", ""},
      {"unknown month", "HTTP/1.1 200 OK\r\nServer: c\r\nDate: Fri, 01 Mrz 2013 12:00:00 GMT\r\n",
       0, true, "Incorrect Date", ""},
      {"third line not a date", "HTTP/1.1 200 OK\r\nServer: c\r\nContent-Type: text/html\r\n", 0,
       true, "Incorrect Date", ""},
      {"two lines only", "HTTP/1.1 200 OK\r\nDate: Fri, 01 Mar 2013 12:00:00 GMT\r\n", 0, false, "",
       ""},
      {"time-out", nullptr, 10060, false, "", "Get Time Unable to connect to camera"},
      {"refused", nullptr, 10061, false, "", "Get Time Connection Refused"},
      {"reset", nullptr, 10054, false, "", "Error: 10054"},
  };
  TForm1& f = Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.camera.ClockKnown = false;
    f.ClockOffset = 0;
    f["StatusBar"].SetCaption("");
    f.Model().Click("GetTimeBtn");
    ASSERT_FALSE(pool_.requests.empty());
    EXPECT_EQ(pool_.requests.back().method, "HEAD");
    EXPECT_EQ(pool_.requests.back().url, "http://10.5.5.9:8080/");
    const std::string file = Finish(c.reply, c.error);
    EXPECT_EQ(f.camera.ClockKnown, c.known);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(f["StatusBar"].Caption(), c.status);
    f.ClockTimerTimer();
    EXPECT_EQ(f["Delta"].Caption(), c.delta);
    if (!c.known) { EXPECT_EQ(f["CamDate"].Caption(), "Camera Date"); }
    if (c.reply) {
      // The reply's lines and its exact size.
      const auto& lines = f["ListBox1"].Lines();
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(lines.back(), "Received - " + std::to_string(std::string(c.reply).size()));
      EXPECT_EQ(lines[0], "HTTP/1.1 200 OK");
    }
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ClockPreview, CameraClockTicksFromTheComputerClock) {
  TForm1& f = Start();
  f.ClockTimerTimer();
  EXPECT_EQ(f["CamTime"].Caption(), "Camera Time");
  f.Model().Click("GetTimeBtn");
  Finish("HTTP/1.1 200 OK\r\nServer: c\r\nDate: Fri, 01 Mar 2013 11:58:30 GMT\r\n");
  clock_.AdvanceMs(3000);
  f.ClockTimerTimer();
  EXPECT_EQ(f["CamDate"].Caption(), "Mar 1 2013");
  EXPECT_EQ(f["CamTime"].Caption(), "11:58:33");
  EXPECT_EQ(f["Delta"].Caption(), "- 00:01:30");
}

TEST_F(ClockPreview, SettingTheClock) {
  const TimeZoneBias berlin_summer{-60, 0, -60, true};
  struct Case {
    const char* name;
    const char* click;
    std::optional<std::string> typed;
    TimeZoneBias bias;
    const char* parameter;  // null: nothing sent
    double offset_after;    // the offset was -90 s before
    const char* message;
    const char* error;
  } cases[] = {
      {"local time", "LocalTime1", {}, {}, "0d%03%01%0c%00%00", 0, "", ""},
      {"UTC, summer in Berlin", "UTC1", {}, berlin_summer, "0d%03%01%0a%00%00", -2.0 / 24, "", ""},
      {"UTC, standard time west", "UTC1", {}, {300, 0, -60, false}, "0d%03%01%11%00%00",
       5.0 / 24, "", ""},
      {"custom", "Custom1", "15.12.31 23:59:59", {}, "0f%0c%1f%17%3b%3b", -90.0 / 86400, "", ""},
      {"custom, separators free", "Custom1", "15-12-31_23-59-59", {}, "0f%0c%1f%17%3b%3b",
       -90.0 / 86400, "", ""},
      {"custom cancelled", "Custom1", std::nullopt, {}, nullptr, -90.0 / 86400, "", ""},
      {"custom too short", "Custom1", "15.12.31 23:59:5", {}, nullptr, -90.0 / 86400,
       "Date is not in correct format", ""},
      {"custom not a number", "Custom1", "15.12.3x 23:59:59", {}, nullptr, -90.0 / 86400, "",
       "'3x' is not a valid integer value"},
  };
  TForm1& f = Start();
  f.camera_address = "127.0.0.1:1";  // a refused connection: the command goes nowhere
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clock_.SetBias(c.bias);
    f.ClockOffset = -90.0 / 86400;
    f.camera.ClockKnown = true;
    dialogs_.shown.clear();
    errors_.clear();
    if (std::string(c.click) == "Custom1") dialogs_.input_answers.push_back(c.typed);
    f.Model().Click(c.click);
    EXPECT_EQ(Sent(), c.parameter ? "http://127.0.0.1:1/camera/TM?t=cameralnk&p=%" +
                                        std::string(c.parameter)
                                  : "");
    EXPECT_NEAR(f.ClockOffset, c.offset_after, 1e-9);
    EXPECT_TRUE(f.camera.ClockKnown);
    const bool message = *c.message != 0;
    ASSERT_EQ(dialogs_.shown.size(), (std::string(c.click) == "Custom1") + message);
    if (message) { EXPECT_EQ(dialogs_.shown.back().text, c.message); }
    EXPECT_EQ(errors_.size(), *c.error ? 1u : 0u);
    if (*c.error && !errors_.empty()) { EXPECT_EQ(errors_[0], c.error); }
  }
  ASSERT_FALSE(dialogs_.shown.empty());
  EXPECT_EQ(dialogs_.shown[0].kind, "input");
  EXPECT_EQ(dialogs_.shown[0].text, "Set Camera Date and Time");
  EXPECT_EQ(dialogs_.shown[0].prompt, "yy.mm.dd hh.mm.ss:");
  EXPECT_EQ(dialogs_.shown[0].initial, "13.03.01 12:00:00");
}

TEST_F(ClockPreview, PreviewWaitsForTheStreamThenTestsTheLiveDirectory) {
  TForm1& f = Start();
  f.camera_address = "127.0.0.1:1";
  f["VLCBtn"].SetEnabled(true);
  // Not recording, stream not reported on: ask for it and count down, again and again.
  for (int round = 0; round < 3; ++round) {
    if (round == 0) f.Model().Click("VLCBtn");
    else f.Model().Dispatch([&] { f.PreviewRetryStop(); });
    EXPECT_EQ(Sent(), "http://127.0.0.1:1/camera/PV?t=cameralnk&p=%02");
    EXPECT_TRUE(f.PreviewRetry->Enabled());
    EXPECT_EQ(f.PreviewRetry->Interval(), 2500);
    EXPECT_TRUE(pool_.requests.empty());
  }
  // The count-down itself asks again when it ends.
  ASSERT_TRUE(loop_.RunUntil([&] { return !f.HttpCli3->URL.empty(); }, 5000));
  EXPECT_EQ(Sent(), "http://127.0.0.1:1/camera/PV?t=cameralnk&p=%02");
  EXPECT_TRUE(f.PreviewRetry->Enabled());
  // The status poll has checked the stream: one more ask, then the live directory.
  f["StreamingEnabled"].SetChecked(true);
  f.Model().Dispatch([&] { f.PreviewRetryStop(); });
  EXPECT_EQ(Sent(), "http://127.0.0.1:1/camera/PV?t=cameralnk&p=%02");
  EXPECT_FALSE(f.PreviewRetry->Enabled());
  ASSERT_EQ(pool_.requests.size(), 1u);
  EXPECT_EQ(pool_.requests[0].method, "GET");
  EXPECT_EQ(pool_.requests[0].url, "http://127.0.0.1:1:8080/live/");
  // Recording: no command, the live directory at once, stream flag or not.
  f["StreamingEnabled"].SetChecked(false);
  f["RecordBtn"].SetCaption("Stop");
  f.Model().Click("VLCBtn");
  EXPECT_EQ(Sent(), "");
  EXPECT_FALSE(f.PreviewRetry->Enabled());
  EXPECT_EQ(pool_.requests.size(), 2u);
}

TEST_F(ClockPreview, StreamTestLaunchesThePlayerOnThreeLines) {
  struct Case {
    const char* name;
    const char* reply;
    std::uint16_t error;
    bool debug;
    bool start_fails;
    bool launched;
    bool file_kept;
    const char* status;
  } cases[] = {
      {"three lines", "a\nb\nc", 0, false, false, true, false, ""},
      {"two lines", "a\r\nb\r\n", 0, false, false, false, false, ""},
      {"debug keeps the file", "a\nb\nc\n", 0, true, false, true, true, ""},
      {"time-out", nullptr, 10060, false, false, false, false, "Stream not found [10060]"},
      {"error removes the file", "a\nb\nc\n", 10061, false, false, false, false,
       "Stream not found [10061]"},
      {"error in debug keeps it", "a\nb\nc\n", 10061, true, false, false, true,
       "Stream not found [10061]"},
      {"no file", nullptr, 0, false, false, false, false, ""},
      {"player missing", "a\nb\nc\n", 0, false, true, true, false,
       "Cannot start the player \"/usr/bin/vlc\": missing or not a program (Options > Path to "
       "VLC)"},
  };
  TForm1& f = Start();
  f["RecordBtn"].SetCaption("Stop");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.Debug = c.debug;
    shell_.programs.clear();
    shell_.result = !c.start_fails;
    f["StatusBar"].SetCaption("");
    f.VLCBtnClick();
    const std::string file = Finish(c.reply, c.error);
    EXPECT_EQ(shell_.programs.size(), c.launched ? 1u : 0u);
    if (c.launched && !shell_.programs.empty()) {
      EXPECT_EQ(shell_.programs[0],
                "/usr/bin/vlc http://10.5.5.9:8080/live/amba.m3u8 --qt-minimal-view "
                "--no-qt-name-in-title --scale=2");
    }
    EXPECT_EQ(std::filesystem::exists(file), c.file_kept);
    EXPECT_EQ(f["StatusBar"].Caption(), c.status);
    if (c.reply && !c.error) { EXPECT_EQ(f["ListBox1"].Lines().back(), "TestStream"); }
  }
}

TEST_F(ClockPreview, PlayerChooserAndOptionsCheck) {
  TForm1& f = Start();
  const std::string player = dir_ + "player";
  f.player_path = dir_ + "missing/vlc";
  f.Model().Click("Options1");
  EXPECT_FALSE(f["PathtoVLC1"].Checked());
  dialogs_.open_answers.push_back(std::nullopt);
  f.Model().Click("PathtoVLC1");
  EXPECT_EQ(f.player_path, dir_ + "missing/vlc");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].kind, "open");
  EXPECT_EQ(dialogs_.shown[0].text, "Find vlc.exe");
  EXPECT_EQ(dialogs_.shown[0].prompt, PlayerFileName());  // "vlc", or "vlc.exe" on Windows
  EXPECT_EQ(dialogs_.shown[0].initial, dir_ + "missing");
  std::ofstream(player) << "#!/bin/sh\n";
  dialogs_.open_answers.push_back(player);
  f.Model().Click("PathtoVLC1");
  EXPECT_EQ(f.player_path, player);
  f.Model().Click("Options1");
  EXPECT_TRUE(f["PathtoVLC1"].Checked());
  f.FormClose();
  EXPECT_NE(ReadIni().find("VLC=" + player + "\n"), std::string::npos);
}

TEST_F(ClockPreview, HeaderButtonShowsTheVideosHead) {
  TForm1& f = Start();
  f.Model().Dispatch([&] { f.StreamBtnClick(); });
  ASSERT_EQ(pool_.requests.size(), 1u);
  EXPECT_EQ(pool_.requests[0].method, "HEAD");
  EXPECT_EQ(pool_.requests[0].url, "http://10.5.5.9:8080/videos");
  Finish("HTTP/1.1 301 Moved\r\nLocation: /videos/");
  EXPECT_EQ(f["ListBox1"].Lines(),
            (std::vector<std::string>{"HTTP/1.1 301 Moved", "Location: /videos/", "Received - 38"}));
}

}  // namespace
}  // namespace kivo
