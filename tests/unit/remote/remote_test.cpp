#include "remote_fixture.h"
#include "media/web_site.h"

namespace kivo {
namespace {

using camsim::testing::Camsim;
using Remote = RemoteFixture;

TEST_F(Remote, EveryKindOfCommandReachesTheCameraAsItsExactUrl) {
  Camsim sim;
  Attach(sim);
  (*this)["OnBtn"].SetEnabled(true);  // as the first BacPac record would
  struct Case {
    const char* name;
    std::function<void()> prepare;
    const char* click;
    const char* target;  // nullptr: nothing is sent
  } cases[] = {
      {"power on", [] {}, "OnBtn", "/bacpac/PW?t=cameralnk&p=%01"},
      {"power off", [this] { (*this)["OnBtn"].SetCaption("OFF"); }, "OnBtn",
       "/bacpac/PW?t=cameralnk&p=%00"},
      {"other caption sends nothing", [this] { (*this)["OnBtn"].SetCaption("On"); }, "OnBtn",
       nullptr},
      {"video mode", [] {}, "Video1", "/camera/CM?t=cameralnk&p=%00"},
      {"protune from unchecked", [] {}, "Protune1", "/camera/PT?t=cameralnk&p=%01"},
      {"protune from checked", [this] { (*this)["Protune1"].SetChecked(true); }, "Protune1",
       "/camera/PT?t=cameralnk&p=%00"},
      {"orientation up", [this] { (*this)["Orientation1"].SetCaption("&Orientation Up"); },
       "Orientation1", "/camera/UP?t=cameralnk&p=%00"},
      {"interval 30 s", [] {}, "N30second1", "/camera/TI?t=cameralnk&p=%1e"},
      {"video 720-60", [] {}, "N72060T1", "/camera/VR?t=cameralnk&p=%0a"},
      {"photo 10 MP", [] {}, "N10MPWide3680x23401", "/camera/PR?t=cameralnk&p=%08"},
      {"delete last", [] {}, "DeleteLast1", "/camera/DL?t=cameralnk"},
      {"delete all", [] {}, "DeleteAll1", "/camera/DA?t=cameralnk"},
      {"streaming on", [] {}, "StreamingEnabled", "/camera/PV?t=cameralnk&p=%02"},
      {"camera name", [this] { dialogs_.input_answers.push_back("MyCam"); }, "SSID1",
       "/camera/CN?t=cameralnk&p=%09MyCam"},
      {"camera name with delimiters",
       [this] { dialogs_.input_answers.push_back("my cam&t=x?y#z"); }, "SSID1",
       "/camera/CN?t=cameralnk&p=%09my%20cam%26t%3Dx%3Fy%23z"},
      {"camera name cancelled", [] {}, "SSID1", nullptr},
      {"one hour or more", [] {}, "Greaterthan60seconds1", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t before = Targets(sim).size();
    c.prepare();
    form_->Model().Click(c.click);
    Settle();
    std::vector<std::string> targets = Targets(sim);
    if (!c.target) {
      EXPECT_EQ(targets.size(), before);
      continue;
    }
    ASSERT_EQ(targets.size(), before + 1);
    EXPECT_EQ(targets.back(), c.target);
    EXPECT_GT(form_->LastReplyLength, 0);
  }
  EXPECT_TRUE(errors_.empty());
  ASSERT_EQ(shell_.urls.size(), 1u);
  EXPECT_EQ(shell_.urls[0], TimeLapsePageUrl());
}

TEST_F(Remote, StoppingTheRecordingSlowsThePollAndResetsTheButton) {
  Camsim sim;
  Attach(sim);
  (*this)["RecordBtn"].SetEnabled(true);
  form_->Model().Click("RecordBtn");
  Settle();
  EXPECT_EQ(form_->BacPacStatusTimer->Interval(), 1000);
  (*this)["RecordBtn"].SetCaption("Stop");
  form_->Model().Click("RecordBtn");
  Settle();
  std::vector<std::string> targets = Targets(sim);
  ASSERT_GE(targets.size(), 2u);
  EXPECT_EQ(targets[targets.size() - 2], "/bacpac/SH?t=cameralnk&p=%01");
  EXPECT_EQ(targets.back(), "/bacpac/SH?t=cameralnk&p=%00");
  EXPECT_EQ(form_->BacPacStatusTimer->Interval(), 2000);
  EXPECT_EQ((*this)["RecordBtn"].Caption(), "Record");
  EXPECT_FALSE((*this)["RecordBtn"].Enabled());
}

TEST_F(Remote, PollMirrorsTheCameraAndAMenuPickShowsOnTheNextPoll) {
  Camsim sim;
  Attach(sim);
  Poll();
  EXPECT_EQ((*this)["OnBtn"].Caption(), "OFF");
  EXPECT_TRUE((*this)["OnBtn"].Enabled());
  EXPECT_TRUE((*this)["Mode1"].Enabled());
  EXPECT_TRUE((*this)["Settings1"].Enabled());
  EXPECT_TRUE((*this)["SDCard"].Enabled());
  EXPECT_EQ((*this)["CamPanel"].Caption(), "    Hero 3 Black   ");
  EXPECT_TRUE(form_->camera.HeroBlack);
  EXPECT_EQ((*this)["StatusBar"].Caption(), "Connected Camera is on");
  EXPECT_TRUE((*this)["Video1"].Checked());
  EXPECT_EQ((*this)["CamBat"].Caption().rfind("Battery: ", 0), 0u);
  std::vector<std::string> targets = Targets(sim);
  ASSERT_GE(targets.size(), 2u);
  EXPECT_EQ(targets[0], "/bacpac/se?t=cameralnk");
  EXPECT_EQ(targets[1], "/camera/se?t=cameralnk");
  if (!(*this)["StreamingEnabled"].Checked()) {
    EXPECT_NE(std::find(targets.begin(), targets.end(), "/camera/PV?t=cameralnk&p=%02"),
              targets.end());
  }

  form_->Model().Click("N108024T1");
  Settle();
  EXPECT_FALSE((*this)["N108024T1"].Checked());  // only the next poll moves the check mark
  Poll();
  EXPECT_TRUE((*this)["N108024T1"].Checked());
  Poll();  // the mode caption reads the previous record's check marks
  EXPECT_EQ((*this)["ModeL"].Caption(), "Video 1080-24 T");
  EXPECT_TRUE((*this)["Protune1"].Checked());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(Remote, APollThatFindsNothingNewChangesNoMarkAndNoModeCaption) {
  Camsim sim;
  Attach(sim);
  form_->Model().Click("N108024T1");  // a Protune mode: its mark comes from the video mode
  Settle();
  Poll();
  Poll();  // the mode caption follows the previous record's marks
  ASSERT_TRUE((*this)["Protune1"].Checked());
  std::vector<std::string> changed;
  const auto id = form_->Model().Subscribe([&](Component& c, Property what) {
    if (what == Property::kChecked || c.Name() == "ModeL" || c.Name() == "Mode2L")
      changed.push_back(c.Name());
  });
  Poll();
  form_->Model().Unsubscribe(id);
  EXPECT_TRUE(changed.empty()) << changed.front() << " and " << changed.size() - 1 << " more";
  EXPECT_EQ((*this)["ModeL"].Caption(), "Video 1080-24 T");
}

TEST_F(Remote, CameraOffShowsOnAndTheOnButtonPowersItUp) {
  Camsim sim({"--power", "off"});
  Attach(sim);
  Poll();
  EXPECT_EQ((*this)["OnBtn"].Caption(), "ON");
  EXPECT_EQ((*this)["StatusBar"].Caption(), "Connected Camera is off");
  EXPECT_FALSE((*this)["Mode1"].Enabled());
  EXPECT_TRUE((*this)["OnBtn"].Enabled());
  form_->Model().Click("OnBtn");
  Settle();
  Poll();
  EXPECT_EQ((*this)["OnBtn"].Caption(), "OFF");
  EXPECT_EQ((*this)["StatusBar"].Caption(), "Connected Camera is on");
  EXPECT_TRUE((*this)["Settings1"].Enabled());
}

TEST_F(Remote, WrongPasswordStopsThePollUntilThePasswordIsSetAgain) {
  Camsim sim;
  Attach(sim);
  form_->BacPacStatusTimer->SetEnabled(true);
  sim.Control("fault wrongpass");
  Poll();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Connection Refused. Check Password...");
  EXPECT_FALSE(form_->BacPacStatusTimer->Enabled());
  EXPECT_EQ((*this)["OnBtn"].Caption(), "ON");  // nothing else changed
  sim.Control("fault none");
  dialogs_.input_answers.push_back("cameralnk");
  form_->Model().Click("Password1");
  EXPECT_TRUE(form_->BacPacStatusTimer->Enabled());
  form_->BacPacStatusTimer->SetEnabled(false);
  Poll();
  EXPECT_EQ((*this)["OnBtn"].Caption(), "OFF");
}

TEST_F(Remote, ATypedPasswordReachesTheCameraByteForByte) {
  Camsim sim;
  Attach(sim);
  // Sent raw, "&p=%01" would end the password and the camera would take "cameralnk".
  form_->camera_password = "cameralnk&p=%01";
  Poll();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Connection Refused. Check Password...");
  EXPECT_EQ(Targets(sim).back(), "/bacpac/se?t=cameralnk%26p%3D%2501");
  // A password with a blank and "&" works once the camera has it.
  sim.Control("set password my%20pass&word");
  form_->camera_password = "my pass&word";
  form_->BacPacStatusTimer->SetEnabled(false);
  Poll();
  EXPECT_EQ((*this)["StatusBar"].Caption(), "Connected Camera is on");
  const std::vector<std::string> targets = Targets(sim);
  for (const char* target : {"/bacpac/se?t=my%20pass%26word", "/camera/se?t=my%20pass%26word"})
    EXPECT_NE(std::find(targets.begin(), targets.end(), target), targets.end()) << target;
}

TEST_F(Remote, ASecondCommandBeforeTheReplyIsRefusedWithTheBusyError) {
  Camsim sim({"--fault", "delay 400"});
  Attach(sim);
  form_->Model().Click("Video1");
  form_->Model().Click("Photo1");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "HTTP component is busy");
  Settle();
  std::vector<std::string> targets = Targets(sim);
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0], "/camera/CM?t=cameralnk&p=%00");
  form_->Model().Click("Photo1");  // after the reply the channel is free again
  Settle();
  EXPECT_EQ(Targets(sim).back(), "/camera/CM?t=cameralnk&p=%01");
  EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(Remote, SilentCameraGivesCommandAndBacPacTimeouts) {
  Camsim sim;
  Attach(sim);
  Poll();
  ASSERT_GT(form_->LastReplyLength, 0);
  sim.Control("fault silent");
  form_->Model().Click("Video1");
  loop_.RunFor(2300);
  EXPECT_EQ((*this)["StatusBar"].Caption(), "Command Timeout");
  EXPECT_EQ(form_->HttpCli3->State(), THttpState::Ready);
  form_->Model().Dispatch([this] { form_->BacPacStatusBtnClick(); });
  loop_.RunFor(1300);
  EXPECT_EQ((*this)["StatusBar"].Caption(), "BacPac timeout");
}

TEST_F(Remote, RefusedConnectionsEndThePollWithNoConnection) {
  Camsim sim;
  Attach(sim);
  sim.Control("fault refuse");
  Poll();
  EXPECT_EQ((*this)["StatusBar"].Caption(), "No connection to Camera");
}

}  // namespace
}  // namespace kivo
