#include <gtest/gtest.h>

#include <set>
#include <string>

#include "camera/command_table.h"
#include "camera/command_url.h"
#include "camera/setting_items.h"
#include "test_window.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

struct CommandCase {
  const char* test_name;
  const char* component;
  bool checked;
  const char* caption;  // nullptr: the design caption
  const char* url;      // nullptr: nothing is sent
};

constexpr char kBase[] = "http://10.5.5.9/";

// clang-format off
const CommandCase kCommandCases[] = {
  {"OnWhenOff",          "OnBtn", false, "ON",  "bacpac/PW?t=cameralnk&p=%01"},
  {"OffWhenOn",          "OnBtn", false, "OFF", "bacpac/PW?t=cameralnk&p=%00"},
  {"OnBtnOtherCaption",  "OnBtn", false, "On",  nullptr},
  {"OnBtnEmptyCaption",  "OnBtn", false, "",    nullptr},
  {"RecordStart",        "RecordBtn", false, "Record",     "bacpac/SH?t=cameralnk&p=%01"},
  {"ShootPhoto",         "RecordBtn", false, "Take Photo", "bacpac/SH?t=cameralnk&p=%01"},
  {"RecordStop",         "RecordBtn", false, "Stop",       "bacpac/SH?t=cameralnk&p=%00"},
  {"ModeVideo",      "Video1",     false, nullptr, "camera/CM?t=cameralnk&p=%00"},
  {"ModePhoto",      "Photo1",     false, nullptr, "camera/CM?t=cameralnk&p=%01"},
  {"ModeTimeLapse",  "TimeLapse1", false, nullptr, "camera/CM?t=cameralnk&p=%03"},
  {"ModeBurst",      "Burst1",     false, nullptr, "camera/CM?t=cameralnk&p=%02"},
  {"ModeCountdown",  "Countdown1", true,  nullptr, "camera/CM?t=cameralnk&p=%04"},
  {"ProtuneOff",     "Protune1",   true,  nullptr, "camera/PT?t=cameralnk&p=%00"},
  {"ProtuneOn",      "Protune1",   false, nullptr, "camera/PT?t=cameralnk&p=%01"},
  {"SpotMeterOff",   "SpotMeter1", true,  nullptr, "camera/EX?t=cameralnk&p=%00"},
  {"SpotMeterOn",    "SpotMeter1", false, nullptr, "camera/EX?t=cameralnk&p=%01"},
  {"OrientDown",     "Orientation1", false, "&Orientation Down", "camera/UP?t=cameralnk&p=%01"},
  {"OrientUp",       "Orientation1", false, "&Orientation Up",   "camera/UP?t=cameralnk&p=%00"},
  {"OrientOther",    "Orientation1", false, "Orientation Down",  "camera/UP?t=cameralnk&p=%00"},
  {"VrWvga60",  "WVGA60501",   false, nullptr, "camera/VR?t=cameralnk&p=%00"},
  {"VrWvga120", "WVGA1201001", false, nullptr, "camera/VR?t=cameralnk&p=%01"},
  {"Vr4k",      "N72030251",   false, nullptr, "camera/VR?t=cameralnk&p=%02"},
  {"Vr27k",     "N72060501",   false, nullptr, "camera/VR?t=cameralnk&p=%03"},
  {"Vr1080Sv",  "N96030251",   false, nullptr, "camera/VR?t=cameralnk&p=%04"},
  {"Vr960",     "N96048501",   false, nullptr, "camera/VR?t=cameralnk&p=%05"},
  {"Vr960x40",  "N108030251",  false, nullptr, "camera/VR?t=cameralnk&p=%06"},
  {"Vr1080x30", "N108030T1",   false, nullptr, "camera/VR?t=cameralnk&p=%07"},
  {"Vr1080x24", "N108024T1",   false, nullptr, "camera/VR?t=cameralnk&p=%08"},
  {"Vr960T",    "N96048T1",    false, nullptr, "camera/VR?t=cameralnk&p=%09"},
  {"Vr720T",    "N72060T1",    false, nullptr, "camera/VR?t=cameralnk&p=%0a"},
  {"Vr1080x25", "N108025T1",   true,  nullptr, "camera/VR?t=cameralnk&p=%0b"},
  {"FovWide",   "Wide1",   false, nullptr, "camera/FV?t=cameralnk&p=%00"},
  {"FovMedium", "Medium1", false, nullptr, "camera/FV?t=cameralnk&p=%01"},
  {"FovNarrow", "Narrow1", false, nullptr, "camera/FV?t=cameralnk&p=%02"},
  {"Pr11",  "N11MPWide1",            false, nullptr, "camera/PR?t=cameralnk&p=%00"},
  {"Pr8",   "N8MPMedium1",           false, nullptr, "camera/PR?t=cameralnk&p=%01"},
  {"Pr5W",  "N5MPWide1",             false, nullptr, "camera/PR?t=cameralnk&p=%02"},
  {"Pr5M",  "N5MPMedium1",           false, nullptr, "camera/PR?t=cameralnk&p=%03"},
  {"Pr7W",  "N7MPWide1",             false, nullptr, "camera/PR?t=cameralnk&p=%04"},
  {"Pr12W", "N7MPMedium1",           false, nullptr, "camera/PR?t=cameralnk&p=%05"},
  {"Pr7M",  "N12MPMedium4000x30001", false, nullptr, "camera/PR?t=cameralnk&p=%06"},
  {"PrPlaceholder", "N4",            false, nullptr, nullptr},
  {"Pr10",  "N10MPWide3680x23401",   false, nullptr, "camera/PR?t=cameralnk&p=%08"},
  {"TiHalf", "N05seconds1", false, nullptr, "camera/TI?t=cameralnk&p=%00"},
  {"Ti1",    "N1second1",   false, nullptr, "camera/TI?t=cameralnk&p=%01"},
  {"Ti2",    "N2seconds1",  false, nullptr, "camera/TI?t=cameralnk&p=%02"},
  {"Ti5",    "N5seconds1",  false, nullptr, "camera/TI?t=cameralnk&p=%05"},
  {"Ti10",   "N10seconds1", false, nullptr, "camera/TI?t=cameralnk&p=%0a"},
  {"Ti30",   "N30second1",  false, nullptr, "camera/TI?t=cameralnk&p=%1e"},
  {"Ti60",   "N60seconds1", false, nullptr, "camera/TI?t=cameralnk&p=%3c"},
  {"TiHourOrMore", "Greaterthan60seconds1", false, nullptr, nullptr},
  {"BeepOff", "Off1",  false, nullptr, "camera/BS?t=cameralnk&p=%00"},
  {"Beep70",  "N701",  false, nullptr, "camera/BS?t=cameralnk&p=%01"},
  {"Beep100", "N1001", false, nullptr, "camera/BS?t=cameralnk&p=%02"},
  {"DmVideo",     "Video2",     false, nullptr, "camera/DM?t=cameralnk&p=%00"},
  {"DmPhoto",     "Photo2",     false, nullptr, "camera/DM?t=cameralnk&p=%01"},
  {"DmBurst",     "Burst2",     false, nullptr, "camera/DM?t=cameralnk&p=%02"},
  {"DmTimeLapse", "TimeLapse2", false, nullptr, "camera/DM?t=cameralnk&p=%03"},
  {"LedsOff", "OFF2",    false, nullptr, "camera/LB?t=cameralnk&p=%00"},
  {"Leds2",   "N2LEDs1", false, nullptr, "camera/LB?t=cameralnk&p=%01"},
  {"Leds4",   "N4LEDs1", false, nullptr, "camera/LB?t=cameralnk&p=%02"},
  {"Ntsc", "NTSC1", true,  nullptr, "camera/VM?t=cameralnk&p=%00"},
  {"Pal",  "PAL1",  false, nullptr, "camera/VM?t=cameralnk&p=%01"},
  {"LocateOff", "Locate", true,  nullptr, "camera/LL?t=cameralnk&p=%00"},
  {"LocateOn",  "Locate", false, nullptr, "camera/LL?t=cameralnk&p=%01"},
  {"CameraNameBare", "SSID1", false, nullptr, "camera/CN?t=cameralnk&p=%09"},
  {"StreamOff", "StreamingEnabled", true,  nullptr, "camera/PV?t=cameralnk&p=%00"},
  {"StreamOn",  "StreamingEnabled", false, nullptr, "camera/PV?t=cameralnk&p=%02"},
  {"DeleteLast", "DeleteLast1", false, nullptr, "camera/DL?t=cameralnk"},
  {"DeleteAll",  "DeleteAll1",  false, nullptr, "camera/DA?t=cameralnk"},
  {"OneButtonModeSendsNothing", "OneButtonMode", false, nullptr, nullptr},
  {"OsdSendsNothing",           "OSD",           false, nullptr, nullptr},
  {"PreviewItemSendsNothing",   "Preview",       false, nullptr, nullptr},
};
// clang-format on

