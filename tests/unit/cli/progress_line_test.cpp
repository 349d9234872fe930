#include "cli/progress_line.h"

#include <gtest/gtest.h>

namespace kivo {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

struct LineCase {
  const char* name;
  ProgressView view;
  const char* text;
};

TEST(ProgressLineTest, Text) {
  const LineCase kCases[] = {
      {"nothing known yet", {"100GOPRO/GOPR0001.MP4", 0, 4, 0, 0, 0, -1},
       "[1/4] 100GOPRO/GOPR0001.MP4  0 B"},
      {"length known, no rate yet", {"100GOPRO/GOPR0002.MP4", 1, 4, 12 * kMiB, 256 * kMiB, 0, -1},
       "[2/4] 100GOPRO/GOPR0002.MP4  12.0 MB of 256.0 MB (4%)"},
      {"rate and time left", {"100GOPRO/GOPR0002.MP4", 1, 4, 128 * kMiB, 256 * kMiB,
                              40.0 * kMiB, 310},
       "[2/4] 100GOPRO/GOPR0002.MP4  128.0 MB of 256.0 MB (50%)  40.0 MB/s  5 min 10 s left"},
      {"resumed file past its estimate", {"101GOPRO/GOPR1000.JPG", 3, 4, 5000, 4096, 2048, 0},
       "[4/4] 101GOPRO/GOPR1000.JPG  5 KB of 4 KB (100%)  2 KB/s  0 s left"},
  };
  for (const LineCase& c : kCases) EXPECT_EQ(ProgressLineText(c.view), c.text) << c.name;
}

TEST(ProgressLineTest, OverwriteBlanksWhatTheLastLineLeft) {
  EXPECT_EQ(OverwriteLine("abc", 0), "\rabc");
  EXPECT_EQ(OverwriteLine("abc", 3), "\rabc");
  EXPECT_EQ(OverwriteLine("abc", 6), "\rabc   ");
  EXPECT_EQ(OverwriteLine("", 2), "\r  ");
}

}  // namespace
}  // namespace kivo
