// The download engine against a scripted camera: a drop at every phase is resumed with a byte
// range from the .part file's end; a size mismatch is reported and never takes the final name;
// an existing file is never touched; a name with "../" or "/" never leaves the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "media/media_fetcher.h"
#include "net/net_test_util.h"
#include "net/script_server.h"
#include "platform/clock.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
using testing::Script;
using testing::ScriptServer;

std::string Body() {
  std::string body;
  for (int i = 0; i < 20000; ++i) body.push_back(static_cast<char>('a' + i % 26));
  return body;
}

std::string Header200(std::size_t length) {
  return "HTTP/1.0 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: " + std::to_string(length) +
         "\r\n\r\n";
}

std::string Header206(std::size_t from, std::size_t total) {
  return "HTTP/1.0 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-" +
         std::to_string(total - 1) + "/" + std::to_string(total) +
         "\r\nContent-Length: " + std::to_string(total - from) + "\r\n\r\n";
}

FetchJob Job(const std::string& url, const std::string& name, std::uint64_t size = 0,
             const std::string& subfolder = "") {
  return FetchJob{url, name, subfolder, size};
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class FetcherTest : public testing::LoopTest {
 protected:
  FetcherTest() : fetcher_(loop_, clock_) {
    dir_ = fs::temp_directory_path() /
           ("kivo_fetch_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "in");
    folder_ = dir_ / "in";
    fetcher_.retry_delay_ms = 0;
    fetcher_.OnFileDone = [this](std::size_t, const FetchResult& r) { results_.push_back(r); };
    fetcher_.OnBatchDone = [this] { ++batches_; };
  }
  ~FetcherTest() override { fs::remove_all(dir_); }

  void Run(ScriptServer& server, const std::string& name) {
    fetcher_.Start(folder_, {Job(server.Url("/DCIM/100GOPRO/" + name), name)});
    ASSERT_TRUE(WaitFor([&] { return batches_ == 1; }));
    ASSERT_EQ(results_.size(), 1u);
  }

  SystemClock clock_;
  MediaFetcher fetcher_;
  fs::path dir_;
  fs::path folder_;
  std::vector<FetchResult> results_;
  int batches_ = 0;
};

struct DropCase {
  const char* name;
  std::size_t body_sent;  // bytes of the body before the drop (with header_sent whole)
  std::size_t header_sent;  // bytes of the header before the drop (npos: all)
  bool reset;
};

class DropTest : public FetcherTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropTest, ResumesFromThePartFileAndEndsWhole) {
  const DropCase& c = GetParam();
  const std::string body = Body();
  const std::string header = Header200(body.size());
  const std::string first = c.header_sent == std::string::npos
                                ? header + body.substr(0, c.body_sent)
                                : header.substr(0, c.header_sent);
  Script drop = Script().ReadRequest().Send(first);
  c.reset ? drop.Reset() : drop.Close();
  const std::size_t resume_at = c.header_sent == std::string::npos ? c.body_sent : 0;
  Script rest = Script().ReadRequest();
  if (resume_at > 0) {
    rest.Send(Header206(resume_at, body.size()) + body.substr(resume_at)).Close();
  } else {
    rest.Send(header + body).Close();
  }
  ScriptServer server;
  server.Serve({drop, rest});
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kDownloaded) << results_[0].message;
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4"), body);
  EXPECT_FALSE(fs::exists(folder_ / "GOPR0002.MP4.part"));
  const std::vector<std::string> sent = server.Received();
  ASSERT_EQ(sent.size(), 2u);
  const std::string range = "Range: bytes=" + std::to_string(resume_at) + "-\r\n";
  EXPECT_EQ(sent[1].find(range) != std::string::npos, resume_at > 0) << sent[1];
}

