// The Win32 renderer's plain parts of scaling and naming: design pixels to a DPI and back give
// the design value again (so a window saved and restored at any DPI keeps its size), and the
// text assistive technology reads for a caption is the Linux window's.
#include <gtest/gtest.h>

#include "ui/win32/win32_accessible.h"
#include "ui/win32/win32_dpi.h"

namespace kivo::win32 {
namespace {

struct ScaleCase {
  int dpi;
  int design;
  int pixels;
};

const ScaleCase kScaleCases[] = {
    {96, 608, 608}, {120, 608, 760}, {144, 601, 902}, {144, 11, 17},
    {168, 434, 760}, {192, 245, 490}, {288, 20, 60},
};

class ScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleTest, ScalesToTheNearestPixelAndBack) {
  EXPECT_EQ(Scale(GetParam().design, GetParam().dpi), GetParam().pixels);
  EXPECT_EQ(Unscale(GetParam().pixels, GetParam().dpi), GetParam().design);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScaleTest, ::testing::ValuesIn(kScaleCases));

TEST(ScaleTest, EveryDesignSizeSurvivesARoundTripAtCommonDpis) {
  for (int dpi : {96, 120, 144, 168, 192, 240, 288}) {
    for (int design = 0; design <= 2000; ++design)
      ASSERT_EQ(Unscale(Scale(design, dpi), dpi), design) << design << " at " << dpi;
  }
}

struct TextCase {
  const char* caption;
  const char* spoken;
};

const TextCase kTextCases[] = {
    {"&File", "File"},
    {"Save && Exit", "Save & Exit"},
    {"    Camera    ", "Camera"},
    {"    SD Card    ", "SD Card"},
    {"Photos: ", "Photos:"},
    {"Line one\r\nLine  two", "Line one Line two"},
    {"", ""},
};

class AccessibleTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(AccessibleTextTest, ReadsAsTheLinuxWindowDoes) {
  EXPECT_EQ(AccessibleText(GetParam().caption), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(Captions, AccessibleTextTest, ::testing::ValuesIn(kTextCases));

}  // namespace
}  // namespace kivo::win32