class CommandUrl : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandUrl, FollowsTheComponentState) {
  const CommandCase& c = GetParam();
  test::TestWindow window;
  Component& component = window.model.Get(c.component);
  component.SetChecked(c.checked);
  if (c.caption) component.SetCaption(c.caption);
  const std::optional<Command> command = CommandFor(c.component, window.model);
  if (!c.url) {
    EXPECT_FALSE(command.has_value());
    return;
  }
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(BuildCommandUrl("10.5.5.9", "cameralnk", command->path, command->parameter),
            std::string(kBase) + c.url);
}

INSTANTIATE_TEST_SUITE_P(AllRows, CommandUrl, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.test_name); });

TEST(CommandTable, EveryRowIsCoveredByTheUrlCases) {
  std::set<std::string> covered;
  for (const CommandCase& c : kCommandCases) covered.insert(c.component);
  for (const CommandRow& row : CommandTable())
    EXPECT_TRUE(covered.count(row.component)) << row.component;
}

// The setting item lists are checked against the command table at compile time; the menu lives
// one floor down, so that it names each of them is checked here.
TEST(SettingItems, EveryItemIsAMenuItemOfTheMainMenu) {
  const std::span<const char* const> lists[] = {
      kDefaultModeItems, kAutoPowerOffItems, kFovItems,          kPhotoResolutionItems,
      kVideoModeItems,   kBeepItems,         kLedsItems,         kIntervalItems,
      kCaptureModeItems, kVideoStandardItems, kToggleItems};
  for (const auto& list : lists)
    for (const char* item : list) {
      const MenuSpec* spec = FindMenuSpec(item);
      ASSERT_NE(spec, nullptr) << item;
      EXPECT_FALSE(IsMenu(item)) << item;
      EXPECT_STRNE(spec->caption, kSeparatorCaption) << item;
    }
}

