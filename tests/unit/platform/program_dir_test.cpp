#include "platform/program_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>

#include "temp_dir.h"

namespace kivo {
namespace {

using testing::TempDir;

const char* const kLinuxSystemDirs[] = {"/usr", "/opt", "/bin", "/nix/store"};
const char* const kWindowsSystemDirs[] = {"C:\\Program Files", "C:\\Program Files (x86)",
                                          "C:/Users/u/AppData/Local/Programs"};
const ProgramFolders kXdg = {"/h/.config/kivo/", "/h/.local/state/kivo/", "/h/.cache/kivo/"};
const ProgramFolders kAppData = {"C:/Users/u/AppData/Roaming/Kivo/",
                                 "C:/Users/u/AppData/Roaming/Kivo/",
                                 "C:/Users/u/AppData/Roaming/Kivo/"};

struct ChoiceCase {
  const char* name;
  bool windows;
  const char* exe_dir;
  bool writable;
  FolderReason reason;
  const char* beside;  // the folder used for everything when kBesideProgram
};

// Tests are listed by their case name.
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

constexpr auto kBeside = FolderReason::kBesideProgram;
constexpr auto kInstalled = FolderReason::kInstalled;
constexpr auto kNotWritable = FolderReason::kNotWritable;

const ChoiceCase kChoiceCases[] = {
    {"BuildTreeWritable", false, "/home/u/kivo/build/bin/", true, kBeside, "/home/u/kivo/build/bin/"},
    {"UnpackedSlashAdded", false, "/home/u/kivo", true, kBeside, "/home/u/kivo/"},
    {"UnpackedReadOnly", false, "/home/u/kivo/", false, kNotWritable, ""},
    {"UsrBinEvenAsRoot", false, "/usr/bin/", true, kInstalled, ""},
    {"UsrLocalBin", false, "/usr/local/bin/", true, kInstalled, ""},
    {"OptVendor", false, "/opt/kivo/bin/", true, kInstalled, ""},
    {"NixStore", false, "/nix/store/abc-kivo/bin/", false, kInstalled, ""},
    {"PrefixOfANameIsNotAFolder", false, "/usrlocal/kivo/", true, kBeside, "/usrlocal/kivo/"},
    {"OptionalIsNotOpt", false, "/optional/", true, kBeside, "/optional/"},
    {"UnknownExecutable", false, "", true, kNotWritable, ""},
    {"ProgramFilesAsAdmin", true, "C:/Program Files/Kivo/", true, kInstalled, ""},
    {"ProgramFilesOtherCase", true, "c:/PROGRAM FILES/Kivo/", true, kInstalled, ""},
    {"ProgramFilesX86", true, "C:/Program Files (x86)/Kivo/", false, kInstalled, ""},
    {"PerUserPrograms", true, "C:/Users/u/AppData/Local/Programs/Kivo/", true, kInstalled, ""},
    {"DesktopCopy", true, "C:/Users/u/Desktop/Kivo/", true, kBeside, "C:/Users/u/Desktop/Kivo/"},
    {"CdRom", true, "D:/Kivo/", false, kNotWritable, ""},
};

class ChooseProgramFoldersTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseProgramFoldersTest, Chooses) {
  const ChoiceCase& c = GetParam();
  FolderFacts facts;
  facts.executable_dir = c.exe_dir;
  facts.executable_dir_writable = c.writable;
  if (c.windows) {
    facts.system_dirs.assign(std::begin(kWindowsSystemDirs), std::end(kWindowsSystemDirs));
    facts.per_user = kAppData;
  } else {
    facts.system_dirs.assign(std::begin(kLinuxSystemDirs), std::end(kLinuxSystemDirs));
    facts.per_user = kXdg;
  }
  const FolderChoice choice = ChooseProgramFolders(facts);
  EXPECT_EQ(choice.reason, c.reason);
  const ProgramFolders expected =
      c.reason == kBeside ? ProgramFolders{c.beside, c.beside, c.beside} : facts.per_user;
  EXPECT_EQ(choice.folders.settings, expected.settings);
  EXPECT_EQ(choice.folders.logs, expected.logs);
  EXPECT_EQ(choice.folders.work, expected.work);
}

INSTANTIATE_TEST_SUITE_P(Rules, ChooseProgramFoldersTest, ::testing::ValuesIn(kChoiceCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct XdgCase {
  const char* name;
  const char* config;
  const char* state;
  const char* cache;
  const char* home;
  ProgramFolders expected;
};

void PrintTo(const XdgCase& c, std::ostream* os) { *os << c.name; }

const XdgCase kXdgCases[] = {
    {"Defaults", "", "", "", "/home/u", {"/home/u/.config/kivo/", "/home/u/.local/state/kivo/",
                                         "/home/u/.cache/kivo/"}},
    {"AllSet", "/c", "/s/", "/k", "/home/u", {"/c/kivo/", "/s/kivo/", "/k/kivo/"}},
    {"RelativeIgnored", "cfg", "./s", "/k", "/home/u/",
     {"/home/u/.config/kivo/", "/home/u/.local/state/kivo/", "/k/kivo/"}},
    {"NoHome", "", "", "", "", {"/tmp/.config/kivo/", "/tmp/.local/state/kivo/",
                                "/tmp/.cache/kivo/"}},
};

class XdgProgramFoldersTest : public ::testing::TestWithParam<XdgCase> {};

TEST_P(XdgProgramFoldersTest, FollowsTheVariables) {
  const XdgCase& c = GetParam();
  const std::map<std::string, std::string> env = {
      {"XDG_CONFIG_HOME", c.config}, {"XDG_STATE_HOME", c.state}, {"XDG_CACHE_HOME", c.cache}};
  const ProgramFolders folders = XdgProgramFolders(
      [&](const char* name) { return env.count(name) ? env.at(name) : std::string(); }, c.home);
  EXPECT_EQ(folders.settings, c.expected.settings);
  EXPECT_EQ(folders.logs, c.expected.logs);
  EXPECT_EQ(folders.work, c.expected.work);
}

INSTANTIATE_TEST_SUITE_P(Variables, XdgProgramFoldersTest, ::testing::ValuesIn(kXdgCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramDirTest, AReaderTakesTheSettingsFolderElseTheCopyBesideTheProgram) {
  const struct {
    const char* exe_dir;
    bool writable;
    std::vector<std::string> files;  // that exist
    const char* read;
  } cases[] = {
      {"/usr/bin/", false, {"/h/.config/kivo/Kivo.ini", "/usr/bin/Kivo.ini"},
       "/h/.config/kivo/Kivo.ini"},
      {"/usr/bin/", false, {"/usr/bin/Kivo.ini"}, "/usr/bin/Kivo.ini"},
      {"/usr/bin/", false, {}, "/h/.config/kivo/Kivo.ini"},
      {"/home/u/kivo/", false, {"/home/u/kivo/Kivo.ini"}, "/home/u/kivo/Kivo.ini"},
      {"/home/u/kivo/", true, {"/h/.config/kivo/Kivo.ini"}, "/home/u/kivo/Kivo.ini"},
      {"", false, {}, "/h/.config/kivo/Kivo.ini"},
  };
  for (const auto& c : cases) {
    FolderFacts facts;
    facts.executable_dir = c.exe_dir;
    facts.executable_dir_writable = c.writable;
    facts.system_dirs.assign(std::begin(kLinuxSystemDirs), std::end(kLinuxSystemDirs));
    facts.per_user = kXdg;
    const auto exists = [&](const std::string& path) {
      return std::find(c.files.begin(), c.files.end(), path) != c.files.end();
    };
    EXPECT_EQ(SettingsFileToRead(facts, "Kivo.ini", exists), c.read) << c.exe_dir;
  }
}

TEST(ProgramDirTest, WindowsUsesRoamingAppDataElseTheProfile) {
  const struct {
    const char* roaming;
    const char* profile;
    const char* expected;
  } cases[] = {
      {"C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u", "C:/Users/u/AppData/Roaming/Kivo/"},
      {"", "C:\\Users\\u", "C:/Users/u/AppData/Roaming/Kivo/"},
  };
  for (const auto& c : cases) {
    const ProgramFolders folders = WindowsProgramFolders(c.roaming, c.profile);
    EXPECT_EQ(folders.settings, c.expected) << c.roaming;
    EXPECT_EQ(folders.logs, c.expected) << c.roaming;
    EXPECT_EQ(folders.work, c.expected) << c.roaming;
  }
}

TEST(ProgramDirTest, NoteSaysWhyAndWhere) {
  const FolderChoice installed{kXdg, kInstalled};
  const std::string note = ProgramFolderNote("/usr/bin/", installed);
  for (const char* part : {"installed in /usr/bin/", "/h/.config/kivo/", "/h/.local/state/kivo/",
                           "/h/.cache/kivo/"}) {
    EXPECT_NE(note.find(part), std::string::npos) << note;
  }
  const std::string unwritable =
      ProgramFolderNote("D:/Kivo/", FolderChoice{kAppData, kNotWritable});
  EXPECT_NE(unwritable.find("D:/Kivo/ is not writable"), std::string::npos) << unwritable;
  EXPECT_EQ(unwritable.find(", logs in"), std::string::npos) << unwritable;
  EXPECT_EQ(ProgramFolderNote("/home/u/", FolderChoice{kXdg, kBeside}), "");
}

TEST(ProgramDirTest, ExecutableDirIsTheTestBinarysFolder) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(std::filesystem::canonical(dir),
            std::filesystem::canonical("/proc/self/exe").parent_path());
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
