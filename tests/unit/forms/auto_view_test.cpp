// The poll's "Auto-View when not connected": how often the network list is started while the
// camera does not answer, and what the status bar says meanwhile.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "form_fixture.h"
#include "net/script_server.h"
#include "test_env.h"

namespace kivo {
namespace {

struct AutoViewCase {
  const char* name;
  bool auto_van;           // the menu item's check mark
  bool reopens_in_place;   // the platform's list is one flyout (Windows)
  bool list_open;          // a network list is already open
  bool tool_installed;     // the first tool of the table is on PATH
  bool start_fails;        // the shell cannot start it
  const char* polls;       // one letter per poll: 'u' camera unreachable, 'r' reachable
  int starts;              // network-list starts expected
};

class AutoView : public FormFixture, public ::testing::WithParamInterface<AutoViewCase> {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    const char* path = std::getenv("PATH");
    saved_path_ = path ? path : "";
    bin_ = dir_ + "bin";
    std::filesystem::create_directory(bin_);
    testing::SetEnvForTest("PATH", bin_.c_str());
  }
  void TearDown() override {
    testing::SetEnvForTest("PATH", saved_path_.c_str());
    FormFixture::TearDown();
  }
  void Install(const std::string& program) {
    const std::string file = bin_ + "/" + program;
    std::ofstream(file) << "#!/bin/sh\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
  }

  std::string bin_;
  std::string saved_path_;
};

TEST_P(AutoView, StartsTheListAsOftenAsThePlatformNeeds) {
  const AutoViewCase& c = GetParam();
  if (c.tool_installed) Install(NetworkListTools().front().program);
  TForm1& f = Create();
  f.BacPacStatusTimer->SetEnabled(false);
  f.ClockTimer->SetEnabled(false);
  // Reachable polls ask a port that nothing listens on, on this machine.
  f.camera_address = "127.0.0.1:" + std::to_string(testing::ClosedPort());
  shell_.result = !c.start_fails;
  f["AutoVAN"].SetChecked(c.auto_van);
  f.network_list_reopens_in_place = c.reopens_in_place;
  f.network_list_showing = [&] { return c.list_open; };
  for (const char* poll = c.polls; *poll; ++poll) {
    f.CameraReachable = *poll == 'r';
    f.BacPacStatusBtnClick();
    if (*poll == 'u') {
      EXPECT_EQ(f["StatusBar"].Caption(), "Not connected to camera") << poll - c.polls;
    }
    loop_.RunFor(5);
  }
  EXPECT_EQ(static_cast<int>(shell_.programs.size()), c.starts);
  for (const std::string& started : shell_.programs)
    EXPECT_EQ(started.substr(0, started.find(' ')), NetworkListTools().front().program);
}

TEST_F(AutoView, AListClosedDuringAnAbsenceLeavesItsChanceForTheNextPoll) {
  Install(NetworkListTools().front().program);
  TForm1& f = Create();
  f.BacPacStatusTimer->SetEnabled(false);
  f.ClockTimer->SetEnabled(false);
  f["AutoVAN"].SetChecked(true);
  f.network_list_reopens_in_place = false;
  bool open = true;  // left open from before the camera went missing
  f.network_list_showing = [&] { return open; };
  f.CameraReachable = false;
  f.BacPacStatusBtnClick();
  EXPECT_TRUE(shell_.programs.empty());
  open = false;  // the user closes it; the camera is still away
  f.BacPacStatusBtnClick();
  EXPECT_EQ(shell_.programs.size(), 1u);
  f.BacPacStatusBtnClick();
  EXPECT_EQ(shell_.programs.size(), 1u) << "once per absence";
}

INSTANTIATE_TEST_SUITE_P(
    Table, AutoView,
    ::testing::Values(
        AutoViewCase{"OncePerAbsence", true, false, false, true, false, "uuuu", 1},
        AutoViewCase{"AgainOnlyAfterReachedAndLost", true, false, false, true, false, "uurruuu", 2},
        AutoViewCase{"ReachedOnlyOpensNothing", true, false, false, true, false, "rrr", 0},
        AutoViewCase{"NotWhileAListIsOpen", true, false, true, true, false, "uuruu", 0},
        AutoViewCase{"AFailedStartIsTriedOncePerAbsence", true, false, false, true, true, "uuu", 1},
        AutoViewCase{"NoToolKeepsTheStatusLine", true, false, false, false, false, "uuruu", 0},
        AutoViewCase{"OnEveryPollWhereTheListReopensInPlace", true, true, false, true, false,
                     "uuru", 3},
        AutoViewCase{"AnOpenListDoesNotMatterWhereItReopensInPlace", true, true, true, true, false,
                     "uu", 2},
        AutoViewCase{"UncheckedOpensNothing", false, true, false, true, false, "uuu", 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo
