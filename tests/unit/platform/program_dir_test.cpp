#include "platform/program_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <unistd.h>

#include <filesystem>

#include "temp_dir.h"

namespace kivo {
namespace {

using testing::TempDir;

struct ChoiceCase {
  const char* name;
  const char* exe_dir;
  bool writable;
  const char* xdg;
  const char* home;
  const char* expected;
  bool fallback;
};

// Tests are listed by their case name.
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

const ChoiceCase kChoiceCases[] = {
    {"WritableExecutableDir", "/opt/kivo/", true, "/x", "/home/u", "/opt/kivo/", false},
    {"SlashAdded", "/opt/kivo", true, "", "/home/u", "/opt/kivo/", false},
    {"XdgConfigHome", "/usr/bin/", false, "/home/u/cfg", "/home/u", "/home/u/cfg/kivo/", true},
    {"XdgWithSlash", "/usr/bin/", false, "/home/u/cfg/", "/home/u", "/home/u/cfg/kivo/", true},
    {"NoXdgUsesHome", "/usr/bin/", false, "", "/home/u", "/home/u/.config/kivo/", true},
    {"RelativeXdgIgnored", "/usr/bin/", false, "cfg", "/home/u", "/home/u/.config/kivo/", true},
    {"UnknownExecutable", "", true, "", "/home/u/", "/home/u/.config/kivo/", true},
    {"NoHomeAtAll", "/usr/bin/", false, "", "", "/tmp/.config/kivo/", true},
};

class ChooseProgramDirTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseProgramDirTest, Chooses) {
  const ChoiceCase& c = GetParam();
  const ProgramDirChoice choice = ChooseProgramDir(c.exe_dir, c.writable, c.xdg, c.home);
  EXPECT_EQ(choice.dir, c.expected);
  EXPECT_EQ(choice.fallback, c.fallback);
}

INSTANTIATE_TEST_SUITE_P(Rules, ChooseProgramDirTest, ::testing::ValuesIn(kChoiceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramDirTest, NoteNamesBothFolders) {
  const std::string note = ProgramDirNote("/usr/bin/", "/home/u/.config/kivo/");
  EXPECT_NE(note.find("/usr/bin/"), std::string::npos);
  EXPECT_NE(note.find("/home/u/.config/kivo/"), std::string::npos);
}

TEST(ProgramDirTest, ExecutableDirIsTheTestBinarysFolder) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(std::filesystem::canonical(dir),
            std::filesystem::canonical("/proc/self/exe").parent_path());
}

TEST(ProgramDirTest, OverrideIsUsedAndCanBeCleared) {
  TempDir dir;
  SetProgramDirForTesting(dir.Path() + "sub");
  EXPECT_EQ(ProgramDir(), dir.Path() + "sub/");
  SetProgramDirForTesting("");
  const std::string normal = ProgramDir();
  EXPECT_EQ(normal.back(), '/');
  EXPECT_NE(normal, dir.Path() + "sub/");
}

TEST(ProgramDirTest, MakeDirectoriesCreatesNestedFolders) {
  TempDir dir;
  const std::string nested = dir.Path() + "a/b/c/";
  EXPECT_FALSE(IsDirectoryWritable(nested));
  EXPECT_TRUE(MakeDirectories(nested));
  EXPECT_TRUE(std::filesystem::is_directory(nested));
  EXPECT_TRUE(IsDirectoryWritable(nested));
  EXPECT_TRUE(MakeDirectories(nested));  // existing already: still fine
  dir.Write("file", "x");
  EXPECT_FALSE(MakeDirectories(dir.Path() + "file/sub/"));
}

}  // namespace
}  // namespace kivo
