#include "ui/window_fit.h"

#include <gtest/gtest.h>

namespace kivo {
namespace {

TEST(FitToWorkAreaTest, ShrinksMovesAndKeepsTheMinimum) {
  const ScreenRect screen{0, 0, 1024, 768};
  struct Case {
    const char* what;
    ScreenRect window, work;
    int min_width, min_height;
    ScreenRect want;
  } cases[] = {
      {"inside stays", {100, 100, 500, 400}, screen, 0, 0, {100, 100, 500, 400}},
      {"too wide and low: shrunk and moved up",
       {80, 80, 1176, 838}, screen, 0, 0, {0, 10, 1024, 768}},
      {"larger than the screen both ways", {-50, -50, 2000, 1500}, screen, 0, 0, {0, 0, 1024, 768}},
      {"off every monitor to the right", {3000, 200, 3400, 500}, screen, 0, 0,
       {624, 200, 1024, 500}},
      {"above the screen", {100, -900, 500, -600}, screen, 0, 0, {100, 0, 500, 300}},
      {"the minimum wins, top-left inside", {300, 300, 1300, 1000}, screen, 1100, 800,
       {0, 0, 1100, 800}},
      {"a second monitor's work area below a task bar",
       {1900, 0, 2600, 600}, {1024, 0, 2304, 1000}, 0, 0, {1604, 0, 2304, 600}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitToWorkArea(c.window, c.work, c.min_width, c.min_height), c.want) << c.what;
  }
}

// The Browse window's layout: a folder line with two buttons at its right, the file list with a
// column of picture and buttons beside it (Cancel ending with the list), bars under both.
const std::vector<Bounds> kBrowse = {
    {8, 10, 530, 20},    {546, 6, 80, 26},    {632, 6, 80, 26},   {8, 40, 522, 282},
    {538, 40, 174, 131}, {538, 200, 174, 28}, {538, 234, 174, 28}, {538, 294, 174, 28},
    {8, 330, 704, 20}};

TEST(FollowParentTest, ControlsFollowTheEdgesOfASmallerWindow) {
  const std::vector<Bounds> placed = FollowParent(kBrowse, 720, 452, 680, 432);
  const std::vector<Bounds> want = {
      {8, 10, 490, 20},    {506, 6, 80, 26},    {592, 6, 80, 26},   {8, 40, 482, 262},
      {498, 40, 174, 131}, {498, 200, 174, 28}, {498, 234, 174, 28}, {498, 274, 174, 28},
      {8, 310, 664, 20}};
  EXPECT_EQ(placed, want);
  // Larger than designed: as designed.
  EXPECT_EQ(FollowParent(kBrowse, 720, 452, 900, 600), kBrowse);
}

TEST(FollowParentTest, TheSmallestParentKeepsControlsApart) {
  const Bounds smallest = SmallestFollowingParent(kBrowse, 720, 452);
  // Across, the list may lose half its width; down, Cancel meets Download All 32 px up.
  EXPECT_EQ(smallest.width, 720 - 261);
  EXPECT_EQ(smallest.height, 452 - 32);
  const std::vector<Bounds> placed = FollowParent(kBrowse, 720, 452, smallest.width,
                                                  smallest.height);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    EXPECT_LE(placed[i].left + placed[i].width, smallest.width) << i;
    EXPECT_LE(placed[i].top + placed[i].height, smallest.height) << i;
  }
}

TEST(FitColumnsTest, ColumnsFillTheRows) {
  struct Case {
    std::vector<int> widths;
    int client;
    std::vector<int> want;
  } cases[] = {
      {{100, 108, 64, 118, 120}, 510, {100, 108, 64, 118, 120}},
      // The list's rows at 96 dpi beside a vertical scroll bar: no sideways bar.
      {{100, 108, 64, 118, 120}, 497, {100, 108, 64, 118, 107}},
      {{100, 100, 100}, 600, {100, 100, 400}},
      // The last column gives half of itself, then all narrow alike.
      {{100, 100, 100}, 200, {80, 80, 40}},
      {{1, 1, 1}, 10, {1, 1, 8}},
      {{0, 0}, 100, {0, 0}},
  };
  for (const Case& c : cases) {
    const std::vector<int> got = FitColumns(c.widths, c.client);
    EXPECT_EQ(got, c.want) << c.client;
    int sum = 0;
    for (int w : got) sum += w;
    if (c.want[0] > 0) {
      EXPECT_EQ(sum, c.client);
    }
  }
}

}  // namespace
}  // namespace kivo
