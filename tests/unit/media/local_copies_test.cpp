// The download folder's copies of the card's files: a camera file is here only as a file of its
// name (or of a later copy's "-1", "-2"... name) with exactly its size.
#include "media/local_copies.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_path.h"
#include "platform/temp_dir.h"

namespace kivo {
namespace {

ListingEntry Exact(const char* name, std::uint64_t size) {
  ListingEntry e;
  e.name = name;
  e.has_size = true;
  e.size = size;
  e.size_exact = true;
  return e;
}

ListingEntry Rounded(const char* name, std::uint64_t estimate) {
  ListingEntry e = Exact(name, estimate);
  e.size_exact = false;
  return e;
}

ListingEntry Unsized(const char* name) {
  ListingEntry e;
  e.name = name;
  return e;
}

class LocalCopiesTest : public ::testing::Test {
 protected:
  LocalCopiesTest() : root_(PathFromUtf8(dir_.Path() + "Cámara")) {
    std::filesystem::create_directories(root_ / "100GOPRO" / "GOPR0005.MP4");  // in the way
    std::filesystem::create_directories(root_ / "101GOPRO");
    const struct {
      const char* name;
      std::size_t bytes;
    } files[] = {
        {"100GOPRO/GOPR0001.JPG", 26},  // an old card's photo of the same name
        {"100GOPRO/GOPR0002.JPG", 2801},
        {"100GOPRO/GOPR0003.JPG", 26},  // ... and the camera's, downloaded beside it
        {"100GOPRO/GOPR0003-1.JPG", 2801},
        {"100GOPRO/GOPR0004.JPG", 26},
        {"100GOPRO/GOPR0004-1.JPG", 27},
        {"100GOPRO/GOPR0006.MP4.part", 2801},
        {"100GOPRO/GOPR0007.JPG", 26},  // no -1: a new copy would take -1, so -2 is not it
        {"100GOPRO/GOPR0007-2.JPG", 2801},
        {"101GOPRO/ü.JPG", 5},
    };
    for (const auto& f : files)
      std::ofstream(root_ / PathFromUtf8(f.name), std::ios::binary) << std::string(f.bytes, 'x');
  }

  testing::TempDir dir_;
  std::filesystem::path root_;
};

TEST_F(LocalCopiesTest, SameNameAndExactSize) {
  LocalCopies copies(root_);
  const struct {
    const char* folder;
    ListingEntry file;
    LocalMatch match;
  } cases[] = {
      {"100GOPRO", Exact("GOPR0001.JPG", 2801), LocalMatch::kMissing},  // the name alone is not it
      {"100GOPRO", Exact("GOPR0001.JPG", 26), LocalMatch::kHere},
      {"100GOPRO", Exact("GOPR0002.JPG", 2801), LocalMatch::kHere},
      {"100GOPRO", Exact("GOPR0003.JPG", 2801), LocalMatch::kHere},  // as GOPR0003-1.JPG
      {"100GOPRO", Exact("GOPR0004.JPG", 2801), LocalMatch::kMissing},
      {"100GOPRO", Exact("GOPR0005.MP4", 0), LocalMatch::kMissing},
      {"100GOPRO", Exact("GOPR0006.MP4", 2801), LocalMatch::kMissing},  // only its .part
      {"100GOPRO", Exact("GOPR0007.JPG", 2801), LocalMatch::kMissing},
      {"100GOPRO", Exact("GOPR0009.JPG", 26), LocalMatch::kMissing},
      // The listing's "2.7K" could be the 2,801 bytes here; its "3K" cannot be 26 or 27 bytes.
      {"100GOPRO", Rounded("GOPR0002.JPG", 2765), LocalMatch::kUnsure},
      {"100GOPRO", Rounded("GOPR0003.JPG", 3072), LocalMatch::kUnsure},
      {"100GOPRO", Rounded("GOPR0001.JPG", 3072), LocalMatch::kMissing},
      {"100GOPRO", Rounded("GOPR0004.JPG", 3072), LocalMatch::kMissing},
      {"100GOPRO", Rounded("GOPR0002.JPG", 4404019), LocalMatch::kMissing},  // "4.2M"
      {"100GOPRO", Unsized("GOPR0001.JPG"), LocalMatch::kUnsure},
      {"100GOPRO", Unsized("GOPR0009.JPG"), LocalMatch::kMissing},
      {"101GOPRO", Exact("ü.JPG", 5), LocalMatch::kHere},
      {"101GOPRO", Exact("GOPR0002.JPG", 2801), LocalMatch::kMissing},  // another folder
      {"102GOPRO", Exact("GOPR0002.JPG", 2801), LocalMatch::kMissing},  // not downloaded yet
#ifdef _WIN32
      {"100GOPRO", Exact("gopr0002.jpg", 2801), LocalMatch::kHere},
#else
      {"100GOPRO", Exact("gopr0002.jpg", 2801), LocalMatch::kMissing},
#endif
  };
  for (const auto& c : cases) {
    EXPECT_EQ(copies.Find(c.folder, c.file), c.match)
        << c.folder << "/" << c.file.name << " " << c.file.size;
  }
}

TEST_F(LocalCopiesTest, AnItemIsHereWithEveryCompanion) {
  LocalCopies copies(root_);
  MediaItem video;
  video.folder = "100GOPRO";
  video.file = Exact("GOPR0002.JPG", 2801);
  EXPECT_TRUE(copies.AllHere(video));
  video.companions.push_back(Exact("GOPR0003.JPG", 2801));
  EXPECT_TRUE(copies.AllHere(video));
  video.companions.push_back(Exact("GOPR0004.JPG", 2801));
  EXPECT_FALSE(copies.AllHere(video));
  video.companions.pop_back();
  video.companions.push_back(Rounded("GOPR0003.JPG", 2765));  // the camera must be asked
  EXPECT_FALSE(copies.AllHere(video));
}

TEST(LocalCopies, AMissingDownloadFolderHoldsNothing) {
  testing::TempDir dir;
  LocalCopies copies(PathFromUtf8(dir.File("not-made-yet")));
  EXPECT_EQ(copies.Find("100GOPRO", Exact("GOPR0001.JPG", 1)), LocalMatch::kMissing);
  EXPECT_EQ(copies.Find("", Unsized("not-made-yet")), LocalMatch::kMissing);
}

TEST(NameVariant, NumbersBeforeTheExtension) {
  EXPECT_EQ(NameVariant("GOPR0001.JPG", 0), "GOPR0001.JPG");
  EXPECT_EQ(NameVariant("GOPR0001.JPG", 2), "GOPR0001-2.JPG");
  EXPECT_EQ(NameVariant("README", 1), "README-1");
}

}  // namespace
}  // namespace kivo