INSTANTIATE_TEST_SUITE_P(
    Phases, DropTest,
    ::testing::Values(DropCase{"InHeader", 0, 20, false},
                      DropCase{"AfterHeaderBeforeBody", 0, std::string::npos, false},
                      DropCase{"MidBodyClose", 7777, std::string::npos, false},
                      DropCase{"MidBodyReset", 12000, std::string::npos, true},
                      DropCase{"LastByteMissing", 19999, std::string::npos, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetcherTest, ResumesAPartFileLeftByAnEarlierRun) {
  const std::string body = Body();
  WriteFile(folder_ / "GOPR0002.MP4.part", body.substr(0, 5000));
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header206(5000, body.size()) + body.substr(5000)).Close()});
  Run(server, "GOPR0002.MP4");
  ASSERT_EQ(results_[0].outcome, FetchOutcome::kDownloaded) << results_[0].message;
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4"), body);
  EXPECT_NE(server.Received()[0].find("Range: bytes=5000-\r\n"), std::string::npos);
}

TEST_F(FetcherTest, TheNextFileAsksForAllOfItAfterAResumedOne) {
  const std::string body = Body();
  WriteFile(folder_ / "GOPR0002.MP4.part", body.substr(0, 5000));
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header206(5000, body.size()) + body.substr(5000)).Close(),
                Script().ReadRequest().Send(Header200(body.size()) + body).Close()});
  fetcher_.Start(folder_, {Job(server.Url("/a"), "GOPR0002.MP4"), Job(server.Url("/b"), "GOPR0003.MP4")});
  ASSERT_TRUE(WaitFor([&] { return batches_ == 1; }));
  EXPECT_EQ(ReadFile(folder_ / "GOPR0003.MP4"), body);
  EXPECT_EQ(server.Received().at(1).find("Range:"), std::string::npos) << server.Received()[1];
}

TEST_F(FetcherTest, ServerIgnoringTheRangeStartsTheFileOver) {
  const std::string body = Body();
  WriteFile(folder_ / "GOPR0002.MP4.part", "stale bytes that are not the file");
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(body.size()) + body).Close()});
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4"), body);
}

TEST_F(FetcherTest, LongerThanTheServerSaidIsReportedAndNeverRenamed) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(10) + "0123456789EXTRA").Close()});
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kSizeMismatch);
  EXPECT_EQ(results_[0].message, kFetchSizeMismatch);
  EXPECT_FALSE(fs::exists(folder_ / "GOPR0002.MP4"));
  EXPECT_TRUE(fs::exists(folder_ / "GOPR0002.MP4.part"));
}

// A link that drops now and then must not cost a pause per drop: only an attempt that brought
// nothing waits for retry_delay_ms.
TEST_F(FetcherTest, ADropAfterProgressResumesWithoutThePause) {
  fetcher_.retry_delay_ms = 600000;
  const std::string body = Body();
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(body.size()) + body.substr(0, 3000)).Close(),
                Script().ReadRequest().Send(Header206(3000, body.size()) + body.substr(3000, 4000)).Reset(),
                Script().ReadRequest().Send(Header206(7000, body.size()) + body.substr(7000)).Close()});
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kDownloaded) << results_[0].message;
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4"), body);
}

TEST_F(FetcherTest, DropsWithoutProgressEndInFailureWithThePartKept) {
  const std::string body = Body();
  std::vector<Script> scripts = {Script().ReadRequest().Send(Header200(body.size()) + body.substr(0, 100)).Close()};
  for (int i = 0; i < 10; ++i) scripts.push_back(Script().ReadRequest().Close());
  ScriptServer server;
  server.Serve(scripts);
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kFailed);
  EXPECT_EQ(results_[0].message, kFetchConnectionLost);
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4.part"), body.substr(0, 100));
  EXPECT_EQ(server.Accepted(), 1 + fetcher_.max_fruitless_attempts);
}

struct ExistingCase {
  const char* name;
  std::string existing;  // content of GOPR0002.MP4 already in the folder
  FetchOutcome outcome;
  const char* result_name;
};

class ExistingTest : public FetcherTest, public ::testing::WithParamInterface<ExistingCase> {};

