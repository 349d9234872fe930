#include "media/error_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace kivo {
namespace {

namespace fs = std::filesystem;

struct EntryCase {
  const char* name;
  int last_byte;
  const char* line_end;
  const char* entry;
};

class ErrorLogEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ErrorLogEntryTest, StartsALineOfItsOwn) {
  const EntryCase& c = GetParam();
  EXPECT_EQ(ErrorLogEntry("msg", c.last_byte, c.line_end), c.entry);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorLogEntryTest,
    ::testing::Values(EntryCase{"EmptyLog", -1, "\n", "msg\n"},
                      EntryCase{"EmptyLogWindows", -1, "\r\n", "msg\r\n"},
                      EntryCase{"AfterALineFeed", '\n', "\n", "msg\n"},
                      EntryCase{"AfterCrLf", '\n', "\r\n", "msg\r\n"},
                      EntryCase{"AfterAnUnfinishedLine", 'x', "\n", "\nmsg\n"},
                      EntryCase{"AfterAnUnfinishedLineWindows", 'x', "\r\n", "\r\nmsg\r\n"},
                      EntryCase{"AfterALoneCarriageReturn", '\r', "\r\n", "\r\nmsg\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class ErrorLog : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kivo-errorlog-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / kErrorLogFileName).string();
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
  std::string path_;
};

// Written by hand or by an older program, the log may lack its last line end.
TEST_F(ErrorLog, ALogWithoutAFinalLineEndGetsOneBeforeTheMessage) {
  std::ofstream(path_, std::ios::binary) << "first\nunfinished";
  AppendToErrorLog(path_, "next");
  AppendToErrorLog(path_, "last");
  EXPECT_EQ(Read(), "first\nunfinished\nnext\nlast\n");
}

TEST_F(ErrorLog, FirstMessageCreatesTheFileWithOneLine) {
  AppendToErrorLog(path_, "BacPac timeout");
  EXPECT_EQ(Read(), "BacPac timeout\n");
}

TEST_F(ErrorLog, MessagesAppendInOrderAfterExistingText) {
  std::ofstream(path_, std::ios::binary) << "old line\n";
  AppendToErrorLog(path_, "CameraStatus[6] error 15");
  AppendToErrorLog(path_, "");
  AppendToErrorLog(path_, "two\nlines");
  EXPECT_EQ(Read(), "old line\nCameraStatus[6] error 15\n\ntwo\nlines\n");
}

// The log is appended to, never read back: a file the program may write but not read still
// receives the line, and what it held before is untouched.
TEST_F(ErrorLog, WriteOnlyFileStillReceivesTheLine) {
  std::ofstream(path_, std::ios::binary) << "kept\n";
  fs::permissions(path_, fs::perms::owner_write);
  AppendToErrorLog(path_, "appended");
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Read(), "kept\nappended\n");
}

TEST_F(ErrorLog, MissingDirectoryThrowsNamingTheFile) {
  const std::string path = (dir_ / "missing" / kErrorLogFileName).string();
  try {
    AppendToErrorLog(path, "lost");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
}

TEST_F(ErrorLog, ReadOnlyDirectoryThrows) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(AppendToErrorLog(path_, "lost"), std::runtime_error);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ErrorLog, FullDeviceThrows) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_THROW(AppendToErrorLog("/dev/full", "lost"), std::runtime_error);
}

}  // namespace
}  // namespace kivo
