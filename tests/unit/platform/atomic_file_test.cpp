#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/ini_file.h"
#include "temp_dir.h"

namespace kivo {
namespace {

using testing::TempDir;

// Caps the size of any file this process writes, the way a nearly full disk would; writes past
// the cap fail with EFBIG instead of raising SIGXFSZ.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  sighandler_t old_handler_ = SIG_DFL;
  bool ok_ = false;
};

TEST(AtomicFileTest, ReplacesContents) {
  TempDir dir;
  dir.Write("f.txt", "old contents that are longer");
  WriteFileAtomically(dir.File("f.txt"), "new");
  EXPECT_EQ(dir.Read("f.txt"), "new");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"f.txt"});
}

TEST(AtomicFileTest, ReadWholeFileReportsMissingFile) {
  TempDir dir;
  std::string text = "unchanged";
  EXPECT_FALSE(ReadWholeFile(dir.File("missing"), &text));
  EXPECT_EQ(text, "unchanged");
  dir.Write("present", std::string("a\0b", 3));
  ASSERT_TRUE(ReadWholeFile(dir.File("present"), &text));
  EXPECT_EQ(text, std::string("a\0b", 3));
}

TEST(AtomicFileTest, FullDiskLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string old_text = "[BacPac]\nPassword=cameralnk\n";
  dir.Write("Kivo.ini", old_text);
  const std::string big(64 * 1024, 'x');
  {
    ScopedFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    EXPECT_THROW(WriteFileAtomically(dir.File("Kivo.ini"), big), FileWriteError);
  }
  EXPECT_EQ(dir.Read("Kivo.ini"), old_text);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kivo.ini"});
}

TEST(AtomicFileTest, FullDiskDuringSettingsSaveIsReported) {
  TempDir dir;
  const std::string old_text = "[Kivo]\nTop=110\n";
  dir.Write("Kivo.ini", old_text);
  IniFile ini(dir.File("Kivo.ini"));
  ini.WriteString("BacPac", "VLC", std::string(8192, 'v'));
  {
    ScopedFileSizeLimit limit(1024);
    ASSERT_TRUE(limit.ok());
    EXPECT_THROW(ini.UpdateFile(), FileWriteError);
  }
  EXPECT_EQ(dir.Read("Kivo.ini"), old_text);
  EXPECT_TRUE(ini.Modified());
  ini.UpdateFile();  // room again: the pending change is not lost
  EXPECT_EQ(IniFile(dir.File("Kivo.ini")).ReadString("BacPac", "VLC", "").size(), 8192u);
}

TEST(AtomicFileTest, UnreplaceableTargetIsReportedAndCleanedUp) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("Kivo.ini"));
  EXPECT_THROW(WriteFileAtomically(dir.File("Kivo.ini"), "x"), FileWriteError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("Kivo.ini")));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kivo.ini"});
}

}  // namespace
}  // namespace kivo

namespace kivo {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFileLinks, ASymbolicLinkIsWrittenThroughToItsTarget) {
  TempDir dir;
  fs::create_directory(dir.File("shared"));
  dir.Write("shared/Kivo.ini", "old\n");
  fs::create_symlink("shared/Kivo.ini", dir.File("Kivo.ini"));
  WriteFileAtomically(dir.File("Kivo.ini"), "new\n");
  EXPECT_TRUE(fs::is_symlink(dir.File("Kivo.ini")));
  EXPECT_EQ(dir.Read("shared/Kivo.ini"), "new\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("shared")), fs::directory_iterator()), 1);
}

TEST(AtomicFileLinks, OldTemporaryFilesOfAnInterruptedSaveAreRemoved) {
  TempDir dir;
  dir.Write("Kivo.ini.tmp0a1b2c", "half a save");
  dir.Write("Kivo.ini.tmp3d4e5f", "a save going on right now");
  dir.Write("Other.ini.tmp0a1b2c", "not ours");
  fs::last_write_time(dir.File("Kivo.ini.tmp0a1b2c"),
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  fs::last_write_time(dir.File("Other.ini.tmp0a1b2c"),
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  WriteFileAtomically(dir.File("Kivo.ini"), "whole\n");
  EXPECT_FALSE(fs::exists(dir.File("Kivo.ini.tmp0a1b2c")));
  EXPECT_TRUE(fs::exists(dir.File("Kivo.ini.tmp3d4e5f")));
  EXPECT_TRUE(fs::exists(dir.File("Other.ini.tmp0a1b2c")));
}

TEST(IniFileReadOnly, AReadOnlyFileIsLeftUntouched) {
  TempDir dir;
  dir.Write("Kivo.ini", "[BacPac]\nPassword=mine\n");
  fs::permissions(dir.File("Kivo.ini"), fs::perms::owner_read | fs::perms::group_read);
  {
    IniFile ini(dir.File("Kivo.ini"));
    ini.WriteString("BacPac", "Password", "other");
    EXPECT_NO_THROW(ini.UpdateFile());
  }
  EXPECT_EQ(dir.Read("Kivo.ini"), "[BacPac]\nPassword=mine\n");
  EXPECT_EQ(fs::status(dir.File("Kivo.ini")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read);
}

}  // namespace
}  // namespace kivo
