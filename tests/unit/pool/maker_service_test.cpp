// The version check and problem reports: what is sent, what the answers do.
#include <cstdlib>

#include "kivo_version.h"
#include "media/maker_service.h"
#include "media/text_lines.h"
#include "pool_fixture.h"
#include "media/web_site.h"

namespace kivo {
namespace {

using testing::Script;
using testing::ScriptServer;

struct VersionCase {
  const char* name;
  const char* body;
  const char* latest;  // nullptr: no offer
};

class VersionAnswer : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionAnswer, OffersOnlyAShortGreaterAnswer) {
  auto latest = NewerVersion(SplitLines(GetParam().body), "0.35");
  if (GetParam().latest) {
    ASSERT_TRUE(latest.has_value());
    EXPECT_EQ(*latest, GetParam().latest);
  } else {
    EXPECT_FALSE(latest.has_value()) << *latest;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, VersionAnswer,
    ::testing::Values(VersionCase{"Same", "0.35\r\n", nullptr},
                      VersionCase{"Newer", "0.36\r\n", "0.36"},
                      VersionCase{"NewerWithoutLineEnd", "1.0", "1.0"},
                      VersionCase{"ShorterButGreaterByCharacter", "0.4\n", "0.4"},
                      VersionCase{"LongerButSmallerByCharacter", "0.100\n", nullptr},
                      VersionCase{"SevenCharactersAreShortEnough", "0.36abc", "0.36abc"},
                      VersionCase{"TenWithLineEndIsTooLong", "0.36abcdef", nullptr},
                      VersionCase{"SecondLineCounts", "0.36\r\nxx\r\n", nullptr},
                      VersionCase{"ErrorPage", "<html>Not found</html>", nullptr},
                      VersionCase{"Empty", "", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MakerService, RequestsCarryTheModelsSeen) {
  CameraState none;
  EXPECT_EQ(VersionCheckUrl("h", VersionModelCode(none)),
            std::string("http://h/Kivo/KivoVersion.php5?V=") + kProgramVersion + "&C=");
  CameraState seen;
  seen.HeroBlack = seen.HeroBlackPlus = seen.Hero2 = true;
  EXPECT_EQ(VersionModelCode(seen), "2BB+");
  EXPECT_EQ(ReportModelLetters(seen), "2B");
  EXPECT_EQ(ProblemReportUrl("h", "", "GetSSID called when busy[    Camera    ]"),
            std::string("http://h/Kivo/Errors.php5?V=") + kProgramVersion + "&C=&msg="
            "GetSSID%20called%20when%20busy%5B%20%20%20%20Camera%20%20%20%20%5D");
}

class ServiceTest : public PoolTest {
 protected:
  void Serve(std::vector<Script> scripts) {
    server_.Serve(std::move(scripts));
    setenv("KIVO_WEB_HOST", ("127.0.0.1:" + std::to_string(server_.port())).c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KIVO_WEB_HOST");
    PoolTest::TearDown();
  }
  ScriptServer server_;
};

class NewerVersionAnswer : public ServiceTest, public ::testing::WithParamInterface<MsgResult> {};

TEST_P(NewerVersionAnswer, OnlyYesOpensTheDownloadPage) {
  const bool yes = GetParam() == MsgResult::kYes;
  Serve({Script().ReadRequest().Send(Reply("0.36\r\n")).Close()});
  dialogs_.message_answers.push_back(GetParam());
  form_->Model().Dispatch([&] { form_->CheckVersion(); });
  loop_.RunUntil([&] { return form_->ServiceReplied; }, 5000);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text,
            std::string("You are using version:   ") + kProgramVersion +
                "\r\rThe latest version is:      0.36\r\r"
            "Download the latest version now?     ");
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::kYesNo);
  if (yes) {
    ASSERT_EQ(shell_.urls.size(), 1u);
    EXPECT_EQ(shell_.urls[0], "http://" + MakerHost() + "/Kivo/index.html#download");
  } else {
    EXPECT_TRUE(shell_.urls.empty());
    EXPECT_TRUE(shell_.programs.empty());
  }
  EXPECT_NE(server_.Received()[0].find(std::string("GET /Kivo/KivoVersion.php5?V=") +
                                      kProgramVersion + "&C= "),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("TMP0001.txt")));
  // The service's host never gets the rate line.
  EXPECT_EQ((*form_)["StatusBar"].Caption().find("received"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(YesAndNo, NewerVersionAnswer,
                         ::testing::Values(MsgResult::kYes, MsgResult::kNo), [](const auto& info) {
                           return info.param == MsgResult::kYes ? "Yes" : "No";
                         });

// Any earlier answer of the service (a problem report's) makes the first showing skip the check.
class FirstShowing : public ServiceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FirstShowing, AsksForTheVersionOnlyWhenTheServiceHasNotReplied) {
  const bool replied_before = GetParam();
  Serve({Script().ReadRequest().Send(Reply("0.35\r\n")).Close()});
  form_->camera_address = "127.0.0.1";  // the first showing's echo stays on this machine
  form_->ServiceReplied = replied_before;
  form_->Model().Dispatch([&] { form_->FormShow(1920, 1080); });
  loop_.RunUntil([&] { return server_.Finished() == 1; }, replied_before ? 300 : 5000);
  EXPECT_EQ(server_.Received().size(), replied_before ? 0u : 1u);
  EXPECT_EQ(LogHas("KivoVersion.php5"), !replied_before);
}

INSTANTIATE_TEST_SUITE_P(Table, FirstShowing, ::testing::Bool(), [](const auto& info) {
  return info.param ? "AfterAnAnswer" : "FirstOfTheRun";
});

TEST_F(ServiceTest, ReportBugsOpensTheContactPage) {
  form_->Model().Click("ReportBugs");
  ASSERT_EQ(shell_.urls.size(), 1u);
  EXPECT_EQ(shell_.urls[0], "http://" + MakerHost() + "/pages/contact-us");
}

TEST_F(ServiceTest, SameMessageIsReportedOnceAndReportsStopAfterAFailure) {
  Serve({Script().ReadRequest().Send(Reply("ok")).Close(),
         Script().ReadRequest().Send(Reply("ok")).Close()});
  form_->camera.HeroWhite = true;
  form_->LogError("Unknown model 99");
  form_->LogError("Unknown model 99");
  form_->LogError("Another fault");
  WaitDone(0);
  loop_.RunUntil([&] { return server_.Finished() == 2; }, 5000);
  loop_.RunFor(100);
  std::vector<std::string> got = server_.Received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_NE(got[0].find(std::string("GET /Kivo/Errors.php5?V=") + kProgramVersion +
                        "&C=W&msg=Unknown%20model%2099%5B"),
            std::string::npos);
  EXPECT_NE(got[1].find("msg=Another%20fault"), std::string::npos);
  EXPECT_TRUE(form_->ServiceReplied);
  EXPECT_EQ(dir_.Read("ErrorLog.txt"), "Unknown model 99\nUnknown model 99\nAnother fault\n");

  // A report that fails switches reports off for the rest of the run.
  server_.Stop();
  setenv("KIVO_WEB_HOST", ("127.0.0.1:" + std::to_string(testing::ClosedPort())).c_str(), 1);
  form_->LogError("Third");
  loop_.RunUntil([&] { return !form_->reports_enabled; }, 5000);
  EXPECT_FALSE(form_->reports_enabled);
  form_->LogError("Fourth");
  EXPECT_FALSE(LogHas("Fourth"));
  EXPECT_EQ((*form_)["StatusBar"].Caption(), "Fourth");
}

}  // namespace
}  // namespace kivo
