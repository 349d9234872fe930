#include "ui/win32/short_cut.h"

#include <gtest/gtest.h>

namespace kivo::win32 {
namespace {

struct ShortCutCase {
  const char* name;
  const char* text;
  bool ok;
  BYTE flags;
  WORD key;
};

const ShortCutCase kCases[] = {
    {"CtrlLetter", "Ctrl+W", true, FVIRTKEY | FCONTROL, 'W'},
    {"AltLetter", "Alt+P", true, FVIRTKEY | FALT, 'P'},
    {"LowerCaseLetter", "Alt+v", true, FVIRTKEY | FALT, 'V'},
    {"FunctionKey", "F1", true, FVIRTKEY, VK_F1},
    {"HighFunctionKey", "F12", true, FVIRTKEY, VK_F12},
    {"TwoModifiers", "Ctrl+Shift+Del", true, FVIRTKEY | FCONTROL | FSHIFT, VK_DELETE},
    {"DigitKey", "Ctrl+1", true, FVIRTKEY | FCONTROL, '1'},
    {"UnknownModifier", "Meta+W", false, 0, 0},
    {"UnknownKey", "Ctrl+Banana", false, 0, 0},
    {"FunctionKeyOutOfRange", "F25", false, 0, 0},
    {"Empty", "", false, 0, 0},
};

class ShortCutTest : public ::testing::TestWithParam<ShortCutCase> {};

TEST_P(ShortCutTest, Parses) {
  ACCEL accel{};
  ASSERT_EQ(ParseShortCut(GetParam().text, &accel), GetParam().ok);
  if (!GetParam().ok) return;
  EXPECT_EQ(accel.fVirt, GetParam().flags);
  EXPECT_EQ(accel.key, GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Texts, ShortCutTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo::win32
