#include "camera/camera_status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/status_view.h"
#include "test_window.h"

namespace kivo {
namespace {

using test::Hex;
using test::TestWindow;

constexpr char kHero3Black[] = "0000000000000000050500ff000000000002906300123300020086 00010004";
constexpr char kHero3PlusBlack[] =
    "0000000000000000050000ff000000000002903f00123700000086 00010004";
const std::pair<std::string, std::string> kStreamOn{"camera/PV", "02"};

bool Decode(TestWindow& w, const std::vector<std::uint8_t>& record) {
  return ShowCameraStatus(record.data(), static_cast<int>(record.size()), w.model, w.state,
                            w.actions);
}

// An all-zero record with some bytes set.
std::vector<std::uint8_t> Record(std::initializer_list<std::pair<int, int>> changes) {
  std::vector<std::uint8_t> record(31, 0);
  for (auto [index, value] : changes) record[index] = static_cast<std::uint8_t>(value);
  return record;
}

std::vector<std::string> Checked(const TestWindow& w, const std::vector<std::string>& items) {
  std::vector<std::string> checked;
  for (const std::string& item : items)
    if (w.model.Get(item).Checked()) checked.push_back(item);
  return checked;
}

TEST(CameraStatus, RealHero3BlackRecordReadsAsTheCameraShowsIt) {
  TestWindow w;
  w.state.CameraModel = 4;
  ASSERT_TRUE(Decode(w, Hex(kHero3Black)));
  ASSERT_TRUE(Decode(w, Hex(kHero3Black)));  // video captions come from the previous record
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.Caption("ModeL"), "Video 960-48/50");
  EXPECT_EQ(w.Caption("Mode2L"), "         Wide");
  EXPECT_EQ(w.Caption("CamBat"), "Battery: 99%");
  EXPECT_EQ(w.Caption("Photos"), "2");
  EXPECT_EQ(w.Caption("PhotosAvailable"), "4659");
  EXPECT_EQ(w.Caption("Videos"), "1");
  EXPECT_EQ(w.Caption("VideoAvailable"), "134 min");
  EXPECT_EQ(w.Caption("Time"), "00:00");
  EXPECT_EQ(w.Caption("RecordBtn"), "Record");
  EXPECT_EQ(w.Caption("Orientation1"), "&Orientation Down");
  for (const char* on : {"Video1", "N96048501", "Wide1", "N7MPMedium1", "N05seconds1", "Off1",
                         "Video2", "N4LEDs1", "Never1", "OSD", "NTSC1"})
    EXPECT_TRUE(w.Checked(on)) << on;
  for (const char* off :
       {"Protune1", "SpotMeter1", "StreamingEnabled", "PAL1", "Locate", "OneButtonMode"})
    EXPECT_FALSE(w.Checked(off)) << off;
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera:**");  // bit 7 once per record
  EXPECT_EQ(w.actions.commands, (std::vector{kStreamOn, kStreamOn}));
  EXPECT_EQ(w.actions.clock_reads, 0);
}

TEST(CameraStatus, RealHero3PlusBlackRecordReadsAsTheCameraShowsIt) {
  TestWindow w;
  w.state.CameraModel = 11;
  Decode(w, Hex(kHero3PlusBlack));
  Decode(w, Hex(kHero3PlusBlack));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.Caption("ModeL"), "Video WVGA-60/50");
  EXPECT_EQ(w.Caption("CamBat"), "Battery: 63%");
  EXPECT_EQ(w.Caption("Photos"), "0");
  EXPECT_EQ(w.Caption("PhotosAvailable"), "4663");
  EXPECT_EQ(w.Caption("Videos"), "1");
  EXPECT_EQ(w.Caption("VideoAvailable"), "134 min");
  EXPECT_TRUE(w.Checked("WVGA60501"));
  EXPECT_TRUE(w.Checked("N7MPMedium1"));
}

