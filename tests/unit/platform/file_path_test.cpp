// Paths with letters outside ASCII (an accented user name, a folder named in any language) reach
// the system intact through the one UTF-8 crossing: a file made through OpenFile is found by
// std::filesystem under the same name, read back through a stream, listed under the name it was
// given, and the whole-file helpers and the error log work there too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/error_log.h"
#include "platform/atomic_file.h"
#include "platform/file_path.h"
#include "temp_dir.h"

namespace kivo {
namespace {

const char* const kNames[] = {
    "Cámara Kivo",     // Latin-1: the local code page of a Western Windows has it
    "Камера",          // Cyrillic
    "ĳ ŉ ő",           // Latin Extended: in no single Windows code page with "á"
    "カメラ 動画",       // Japanese
    "100% 😀",         // a character outside the Basic Multilingual Plane
};

class NonAsciiPathTest : public ::testing::TestWithParam<const char*> {
 protected:
  testing::TempDir temp_;
};

TEST_P(NonAsciiPathTest, FilesAreMadeFoundReadListedAndRemovedUnderTheirOwnName) {
  const std::string folder = temp_.Path() + GetParam();
  ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
  const std::string file = folder + "/" + GetParam() + ".txt";

  std::FILE* out = OpenFile(file, "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("one\r\n", out);
  std::fclose(out);
  ASSERT_TRUE(std::filesystem::is_regular_file(PathFromUtf8(file)));

  std::ifstream in(PathFromUtf8(file), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            "one\r\n");
  in.close();

  std::vector<std::string> listed;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder)))
    listed.push_back(Utf8FromPath(entry.path().filename()));
  EXPECT_EQ(listed, std::vector<std::string>{std::string(GetParam()) + ".txt"});
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(file)), file);

  const std::string settings = folder + "/Kivo.ini";
  WriteFileAtomically(settings, "[Setup]\r\n");
  std::string text;
  ASSERT_TRUE(ReadWholeFile(settings, &text));
  EXPECT_EQ(text, "[Setup]\r\n");

  const std::string log = folder + "/errors.txt";
  AppendToErrorLog(log, "first");
  AppendToErrorLog(log, "second");
  ASSERT_TRUE(ReadWholeFile(log, &text));
  EXPECT_EQ(text.substr(0, 5), "first");
  EXPECT_NE(text.find("second"), std::string::npos);

  EXPECT_TRUE(std::filesystem::remove(PathFromUtf8(file)));
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(file)));
}

INSTANTIATE_TEST_SUITE_P(Names, NonAsciiPathTest, ::testing::ValuesIn(kNames));

}  // namespace
}  // namespace kivo
