#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string_view>
#include <stdexcept>

#include "temp_dir.h"

namespace kivo {
namespace {

using testing::TempDir;

const char kSample[] =
    "; Kivo settings\n"
    "[BacPac]\n"
    "Password=secret\n"
    "IPAddress = 10.5.5.9 \n"
    "Quoted=\"two words\"\n"
    "Empty=\n"
    "Future=kept as it is\n"
    "\n"
    "[Kivo]\n"
    "Top=110\n"
    "Width=-434\n"
    "Height=12abc\n"
    "Big=99999999999\n"
    "Plus=+7\n"
    "PlusMinus=+-7\n"
    "Hex=0x10\n"
    "Spaced= 245 \n"
    "Debug=1\n"
    "Two=2\n"
    "MinusOne=-1\n"
    "Word=yes\n"
    "[bacpac]\n"
    "Password=second section is never read\n";

struct StringCase {
  const char* name;
  const char* section;
  const char* key;
  const char* expected;
};

// Tests are listed by their case name.
void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }

const StringCase kStringCases[] = {
    {"Plain", "BacPac", "Password", "secret"},
    {"SectionAnyCase", "BACPAC", "Password", "secret"},
    {"KeyAnyCase", "BacPac", "password", "secret"},
    {"BlanksTrimmed", "BacPac", "IPAddress", "10.5.5.9"},
    {"QuotesStripped", "BacPac", "Quoted", "two words"},
    {"EmptyValueIsEmpty", "BacPac", "Empty", ""},
    {"UnknownKeyReadable", "BacPac", "Future", "kept as it is"},
    {"MissingKey", "BacPac", "VLC", "(default)"},
    {"MissingSection", "Camera", "Hero2", "(default)"},
    {"KeyOfOtherSection", "BacPac", "Top", "(default)"},
    {"CommentIsNotAKey", "BacPac", "; Kivo settings", "(default)"},
};

class IniReadStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(IniReadStringTest, Reads) {
  TempDir dir;
  dir.Write("Kivo.ini", kSample);
  const IniFile ini(dir.File("Kivo.ini"));
  const StringCase& c = GetParam();
  EXPECT_EQ(ini.ReadString(c.section, c.key, "(default)"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, IniReadStringTest, ::testing::ValuesIn(kStringCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct IntegerCase {
  const char* name;
  const char* key;
  int expected;  // with default 77
  bool as_bool;  // with default false
};

// Tests are listed by their case name.
void PrintTo(const IntegerCase& c, std::ostream* os) { *os << c.name; }

const IntegerCase kIntegerCases[] = {
    {"Decimal", "Top", 110, true},
    {"Negative", "Width", -434, true},
    {"TrailingJunk", "Height", 77, false},
    {"Overflow", "Big", 77, false},
    {"LeadingPlus", "Plus", 7, true},
    {"PlusMinus", "PlusMinus", 77, false},
    {"HexIsNotDecimal", "Hex", 77, false},
    {"BlanksAround", "Spaced", 245, true},
    {"One", "Debug", 1, true},
    {"TwoIsTrue", "Two", 2, true},
    {"MinusOneIsTrue", "MinusOne", -1, true},
    {"WordIsMalformed", "Word", 77, false},
    {"Missing", "Left", 77, false},
};

class IniReadIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniReadIntegerTest, ReadsDecimalOrDefault) {
  TempDir dir;
  dir.Write("Kivo.ini", kSample);
  const IniFile ini(dir.File("Kivo.ini"));
  const IntegerCase& c = GetParam();
  EXPECT_EQ(ini.ReadInteger("kivo", c.key, 77), c.expected);
  EXPECT_EQ(ini.ReadBool("Kivo", c.key, false), c.as_bool);
}

INSTANTIATE_TEST_SUITE_P(Keys, IniReadIntegerTest, ::testing::ValuesIn(kIntegerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniFileTest, MissingFileReadsDefaultsAndIsCreatedByTheFirstSave) {
  TempDir dir;
  {
    IniFile ini(dir.File("Kivo.ini"));
    EXPECT_EQ(ini.ReadString("BacPac", "Password", "cameralnk"), "cameralnk");
    EXPECT_EQ(ini.ReadInteger("Kivo", "Width", 434), 434);
    EXPECT_TRUE(ini.ReadBool("Kivo", "AutoVAN", true));
    EXPECT_FALSE(ini.SectionExists("BacPac"));
    ini.WriteString("BacPac", "Password", "cameralnk");
    ini.WriteInteger("Kivo", "Top", 110);
    ini.WriteBool("Kivo", "Debug", false);
    ini.WriteBool("Camera", "Hero2", true);
    ini.UpdateFile();
    EXPECT_FALSE(ini.Modified());
  }
  EXPECT_EQ(dir.Read("Kivo.ini"),
            "[BacPac]\nPassword=cameralnk\n[Kivo]\nTop=110\nDebug=0\n[Camera]\nHero2=1\n");
}

struct WriteCase {
  const char* name;
  const char* before;
  std::function<void(IniFile&)> writes;
  const char* after;
};

// Tests are listed by their case name.
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWriteCases[] = {
    {"ReplacesInPlace", "[A]\nx=1\ny=2\n[B]\nz=3\n",
     [](IniFile& ini) { ini.WriteString("A", "x", "9"); }, "[A]\nx=9\ny=2\n[B]\nz=3\n"},
    {"KeepsTheFilesSpellingOfKey", "[BacPac]\npassword=a\n",
     [](IniFile& ini) { ini.WriteString("BACPAC", "Password", "b"); }, "[BacPac]\npassword=b\n"},
    {"NewKeyAtEndOfSection", "[A]\nx=1\n\n[B]\nz=3\n",
     [](IniFile& ini) { ini.WriteString("A", "y", "2"); }, "[A]\nx=1\ny=2\n\n[B]\nz=3\n"},
    {"NewKeyBeforeCommentLeadingIntoNextSection", "[A]\nx=1\n; about B\n[B]\n",
     [](IniFile& ini) { ini.WriteInteger("A", "y", 2); }, "[A]\nx=1\ny=2\n; about B\n[B]\n"},
    {"NewKeyInEmptySection", "[A]\n[B]\nz=3\n",
     [](IniFile& ini) { ini.WriteString("a", "x", "1"); }, "[A]\nx=1\n[B]\nz=3\n"},
    {"NewSectionAtEndOfFile", "[A]\nx=1\n; trailing comment\n",
     [](IniFile& ini) { ini.WriteBool("Camera", "Hero2", true); },
     "[A]\nx=1\n; trailing comment\n[Camera]\nHero2=1\n"},
    {"UnknownKeysAndCommentsKept", "; top\n[Kivo]\nTop=1\nFuture=x\n# other comment\nodd line\n",
     [](IniFile& ini) {
       ini.WriteInteger("Kivo", "Top", 5);
       ini.WriteInteger("Kivo", "Left", 6);
     },
     "; top\n[Kivo]\nTop=5\nFuture=x\nLeft=6\n# other comment\nodd line\n"},
    {"WindowsLineEndsKept", "[A]\r\nx=1\r\n",
     [](IniFile& ini) { ini.WriteString("A", "y", "2"); }, "[A]\r\nx=1\r\ny=2\r\n"},
    {"LineBreakInValueBecomesBlank", "", [](IniFile& ini) { ini.WriteString("A", "x", "a\nb\rc"); },
     "[A]\nx=a b c\n"},
    {"LastLineWithoutLineEnd", "[A]\nx=1", [](IniFile& ini) { ini.WriteString("A", "x", "2"); },
     "[A]\nx=2\n"},
    {"OnlyFirstOfDuplicateSectionsWritten", "[A]\nx=1\n[a]\nx=2\n",
     [](IniFile& ini) { ini.WriteString("A", "x", "3"); }, "[A]\nx=3\n[a]\nx=2\n"},
    {"KeyWrittenTwiceKeepsItsFirstPlace", "[A]\nx=1\n",
     [](IniFile& ini) {
       ini.WriteString("A", "y", "1");
       ini.WriteString("A", "z", "1");
       ini.WriteString("a", "Y", "2");
     },
     "[A]\nx=1\ny=2\nz=1\n"},
    {"NewSectionsInterleavedKeepTheirKeysTogether", "",
     [](IniFile& ini) {
       ini.WriteString("P", "a", "1");
       ini.WriteString("Q", "b", "2");
       ini.WriteString("p", "c", "3");
     },
     "[P]\na=1\nc=3\n[Q]\nb=2\n"},
    {"MixedLineEndsBecomeTheFilesOwn", "[A]\r\nx=1\ny=2\r\n",
     [](IniFile& ini) { ini.WriteString("A", "y", "3"); }, "[A]\r\nx=1\r\ny=3\r\n"},
    {"KeysBeforeTheFirstSectionBelongToNone", "x=1\n[A]\n",
     [](IniFile& ini) { ini.WriteString("A", "x", "2"); }, "x=1\n[A]\nx=2\n"},
    {"OnlyFirstOfDuplicateKeysWritten", "[A]\nx=1\nx=2\n; end\n",
     [](IniFile& ini) {
       ini.WriteString("A", "x", "3");
       ini.WriteString("A", "w", "4");
     },
     "[A]\nx=3\nx=2\nw=4\n; end\n"},
    {"BooleansAsOneAndZero", "[K]\nAutoVAN=1\n",
     [](IniFile& ini) {
       ini.WriteBool("K", "AutoVAN", false);
       ini.WriteBool("K", "ShowWiFi", true);
     },
     "[K]\nAutoVAN=0\nShowWiFi=1\n"},
};

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, FileTextAfterUpdate) {
  TempDir dir;
  const WriteCase& c = GetParam();
  dir.Write("Kivo.ini", c.before);
  IniFile ini(dir.File("Kivo.ini"));
  c.writes(ini);
  EXPECT_EQ(ini.Text(), c.after);  // what reads see before the file is written
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("Kivo.ini"), c.after);
}

INSTANTIATE_TEST_SUITE_P(Edits, IniWriteTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniFileTest, WritesAreReadBackBeforeAndAfterSaving) {
  TempDir dir;
  IniFile ini(dir.File("Kivo.ini"));
  ini.WriteString("BacPac", "IPAddress", "192.168.1.2");
  EXPECT_TRUE(ini.Modified());
  EXPECT_EQ(ini.ReadString("bacpac", "ipaddress", ""), "192.168.1.2");
  ini.UpdateFile();
  const IniFile again(dir.File("Kivo.ini"));
  EXPECT_EQ(again.ReadString("BacPac", "IPAddress", ""), "192.168.1.2");
}

TEST(IniFileTest, DestructorWritesPendingChanges) {
  TempDir dir;
  { IniFile(dir.File("Kivo.ini")).WriteInteger("Status", "Left", 45); }
  EXPECT_EQ(dir.Read("Kivo.ini"), "[Status]\nLeft=45\n");
}

TEST(IniFileTest, NothingWrittenWithoutChanges) {
  TempDir dir;
  { IniFile ini(dir.File("Kivo.ini")); }
  EXPECT_TRUE(dir.Names().empty());
}

TEST(IniFileTest, ChangesAreAppliedToTheFileAsItIsOnDisk) {
  // The main window and the network status window each open the file, write their own rows
  // and save; neither may wipe out the other's.
  TempDir dir;
  dir.Write("Kivo.ini", "[Kivo]\nTop=1\n");
  IniFile main_window(dir.File("Kivo.ini"));
  IniFile status_window(dir.File("Kivo.ini"));
  status_window.WriteInteger("Status", "Left", 45);
  status_window.UpdateFile();
  main_window.WriteInteger("Kivo", "Top", 2);
  main_window.UpdateFile();
  EXPECT_EQ(dir.Read("Kivo.ini"), "[Kivo]\nTop=2\n[Status]\nLeft=45\n");
  EXPECT_EQ(main_window.ReadInteger("Status", "Left", 0), 45);
}

TEST(IniFileTest, UnusableNamesAreRejected) {
  TempDir dir;
  IniFile ini(dir.File("Kivo.ini"));
  EXPECT_THROW(ini.WriteString("", "x", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("A]", "x", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("A", "x=y", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("A", "x\n", "1"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("A", ";x", "1"), std::invalid_argument);
  EXPECT_FALSE(ini.Modified());
}

TEST(IniFileTest, FailedSaveThrowsAndKeepsChangesPending) {
  TempDir dir;
  IniFile ini(dir.File("no-such-folder/Kivo.ini"));
  ini.WriteString("BacPac", "Password", "x");
  try {
    ini.UpdateFile();
    FAIL() << "no error reported";
  } catch (const FileWriteError& error) {
    EXPECT_NE(std::string(error.what()).find("no-such-folder/Kivo.ini"), std::string::npos);
  }
  EXPECT_TRUE(ini.Modified());
  EXPECT_EQ(ini.ReadString("BacPac", "Password", ""), "x");
}

TEST(IniFileTest, FailedSaveIsReportedOnceNotAgainByTheDestructor) {
  TempDir dir;
  ::testing::internal::CaptureStderr();
  {
    IniFile ini(dir.File("no-such-folder/Kivo.ini"));
    ini.WriteString("BacPac", "Password", "x");
    EXPECT_THROW(ini.UpdateFile(), FileWriteError);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(IniFileTest, LargeFileRoundTripChangesOnlyWhatWasWritten) {
  // Many sections with unknown rows, Windows line ends and no line end at the very end.
  TempDir dir;
  std::string before, after;
  constexpr int kSections = 40000;
  for (int i = 0; i < kSections; ++i) {
    const std::string n = std::to_string(i);
    const std::string head = "[S" + n + "]\r\n";
    before += head + "k=v" + n + "\r\n; note " + n + "\r\n";
    if (i == 20000) {
      after += head + "k=changed\r\n; note " + n + "\r\n";
    } else if (i == kSections - 1) {
      after += head + "k=v" + n + "\r\nadded=1\r\n; note " + n + "\r\n";
    } else {
      after += head + "k=v" + n + "\r\n; note " + n + "\r\n";
    }
  }
  before.resize(before.size() - 2);
  after += "[New]\r\nx=1\r\n";
  dir.Write("Kivo.ini", before);
  IniFile ini(dir.File("Kivo.ini"));
  EXPECT_EQ(ini.ReadString("s39999", "K", ""), "v39999");
  ini.WriteString("S20000", "k", "changed");
  ini.WriteInteger("New", "x", 1);
  ini.WriteBool("S39999", "added", true);
  EXPECT_EQ(ini.ReadString("S20000", "k", ""), "changed");
  EXPECT_TRUE(ini.SectionExists("new"));
  ini.UpdateFile();
  EXPECT_TRUE(dir.Read("Kivo.ini") == after);  // not EXPECT_EQ: a failure would print 1 MB
  EXPECT_EQ(ini.ReadString("New", "x", ""), "1");
  EXPECT_EQ(ini.ReadString("S20001", "k", ""), "v20001");
}

TEST(IniFileTest, ByteOrderMarkIsSkippedWhenReadingAndKeptWhenWriting) {
  // Notepad starts a UTF-8 file with EF BB BF; read as text, the mark would hide [BacPac] and
  // the next save would append a second [BacPac] whose rows win from then on.
  TempDir dir;
  dir.Write("Kivo.ini", "\xEF\xBB\xBF[BacPac]\r\nPassword=mysecret\r\n");
  IniFile ini(dir.File("Kivo.ini"));
  EXPECT_EQ(ini.ReadString("BacPac", "Password", "cameralnk"), "mysecret");
  EXPECT_TRUE(ini.SectionExists("BacPac"));
  EXPECT_FALSE(ini.Unusable());
  ini.WriteString("BacPac", "Password", "mysecret");
  ini.WriteString("BacPac", "IPAddress", "10.5.5.9");
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("Kivo.ini"),
            "\xEF\xBB\xBF[BacPac]\r\nPassword=mysecret\r\nIPAddress=10.5.5.9\r\n");
  EXPECT_EQ(IniFile(dir.File("Kivo.ini")).ReadString("BacPac", "IPAddress", ""), "10.5.5.9");
}

enum class Kind { kNone, kFolder, kFile };

struct UsableCase {
  const char* name;
  Kind kind;
  std::string_view text;  // of a file; it may hold NUL bytes
  bool unusable;
};

// Tests are listed by their case name.
void PrintTo(const UsableCase& c, std::ostream* os) { *os << c.name; }

using namespace std::string_view_literals;

const UsableCase kUsableCases[] = {
    {"MissingFile", Kind::kNone, "", false},
    {"EmptyFile", Kind::kFile, "", false},
    {"OnlyCommentsAndBlanks", Kind::kFile, "; nothing yet\n\n# really\n", false},
    {"Settings", Kind::kFile, "[BacPac]\nPassword=x\n", false},
    {"ByteOrderMarkOnly", Kind::kFile, "\xEF\xBB\xBF", false},
    {"BinaryGarbage", Kind::kFile, "\x7F" "ELF\x02\x01\x01\0\0\0\x03\0>\0\x01\0\n\x90\xff="sv, true},
    {"Utf16Text", Kind::kFile, "\xFF\xFE[\0B\0]\0\r\0\n\0x\0=\0" "1\0"sv, true},
    {"KeysWithoutSection", Kind::kFile, "Password=x\n", true},
    {"AFolderOfThatName", Kind::kFolder, "", true},
};

class IniUsableTest : public ::testing::TestWithParam<UsableCase> {};

TEST_P(IniUsableTest, TellsAFileThatGivesNoSettings) {
  TempDir dir;
  const UsableCase& c = GetParam();
  if (c.kind == Kind::kFolder) std::filesystem::create_directory(dir.File("Kivo.ini"));
  if (c.kind == Kind::kFile) dir.Write("Kivo.ini", std::string(c.text));
  const IniFile ini(dir.File("Kivo.ini"));
  EXPECT_EQ(ini.Unusable(), c.unusable);
  EXPECT_EQ(ini.ReadString("BacPac", "Password", "cameralnk"),
            std::string(c.name) == "Settings" ? "x" : "cameralnk");
}

INSTANTIATE_TEST_SUITE_P(Files, IniUsableTest, ::testing::ValuesIn(kUsableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniFileTest, ReadOnlyFileIsToldAndLeftAlone) {
  TempDir dir;
  dir.Write("Kivo.ini", "[BacPac]\nIPAddress=10.5.5.9\n");
  EXPECT_FALSE(IniFile::ReadOnly(dir.File("Kivo.ini")));
  EXPECT_FALSE(IniFile::ReadOnly(dir.File("missing.ini")));
  ASSERT_EQ(chmod(dir.File("Kivo.ini").c_str(), 0444), 0);
  EXPECT_TRUE(IniFile::ReadOnly(dir.File("Kivo.ini")));
  IniFile ini(dir.File("Kivo.ini"));
  ini.WriteString("BacPac", "IPAddress", "192.168.1.2");
  ::testing::internal::CaptureStderr();
  ini.UpdateFile();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("is read-only"), std::string::npos);
  EXPECT_EQ(dir.Read("Kivo.ini"), "[BacPac]\nIPAddress=10.5.5.9\n");
}

TEST(IniFileTest, SaveKeepsPermissionsAndLeavesNoTemporaryFile) {
  TempDir dir;
  dir.Write("Kivo.ini", "[A]\nx=1\n");
  ASSERT_EQ(chmod(dir.File("Kivo.ini").c_str(), 0600), 0);
  IniFile ini(dir.File("Kivo.ini"));
  ini.WriteString("A", "x", "2");
  ini.UpdateFile();
  struct stat info{};
  ASSERT_EQ(stat(dir.File("Kivo.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kivo.ini"});
}

}  // namespace
}  // namespace kivo