TEST(CameraStatus, AllZeroRecord) {
  TestWindow w;
  ASSERT_TRUE(Decode(w, Record({})));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_TRUE(w.Checked("Video1"));
  EXPECT_EQ(w.Caption("CamBat"), "Battery: 0%");
  EXPECT_EQ(w.Caption("Photos"), "0");
  EXPECT_EQ(w.Caption("PhotosAvailable"), "0");
  EXPECT_EQ(w.Caption("Videos"), "0");
  EXPECT_EQ(w.Caption("VideoAvailable"), "0 min");
  EXPECT_EQ(w.Caption("Time"), "00:00");
  for (const SettingsMenuSpec& menu : CameraSettingsMenus()) {
    EXPECT_EQ(Checked(w, {menu.items.begin(), menu.items.end()}),
              std::vector<std::string>{menu.items[0]})
        << menu.menu;
  }
  EXPECT_TRUE(w.Checked("NTSC1"));
  EXPECT_FALSE(w.Checked("PAL1"));
  EXPECT_FALSE(w.Checked("StreamingEnabled"));
  EXPECT_EQ(w.actions.commands, std::vector{kStreamOn});
  EXPECT_EQ(w.actions.clock_reads, 0);
  EXPECT_EQ(w.Caption("Cam"),
            "00 00 00 00 00 00 00 00 . 00 00 00 00 00 00 00 00 .\r"
            "00 00 00 00 00 00 00 00 . 00 00 00 00 00 00 00 ");
}

TEST(CameraStatus, RepliesOfThirtyBytesOrLessAreDropped) {
  for (int len : {0, 1, 30}) {
    TestWindow w;
    std::vector<std::uint8_t> record(40, 1);
    EXPECT_FALSE(ShowCameraStatus(record.data(), len, w.model, w.state, w.actions)) << len;
    EXPECT_EQ(w.Caption("Cam"), "Camera:");
    EXPECT_TRUE(w.actions.commands.empty());
    EXPECT_EQ(w.state.CameraStatus[0], 0);
  }
}

TEST(CameraStatus, LongerRepliesUseTheFirstThirtyOneBytes) {
  TestWindow w;
  std::vector<std::uint8_t> record = Record({{13, 7}, {14, 9}});
  record.resize(64, 0xee);
  EXPECT_TRUE(Decode(w, record));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.Caption("Time"), "07:09");
}

struct BatteryCase {
  const char* test_name;
  int model;
  int reading;
  const char* text;
};

class CameraBattery : public ::testing::TestWithParam<BatteryCase> {};

