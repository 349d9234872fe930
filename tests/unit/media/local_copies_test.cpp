// The download folder's copies of the card's files, read one folder at a time.
#include "media/local_copies.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_path.h"
#include "platform/temp_dir.h"

namespace kivo {
namespace {

TEST(LocalCopies, AnswersAsTheFileSystemWould) {
  testing::TempDir dir;
  const std::filesystem::path root = PathFromUtf8(dir.Path() + "Cámara");
  std::filesystem::create_directories(root / "100GOPRO" / "GOPR0003.MP4");  // a folder of that name
  std::filesystem::create_directories(root / PathFromUtf8("101GOPRO"));
  for (const char* name : {"100GOPRO/GOPR0001.JPG", "100GOPRO/GOPR0002.MP4.part", "101GOPRO/ü.JPG"})
    std::ofstream(root / PathFromUtf8(name)) << "x";
  LocalCopies copies(root);
  const struct {
    const char* folder;
    const char* name;
    bool here;
  } cases[] = {
      {"100GOPRO", "GOPR0001.JPG", true},
      {"100GOPRO", "GOPR0002.MP4", false},  // only its partial download is there
      {"100GOPRO", "GOPR0003.MP4", true},   // something of that name is in the way
      {"100GOPRO", "GOPR0009.JPG", false},
      {"101GOPRO", "ü.JPG", true},
      {"101GOPRO", "GOPR0001.JPG", false},  // the same name in another folder
      {"102GOPRO", "GOPR0001.JPG", false},  // a folder not downloaded yet
#ifdef _WIN32
      {"100GOPRO", "gopr0001.jpg", true},
#else
      {"100GOPRO", "gopr0001.jpg", false},
#endif
  };
  for (const auto& c : cases)
    EXPECT_EQ(copies.Has(c.folder, c.name), c.here) << c.folder << "/" << c.name;
}

TEST(LocalCopies, AMissingDownloadFolderHoldsNothing) {
  testing::TempDir dir;
  LocalCopies copies(PathFromUtf8(dir.File("not-made-yet")));
  EXPECT_FALSE(copies.Has("100GOPRO", "GOPR0001.JPG"));
  EXPECT_FALSE(copies.Has("", "not-made-yet"));
}

}  // namespace
}  // namespace kivo