TEST(CommandTable, OnlyRecordAndCameraNameNeedTheWindow) {
  for (const CommandRow& row : CommandTable()) {
    const std::string name = row.component;
    const WindowStep expected = name == "RecordBtn" ? WindowStep::kRecordInterval
                                : name == "SSID1"   ? WindowStep::kAskCameraName
                                                    : WindowStep::kNone;
    EXPECT_EQ(row.step, expected) << name;
  }
}

// The check mark only moves with the next status poll, so a second pick sends the same again.
TEST(CommandTable, ProtuneTwiceBeforeThePollSendsTheSameTwice) {
  test::TestWindow window;
  const auto first = CommandFor("Protune1", window.model);
  const auto second = CommandFor("Protune1", window.model);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->parameter, "01");
  EXPECT_EQ(*first, *second);
}

TEST(CommandTable, MissingComponentOfAKnownRowThrows) {
  ComponentModel empty;
  EXPECT_THROW(CommandFor("Video1", empty), std::out_of_range);
  EXPECT_FALSE(CommandFor("NoSuchThing", empty).has_value());
}

struct UrlCase {
  const char* test_name;
  const char* address;
  const char* password;
  const char* path;
  std::string parameter;
  const char* url;
};

const UrlCase kUrlCases[] = {
    {"EmptyParameterEndsWithPassword", "10.5.5.9", "cameralnk", "camera/DL", "",
     "http://10.5.5.9/camera/DL?t=cameralnk"},
    {"UnreservedPasswordBytesStay", "10.5.5.9", "Az09-._~", "bacpac/PW", "01",
     "http://10.5.5.9/bacpac/PW?t=Az09-._~&p=%01"},
    // Sent raw, "&p=%01" would become a parameter of its own and the camera would take
    // "cameralnk" for the password.
    {"PasswordThatLooksLikeAParameter", "10.5.5.9", "cameralnk&p=%01", "bacpac/PW", "00",
     "http://10.5.5.9/bacpac/PW?t=cameralnk%26p%3D%2501&p=%00"},
    {"PasswordWithABlank", "10.5.5.9", "my pass", "bacpac/PW", "01",
     "http://10.5.5.9/bacpac/PW?t=my%20pass&p=%01"},
    {"PasswordWithEveryDelimiter", "10.5.5.9", "?#/+=:@\"", "camera/se", "",
     "http://10.5.5.9/camera/se?t=%3F%23%2F%2B%3D%3A%40%22"},
    {"EmptyAddressAndPassword", "", "", "camera/CM", "03", "http:///camera/CM?t=&p=%03"},
    {"TableParameterKeptAsItIs", "10.5.5.9", "pw", "camera/TM", "0f%0c%1f%17%3b%30",
     "http://10.5.5.9/camera/TM?t=pw&p=%0f%0c%1f%17%3b%30"},
    {"CameraNameEncoded", "10.5.5.9", "pw", "camera/CN", CameraNameParameter("my cam&t=x?y#z"),
     "http://10.5.5.9/camera/CN?t=pw&p=%09my%20cam%26t%3Dx%3Fy%23z"},
    {"CameraNamePercentEncoded", "10.5.5.9", "pw", "camera/CN", CameraNameParameter("100%"),
     "http://10.5.5.9/camera/CN?t=pw&p=%09100%25"},
    {"NonAsciiCameraNameByteForByte", "10.5.5.9", "pw", "camera/CN",
     CameraNameParameter("K\xC3\xA4" "fer\x01\x7F\xFF"),
     "http://10.5.5.9/camera/CN?t=pw&p=%09K%C3%A4fer%01%7F%FF"},
    {"EmptyCameraName", "10.5.5.9", "pw", "camera/CN", CameraNameParameter(""),
     "http://10.5.5.9/camera/CN?t=pw&p=%09"},
    {"LongCameraNameStillStartsWith09", "10.5.5.9", "pw", "camera/CN",
     CameraNameParameter("abcdefghijklmnopqrstuvwxyz0123456789"),
     "http://10.5.5.9/camera/CN?t=pw&p=%09abcdefghijklmnopqrstuvwxyz0123456789"},
};