TEST_P(ExistingTest, IsNeverTouched) {
  const ExistingCase& c = GetParam();
  const std::string body = Body();
  WriteFile(folder_ / "GOPR0002.MP4", c.existing);
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(body.size())).Close(),
                Script().ReadRequest().Send(Header200(body.size()) + body).Close()});
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, c.outcome);
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4"), c.existing);
  EXPECT_EQ(results_[0].path, folder_ / c.result_name);
  EXPECT_EQ(ReadFile(folder_ / c.result_name).size(), body.size());
  EXPECT_TRUE(server.Received()[0].starts_with("HEAD "));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExistingTest,
    ::testing::Values(
        ExistingCase{"SameSizeIsSkipped", std::string(20000, 'x'), FetchOutcome::kAlreadyHere,
                     "GOPR0002.MP4"},
        ExistingCase{"OtherSizeGetsANewName", "mine", FetchOutcome::kDownloaded,
                     "GOPR0002-1.MP4"}),
    [](const auto& info) { return std::string(info.param.name); });

class UnsafeNameTest : public FetcherTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnsafeNameTest, NeverLeavesTheFolder) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(3) + "abc").Close()});
  fetcher_.Start(folder_, {Job(server.Url("/x"), GetParam()), Job(server.Url("/x"), "x.JPG", 0, GetParam())});
  ASSERT_TRUE(WaitFor([&] { return batches_ == 1; }));
  ASSERT_EQ(results_.size(), 2u);
  for (const FetchResult& r : results_) {  // as a file name and as a folder name
    EXPECT_EQ(r.outcome, FetchOutcome::kFailed);
    EXPECT_EQ(r.message, kFetchUnsafeName);
  }
  EXPECT_EQ(server.Accepted(), 0);
  std::size_t files = 0;
  for (auto it = fs::recursive_directory_iterator(dir_); it != fs::recursive_directory_iterator(); ++it) {
    files += it->is_regular_file();
  }
  EXPECT_EQ(files, 0u);
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeNameTest,
                         ::testing::Values("../x.JPG", "../../x.JPG", "/tmp/x.JPG", "a/b.JPG",
                                           "..", "."),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(FetcherTest, AFailureLeavesNoEmptyPartBehind) {
  // Every attempt gets the header and then loses the connection before the first byte.
  std::vector<Script> scripts;
  for (int i = 0; i < 10; ++i)
    scripts.push_back(Script().ReadRequest().Send(Header200(100)).Close());
  ScriptServer server;
  server.Serve(scripts);
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kFailed);
  EXPECT_EQ(results_[0].message, kFetchConnectionLost);
  EXPECT_FALSE(fs::exists(folder_ / "GOPR0002.MP4.part"));
}

TEST_F(FetcherTest, AFullDiskIsSaidAsSuch) {
  // Every write to /dev/full fails as on a full disk.
  std::error_code ec;
  fs::create_symlink("/dev/full", folder_ / "GOPR0002.MP4.part", ec);
  if (ec || !fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string body = Body();
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(body.size()) + body).Close()});
  Run(server, "GOPR0002.MP4");
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kFailed);
  EXPECT_EQ(results_[0].message, kFetchDiskFull);
  EXPECT_FALSE(fs::exists(folder_ / "GOPR0002.MP4"));
}

TEST_F(FetcherTest, CancelKeepsThePartForLater) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Header200(20000) + std::string(300, 'a')).Silent()});
  fetcher_.OnProgress = [&](const FetchProgress& p) {
    if (p.file_done >= 300) fetcher_.Cancel();
  };
  fetcher_.Start(folder_, {Job(server.Url("/x"), "GOPR0002.MP4", 20000), Job(server.Url("/y"), "GOPR0003.MP4", 5)});
  ASSERT_TRUE(WaitFor([&] { return batches_ == 1; }));
  ASSERT_EQ(results_.size(), 1u);
  EXPECT_EQ(results_[0].outcome, FetchOutcome::kCancelled);
  EXPECT_EQ(ReadFile(folder_ / "GOPR0002.MP4.part"), std::string(300, 'a'));
  EXPECT_FALSE(fs::exists(folder_ / "GOPR0002.MP4"));
  server.Stop();
}

}  // namespace
}  // namespace kivo