TEST_P(CameraBattery, DependsOnTheModel) {
  TestWindow w;
  w.state.CameraModel = GetParam().model;
  Decode(w, Record({{19, GetParam().reading}}));
  EXPECT_EQ(w.Caption("CamBat"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CameraBattery,
    ::testing::Values(BatteryCase{"ChargingSilver", 3, 200, "Battery: charging"},
                      BatteryCase{"ChargingWhite", 2, 200, "Battery: charging"},
                      BatteryCase{"ChargingBlack", 4, 200, "Battery: charging"},
                      BatteryCase{"Above100Silver", 3, 101, "Battery: charging"},
                      BatteryCase{"Bit7SetUnknownModel", 0, 0x80, "Battery: charging"},
                      BatteryCase{"Silver54", 3, 54, "Battery: 75%"},
                      BatteryCase{"White54", 2, 54, "Battery: 71%"},
                      BatteryCase{"Black54", 4, 54, "Battery: 54%"},
                      BatteryCase{"SilverFull", 3, 72, "Battery: 100%"},
                      BatteryCase{"SilverCappedAt100", 3, 100, "Battery: 100%"},
                      BatteryCase{"WhiteCappedAt100", 2, 90, "Battery: 100%"},
                      BatteryCase{"PlusBlack100", 11, 100, "Battery: 100%"},
                      BatteryCase{"Hero2Raw", 1, 37, "Battery: 37%"}),
    [](const auto& info) { return std::string(info.param.test_name); });

struct RangeCase {
  const char* test_name;
  int byte;
  int value;
  const char* error;
  const char* kept;  // item checked by a zero record that must stay checked
};

class CameraRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(CameraRange, LogsTheLineAndKeepsTheMenu) {
  const RangeCase& c = GetParam();
  TestWindow w;
  Decode(w, Record({}));
  w.model.Get("SpotMeter1").SetChecked(true);
  Decode(w, Record({{c.byte, c.value}}));
  EXPECT_EQ(w.actions.errors, std::vector<std::string>{c.error});
  if (c.kept) {
    EXPECT_TRUE(w.Checked(c.kept));
  }
  if (c.byte == 4) {
    EXPECT_TRUE(w.Checked("SpotMeter1"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CameraRange,
    ::testing::Values(RangeCase{"Mode", 1, 5, "CameraStatus[2] error 5", nullptr},
                      RangeCase{"Mode255", 1, 255, "CameraStatus[2] error 255", nullptr},
                      RangeCase{"DefaultMode", 3, 4, "CameraStatus[4] error 4", "Video2"},
                      RangeCase{"SpotMeter", 4, 2, "CameraStatus[5] error 2", nullptr},
                      RangeCase{"Interval15", 5, 15, "CameraStatus[6] error 15", "N05seconds1"},
                      RangeCase{"Interval6", 5, 6, "CameraStatus[6] error 6", "N05seconds1"},
                      RangeCase{"AutoPowerOff", 6, 4, "CameraStatus[7] error 4", "Never1"},
                      RangeCase{"Fov", 7, 3, "CameraStatus[8] error 3", "Wide1"},
                      RangeCase{"PhotoResolution", 8, 9, "CameraStatus[9] error 9", "N11MPWide1"},
                      RangeCase{"VideoMode", 9, 12, "CameraStatus[10] error 12", "WVGA60501"},
                      RangeCase{"Beep", 16, 3, "CameraStatus[17] error 3", "Off1"},
                      RangeCase{"Leds", 17, 255, "CameraStatus[18] error 255", "OFF2"},
                      RangeCase{"CheckedValue", 30, 7, "CameraStatus[31] error 7", nullptr},
                      RangeCase{"Bit1", 18, 0x02, "CameraStatus[19] = 2", nullptr}),
    [](const auto& info) { return std::string(info.param.test_name); });

// Independent of the decoder's own lists: the byte and the items a camera value selects.
struct SettingsCase {
  const char* test_name;
  int byte;
  std::vector<std::string> items;
};

class CameraSettings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(CameraSettings, ValueChecksItsItemOnly) {
  const SettingsCase& c = GetParam();
  for (std::size_t value = 0; value < c.items.size(); ++value) {
    TestWindow w;
    for (const std::string& item : c.items) w.model.Get(item).SetChecked(true);
    Decode(w, Record({{c.byte, static_cast<int>(value)}}));
    EXPECT_TRUE(w.actions.errors.empty());
    EXPECT_EQ(Checked(w, c.items), std::vector<std::string>{c.items[value]}) << value;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Menus, CameraSettings,
    ::testing::Values(
        SettingsCase{"DefaultMode", 3, {"Video2", "Photo2", "Burst2", "TimeLapse2"}},
        SettingsCase{"AutoPowerOff", 6, {"Never1", "N60seconds2", "N120seconds1", "N300seconds1"}},
        SettingsCase{"VideoFOV", 7, {"Wide1", "Medium1", "Narrow1"}},
        SettingsCase{"PhotoResolution",
                     8,
                     {"N11MPWide1", "N8MPMedium1", "N5MPWide1", "N5MPMedium1", "N7MPWide1",
                      "N7MPMedium1", "N12MPMedium4000x30001", "N4", "N10MPWide3680x23401"}},
        SettingsCase{
            "VideoMode",
            9,
            {"WVGA60501", "WVGA1201001", "N72030251", "N72060501", "N96030251", "N96048501",
             "N108030251", "N108030T1", "N108024T1", "N96048T1", "N72060T1", "N108025T1"}},
        SettingsCase{"Beep", 16, {"Off1", "N701", "N1001"}},
        SettingsCase{"LEDs", 17, {"OFF2", "N2LEDs1", "N4LEDs1"}}),
    [](const auto& info) { return std::string(info.param.test_name); });

const std::vector<std::string> kIntervalItems{
    "N05seconds1", "N1second1",  "N2seconds1",  "N5seconds1",
    "N10seconds1", "N30second1", "N60seconds1", "Greaterthan60seconds1"};

TEST(CameraStatus, IntervalCodesMapToItems) {
  const std::pair<int, const char*> rows[] = {
      {0, "N05seconds1"},  {1, "N1second1"},   {2, "N2seconds1"},
      {3, "N5seconds1"},   {4, "N10seconds1"}, {5, "N5seconds1"},
      {10, "N10seconds1"}, {30, "N30second1"}, {60, "N60seconds1"}};
  for (auto [code, item] : rows) {
    TestWindow w;
    w.model.Get("Greaterthan60seconds1").SetChecked(true);
    Decode(w, Record({{5, code}}));
    EXPECT_TRUE(w.actions.errors.empty()) << code;
    EXPECT_EQ(Checked(w, kIntervalItems), std::vector<std::string>{item}) << code;
  }
}

TEST(CameraStatus, FlagBitsSet) {
  TestWindow w;
  Decode(w, Record({{18, 0x01 | 0x04 | 0x08 | 0x10 | 0x20 | 0x40 | 0x80}}));
  EXPECT_TRUE(w.actions.errors.empty());
  for (const char* on : {"StreamingEnabled", "OneButtonMode", "OSD", "PAL1", "Locate"})
    EXPECT_TRUE(w.Checked(on)) << on;
  EXPECT_FALSE(w.Checked("NTSC1"));
  EXPECT_EQ(w.Caption("Orientation1"), "&Orientation Up");
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera:*");
  EXPECT_TRUE(w.actions.commands.empty());  // the stream is on: no camera/PV
  EXPECT_EQ(w.actions.clock_reads, 1);
}

TEST(CameraStatus, FlagBitsClear) {
  TestWindow w;
  for (const char* item : {"StreamingEnabled", "OneButtonMode", "OSD", "PAL1", "Locate"})
    w.model.Get(item).SetChecked(true);
  w.model.Get("Orientation1").SetCaption("&Orientation Up");
  Decode(w, Record({}));
  for (const char* off : {"StreamingEnabled", "OneButtonMode", "OSD", "PAL1", "Locate"})
    EXPECT_FALSE(w.Checked(off)) << off;
  EXPECT_TRUE(w.Checked("NTSC1"));
  EXPECT_EQ(w.Caption("Orientation1"), "&Orientation Down");
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera:");
}

TEST(CameraStatus, ClockIsReadOnlyWhileUnknown) {
  TestWindow w;
  w.state.ClockKnown = true;
  Decode(w, Record({{18, 0x01}}));
  EXPECT_EQ(w.actions.clock_reads, 0);
}

struct ModeCase {
  int code;
  const char* item;
  const char* mode_l;
  const char* record_caption;
};

class CameraMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(CameraMode, ChecksOneModeItem) {
  const ModeCase& c = GetParam();
  TestWindow w;
  for (const char* item : {"Video1", "Photo1", "Burst1", "TimeLapse1", "Countdown1", "Protune1"})
    w.model.Get(item).SetChecked(true);
  Decode(w, Record({{1, c.code}, {8, 7}}));  // resolution "?": no text after the mode's dash
  EXPECT_TRUE(w.actions.errors.empty());
  std::vector<std::string> expected;
  if (c.item) expected.push_back(c.item);
  EXPECT_EQ(Checked(w, {"Video1", "Photo1", "Burst1", "TimeLapse1", "Countdown1", "Protune1"}),
            expected);
  EXPECT_EQ(w.Caption("ModeL"), c.mode_l);
  EXPECT_EQ(w.Caption("RecordBtn"), c.record_caption);
  EXPECT_EQ(w.Caption("StatusBar"), c.code == 7 ? "Menu open" : "");
}

INSTANTIATE_TEST_SUITE_P(Codes, CameraMode,
                         ::testing::Values(ModeCase{0, "Video1", "Video", "Record"},
                                           ModeCase{1, "Photo1", "Photo - ", "Take Photo"},
                                           ModeCase{2, "Burst1", "Burst - ", "Take Photo"},
                                           ModeCase{3, "TimeLapse1", "TL - ", "Take Photo"},
                                           ModeCase{4, "Countdown1", "Count Down", "Take Photo"},
                                           ModeCase{7, nullptr, "Menu", "Take Photo"}),
                         [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(CameraStatus, VideoCaptionsFollowThePreviousRecord) {
  TestWindow w;
  const auto protune_narrow = Record({{9, 8}, {7, 2}});
  Decode(w, protune_narrow);
  EXPECT_EQ(w.Caption("ModeL"), "Video");
  EXPECT_EQ(w.Caption("Mode2L"), "");
  EXPECT_FALSE(w.Checked("Protune1"));
  EXPECT_TRUE(w.Checked("N108024T1"));
  Decode(w, protune_narrow);
  EXPECT_EQ(w.Caption("ModeL"), "Video 1080-24 T");
  EXPECT_EQ(w.Caption("Mode2L"), "         Narrow");
  EXPECT_TRUE(w.Checked("Protune1"));
  const auto plain = Record({{9, 6}});
  Decode(w, plain);
  EXPECT_EQ(w.Caption("ModeL"), "Video 1080-24 T");
  EXPECT_TRUE(w.Checked("Protune1"));
  Decode(w, plain);
  EXPECT_EQ(w.Caption("ModeL"), "Video 960 40");
  EXPECT_EQ(w.Caption("Mode2L"), "         Wide");
  EXPECT_FALSE(w.Checked("Protune1"));
}

struct PhotoCase {
  const char* test_name;
  int mode;
  int resolution;
  const char* mode_l;
  const char* mode2_l;
};

class CameraPhotoCaption : public ::testing::TestWithParam<PhotoCase> {};

TEST_P(CameraPhotoCaption, SplitsTheResolutionAtItsDash) {
  const PhotoCase& c = GetParam();
  TestWindow w;
  Decode(w, Record({{1, c.mode}, {8, c.resolution}}));
  EXPECT_EQ(w.Caption("ModeL"), c.mode_l);
  EXPECT_EQ(w.Caption("Mode2L"), c.mode2_l);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CameraPhotoCaption,
    ::testing::Values(PhotoCase{"Photo11MP", 1, 0, "Photo - 11 MP Wide ", "      3840 x 2880"},
                      PhotoCase{"Burst8MP", 2, 1, "Burst - 8 MP Medium ", "      3200x2400"},
                      PhotoCase{"TimeLapse12MP", 3, 5, "TL - 12 MP Wide ", "      4000 x 3000"},
                      PhotoCase{"Photo10MP", 1, 8, "Photo - 10 MP Wide ", "      3680 x 2760"},
                      PhotoCase{"PlaceholderHasNoDash", 1, 7, "Photo - ", "      "},
                      PhotoCase{"CountdownHasNone", 4, 0, "Count Down", ""},
                      PhotoCase{"VideoHasNone", 0, 0, "Video", ""}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST(CameraStatus, NoSdCard) {
  TestWindow w;
  Decode(w, Record({{25, 255}, {26, 3}}));
  EXPECT_EQ(w.Caption("StatusBar"), "No SD Card");
  EXPECT_EQ(w.Caption("VideoAvailable"), "65283 min");
}

TEST(CameraStatus, CountsAreBigEndian) {
  TestWindow w;
  Decode(w, Record({{21, 1}, {22, 2}, {23, 0xff}, {24, 0xfe}, {25, 0}, {26, 200}, {28, 255}}));
  EXPECT_EQ(w.Caption("PhotosAvailable"), "258");
  EXPECT_EQ(w.Caption("Photos"), "65534");
  EXPECT_EQ(w.Caption("VideoAvailable"), "200 min");
  EXPECT_EQ(w.Caption("Videos"), "255");
}

TEST(CameraStatus, TimeShowsTwoCounters) {
  TestWindow w;
  Decode(w, Record({{13, 12}, {14, 5}}));
  EXPECT_EQ(w.Caption("Time"), "12:05");
  Decode(w, Record({{13, 255}, {14, 100}}));
  EXPECT_EQ(w.Caption("Time"), "255:100");
}

TEST(CameraStatus, StopSurvivesEveryDecode) {
  TestWindow w;
  w.model.Get("RecordBtn").SetCaption("Stop");
  for (int mode : {0, 1, 2, 3, 4, 7, 9}) {
    Decode(w, Record({{1, mode}}));
    EXPECT_EQ(w.Caption("RecordBtn"), "Stop") << mode;
  }
}

TEST(CameraStatus, StatusBarKeepsConnectedLinesOnly) {
  TestWindow w;
  w.model.Get("StatusBar").SetCaption("Connected Camera is on");
  Decode(w, Record({}));
  EXPECT_EQ(w.Caption("StatusBar"), "Connected Camera is on");
  w.model.Get("StatusBar").SetCaption("Command Timeout");
  Decode(w, Record({}));
  EXPECT_EQ(w.Caption("StatusBar"), "");
}

TEST(CameraStatus, FailureMidwayKeepsEarlierFieldsAndDoesNotThrow) {
  TestWindow w;
  w.actions.throw_on_log = true;
  bool decoded = false;
  EXPECT_NO_THROW(decoded = Decode(w, Record({{1, 5}, {19, 40}, {9, 3}})));
  EXPECT_TRUE(decoded);
  EXPECT_EQ(w.Caption("CamBat"), "Battery: 40%");  // before the failing mode byte
  EXPECT_EQ(w.Caption("RecordBtn"), "Record");     // after it: untouched
  EXPECT_FALSE(w.Checked("N72060501"));
  EXPECT_TRUE(w.actions.commands.empty());
}

}  // namespace
}  // namespace kivo