class CommandUrlRule : public ::testing::TestWithParam<UrlCase> {};

TEST_P(CommandUrlRule, EncodesWhatWasTypedAndKeepsTheTablesEscapes) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(BuildCommandUrl(c.address, c.password, c.path, c.parameter), c.url);
}

INSTANTIATE_TEST_SUITE_P(Rule, CommandUrlRule, ::testing::ValuesIn(kUrlCases),
                         [](const auto& info) { return std::string(info.param.test_name); });

std::vector<std::uint8_t> Range(int first, int count) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(first + i));
  return bytes;
}

struct DumpCase {
  const char* test_name;
  std::vector<std::uint8_t> bytes;
  int len;
  std::string dump;
};

const DumpCase kDumpCases[] = {
    {"OneZeroByte", {0}, 1, "00 "},
    {"TenBytes", Range(1, 10), 10, "01 02 03 04 05 06 07 08 . 09 0A "},
    {"ExactlyEight", Range(0xf8, 8), 8, "F8 F9 FA FB FC FD FE FF . "},
    {"Empty", {}, 0, ""},
    {"NegativeLength", {1, 2}, -1, ""},
    {"FortyBytesDumpThirtyTwo", Range(0, 40), 40,
     "00 01 02 03 04 05 06 07 . 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C "
     "1D 1E 1F "},
};

class CommandDump : public ::testing::TestWithParam<DumpCase> {};

TEST_P(CommandDump, UpperCaseHexWithDotAfterTheEighth) {
  const DumpCase& c = GetParam();
  EXPECT_EQ(CommandReplyDump(c.bytes.data(), c.len), c.dump);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandDump, ::testing::ValuesIn(kDumpCases),
                         [](const auto& info) { return std::string(info.param.test_name); });

TEST(StatusDumps, BacPacRecordHasOneDot) {
  const auto record = test::Hex("006401000300ff002201000104020101");
  EXPECT_EQ(BacPacDump(std::span<const std::uint8_t, 16>(record.data(), 16)),
            "00 64 01 00 03 00 FF 00 . 22 01 00 01 04 02 01 01 ");
}

TEST(StatusDumps, CameraRecordBreaksAfterTheSixteenthByte) {
  const auto record = test::Hex("0000000000000000050500ff000000000002906300123300020086 00010004");
  const std::string dump = CameraDump(std::span<const std::uint8_t, 31>(record.data(), 31));
  EXPECT_EQ(dump,
            "00 00 00 00 00 00 00 00 . 05 05 00 FF 00 00 00 00 .\r"
            "00 02 90 63 00 12 33 00 . 02 00 86 00 01 00 04 ");
  EXPECT_EQ(dump[51], '\r');
}

}  // namespace
}  // namespace kivo
