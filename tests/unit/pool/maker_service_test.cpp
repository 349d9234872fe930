// The version check and problem reports: what is sent, what the answers do.
#include <cstdlib>

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
  EXPECT_EQ(VersionCheckUrl("h", VersionModelCode(none)), "http://h/Kivo/KivoVersion.php5?V=0.35&C=");
  CameraState seen;
  seen.HeroBlack = seen.HeroBlackPlus = seen.Hero2 = true;
  EXPECT_EQ(VersionModelCode(seen), "2BB+");
  EXPECT_EQ(ReportModelLetters(seen), "2B");
  EXPECT_EQ(ProblemReportUrl("h", "", "GetSSID called when busy[    Camera    ]"),
            "http://h/Kivo/Errors.php5?V=0.35&C=&msg="
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

TEST_F(ServiceTest, NewerVersionOffersTheDownloadPage) {
  Serve({Script().ReadRequest().Send(Reply("0.36\r\n")).Close()});
  dialogs_.message_answers.push_back(MsgResult::kYes);
  form_->Model().Dispatch([&] { form_->CheckVersion(); });
  loop_.RunUntil([&] { return form_->ServiceReplied; }, 5000);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text,
            "You are using version:   0.35\r\rThe latest version is:      0.36\r\r"
            "Download the latest version now?     ");
  EXPECT_EQ(dialogs_.shown[0].buttons, MsgButtons::kYesNo);
  ASSERT_EQ(shell_.urls.size(), 1u);
  EXPECT_EQ(shell_.urls[0], "http://" + MakerHost() + "/Kivo/index.html#download");
  EXPECT_NE(server_.Received()[0].find("GET /Kivo/KivoVersion.php5?V=0.35&C= "), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("TMP0001.txt")));
  // The service's host never gets the rate line.
  EXPECT_EQ((*form_)["StatusBar"].Caption().find("received"), std::string::npos);
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
  EXPECT_NE(got[0].find("GET /Kivo/Errors.php5?V=0.35&C=W&msg=Unknown%20model%2099%5B"),
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
