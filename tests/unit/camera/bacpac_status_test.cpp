#include "camera/bacpac_status.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/status_view.h"
#include "test_window.h"

namespace kivo {
namespace {

using test::Hex;
using test::TestWindow;

using test::kHero3BlackBacPac;
constexpr char kHero3PlusBlack[] = "006401000400ff00520100010b020101";
constexpr Rgb kGreen{0, 128, 0};
constexpr Rgb kRed{255, 0, 0};

void Decode(TestWindow& w, const std::vector<std::uint8_t>& record) {
  ShowBacPacStatus(record.data(), static_cast<int>(record.size()), w.model, w.state, w.actions);
}

// The HERO3 Black record with some bytes replaced.
std::vector<std::uint8_t> Record(std::initializer_list<std::pair<int, int>> changes) {
  auto record = Hex(kHero3BlackBacPac);
  for (auto [index, value] : changes) record[index] = static_cast<std::uint8_t>(value);
  return record;
}

int FlagsSet(const CameraState& s) {
  return s.Hero2 + s.HeroWhite + s.HeroSilver + s.HeroBlack + s.HeroBlackPlus + s.HeroSilverPlus;
}

TEST(BacPacStatus, RealHero3BlackRecordShowsCameraOn) {
  TestWindow w;
  Decode(w, Hex(kHero3BlackBacPac));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.actions.camera_status_requests, 1);
  EXPECT_EQ(w.Caption("StatusBar"), "Connected Camera is on");
  EXPECT_EQ(w.Caption("CamPanel"), "    Hero 3 Black   ");
  EXPECT_EQ(w.Caption("OnBtn"), "OFF");
  EXPECT_EQ(w.model.Get("OnBtn").FontColor(), kRed);
  EXPECT_TRUE(w.Enabled("OnBtn"));
  EXPECT_TRUE(w.Enabled("RecordBtn"));
  EXPECT_EQ(w.Caption("RecordBtn"), "Record");
  EXPECT_TRUE(w.Enabled("VLCBtn"));
  for (const char* menu : {"Mode1", "Settings1", "SDCard"}) EXPECT_TRUE(w.Enabled(menu)) << menu;
  EXPECT_EQ(w.Caption("GoProReady"), "Camera Connected: 1");
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera: 34");
  EXPECT_EQ(w.Caption("BacPacBat"), "");
  EXPECT_EQ(w.Caption("Bac"), "00 64 01 00 03 00 FF 00 . 22 01 00 01 04 02 01 01 ");
  EXPECT_EQ(w.state.CameraModel, 4);
  EXPECT_TRUE(w.state.HeroBlack);
  EXPECT_EQ(FlagsSet(w.state), 1);
}

TEST(BacPacStatus, RealHero3PlusBlackRecordShowsCameraOn) {
  TestWindow w;
  Decode(w, Hex(kHero3PlusBlack));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.Caption("CamPanel"), "    Hero 3+ Black   ");
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera: 82");
  EXPECT_TRUE(w.Enabled("RecordBtn"));
  EXPECT_EQ(w.state.CameraModel, 11);
  EXPECT_TRUE(w.state.HeroBlackPlus);
  EXPECT_EQ(FlagsSet(w.state), 1);
}

TEST(BacPacStatus, CameraOffDisablesTheCameraControls) {
  TestWindow w;
  Decode(w, Hex(kHero3BlackBacPac));
  w.state.ClockKnown = true;
  w.model.Get("CamBat").SetCaption("Battery: 99%");
  Decode(w, Record({{9, 0}, {8, 0}, {12, 255}}));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.actions.camera_status_requests, 1);  // only the first record's
  for (const char* menu : {"Mode1", "Settings1", "SDCard"}) EXPECT_FALSE(w.Enabled(menu)) << menu;
  EXPECT_EQ(w.Caption("OnBtn"), "ON");
  EXPECT_EQ(w.model.Get("OnBtn").FontColor(), kGreen);
  EXPECT_FALSE(w.Enabled("RecordBtn"));
  EXPECT_EQ(w.Caption("CamBat"), "");
  EXPECT_EQ(w.Caption("StatusBar"), "Connected Camera is off");
  EXPECT_FALSE(w.state.ClockKnown);
}

struct ErrorCase {
  const char* test_name;
  std::vector<std::uint8_t> record;
  std::vector<std::string> errors;
};

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

const ErrorCase kErrorCases[] = {
    {"UnknownPower", Record({{9, 2}}), {"BacPacStatus[10] is 2"}},
    {"PrintablePowerLogsTheText",
     Record({{9, 'A'}}),
     {"BacPacStatus[10] is 65", "BacPacStatus: "}},  // the record starts with a zero byte
    {"TextReply",
     Text("HTTP/1.0 404 Not"),
     {"BacPacStatus[10] is 52", "BacPacStatus: HTTP/1.0 404 Not", "BacPacStatus[13] is 32"}},
    {"ShortTextStopsAtTheFirstZero",
     Text("abcdefghij"),
     {"BacPacStatus[10] is 106", "BacPacStatus: abcdefghij", "BacPacStatus[9] is 105",
      "BacPacStatus[13] is 0"}},
    {"UnknownReadiness", Record({{8, 3}}), {"BacPacStatus[9] is 3"}},
    {"UnknownModel", Record({{12, 5}}), {"BacPacStatus[13] is 5"}},
    {"ShortRecordReadsZeros", Hex("006401000300ff002201"), {"BacPacStatus[13] is 0"}},
    {"EmptyReply", {}, {"BacPacStatus[13] is 0"}},
};

class BacPacErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(BacPacErrors, LogExactLines) {
  const ErrorCase& c = GetParam();
  TestWindow w;
  Decode(w, c.record);
  EXPECT_EQ(w.actions.errors, c.errors);
  EXPECT_EQ(w.Caption("StatusBar"), c.errors.back());
}

INSTANTIATE_TEST_SUITE_P(Cases, BacPacErrors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.test_name); });

TEST(BacPacStatus, PrintablePowerTextStopsAtTheFirstZeroByte) {
  TestWindow w;
  Decode(w, Record({{0, 'O'}, {1, 'K'}, {2, 0}, {9, 'A'}}));
  ASSERT_EQ(w.actions.errors.size(), 2u);
  EXPECT_EQ(w.actions.errors[1], "BacPacStatus: OK");
}

struct ReadinessCase {
  int code;
  bool known;
  bool ready;
};

class BacPacReadiness : public ::testing::TestWithParam<ReadinessCase> {};

TEST_P(BacPacReadiness, EnablesRecordAndPreview) {
  const ReadinessCase& c = GetParam();
  TestWindow w;
  w.model.Get("VLCBtn").SetEnabled(false);
  // Camera on (enables RecordBtn), no model effect.
  Decode(w, Record({{8, c.code}, {12, 255}}));
  if (c.known) {
    EXPECT_TRUE(w.actions.errors.empty());
    EXPECT_EQ(w.Enabled("RecordBtn"), c.ready);
    EXPECT_EQ(w.Enabled("VLCBtn"), c.ready);
  } else {
    EXPECT_EQ(w.actions.errors,
              std::vector<std::string>{"BacPacStatus[9] is " + std::to_string(c.code)});
    EXPECT_TRUE(w.Enabled("RecordBtn"));
    EXPECT_FALSE(w.Enabled("VLCBtn"));
  }
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera: " + std::to_string(c.code));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, BacPacReadiness,
    ::testing::Values(ReadinessCase{1, true, true}, ReadinessCase{34, true, true},
                      ReadinessCase{82, true, true}, ReadinessCase{0, true, false},
                      ReadinessCase{2, true, false}, ReadinessCase{32, true, false},
                      ReadinessCase{33, true, false}, ReadinessCase{80, true, false},
                      ReadinessCase{3, false, false}, ReadinessCase{81, false, false},
                      ReadinessCase{255, false, false}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

struct ModelCase {
  int code;
  const char* caption;
  bool CameraState::*flag;
};

class BacPacModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(BacPacModel, SetsCaptionFlagAndButtons) {
  const ModelCase& c = GetParam();
  TestWindow w;
  w.model.Get("BacPacBat").SetCaption("WiFi Battery:");
  // Readiness 0 disables RecordBtn first, so the model row's enabling is visible.
  Decode(w, Record({{8, 0}, {12, c.code}}));
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.Caption("CamPanel"), c.caption);
  EXPECT_EQ(w.state.CameraModel, c.code);
  if (c.flag) {
    EXPECT_TRUE(w.state.*(c.flag));
    EXPECT_EQ(FlagsSet(w.state), 1);
  } else {
    EXPECT_EQ(FlagsSet(w.state), 0);
  }
  if (c.code >= 2 && c.code <= 11) {
    EXPECT_TRUE(w.Enabled("RecordBtn"));
    EXPECT_EQ(w.Caption("BacPacBat"), "");
  } else if (c.code == 255) {
    EXPECT_FALSE(w.Enabled("RecordBtn"));
    EXPECT_EQ(w.Caption("BacPacBat"), "WiFi Battery:");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, BacPacModel,
    ::testing::Values(ModelCase{1, "    Hero 2   ", &CameraState::Hero2},
                      ModelCase{2, "    Hero 3 White   ", &CameraState::HeroWhite},
                      ModelCase{3, "    Hero 3 Silver   ", &CameraState::HeroSilver},
                      ModelCase{4, "    Hero 3 Black   ", &CameraState::HeroBlack},
                      ModelCase{10, "    Hero 3+ Silver   ", &CameraState::HeroSilverPlus},
                      ModelCase{11, "    Hero 3+ Black   ", &CameraState::HeroBlackPlus},
                      ModelCase{255, "    Camera    ", nullptr}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(BacPacStatus, ModelFlagsAreNeverCleared) {
  TestWindow w;
  Decode(w, Record({{12, 1}}));
  Decode(w, Record({{12, 255}}));
  Decode(w, Record({{12, 3}}));
  EXPECT_TRUE(w.state.Hero2);
  EXPECT_TRUE(w.state.HeroSilver);
  EXPECT_EQ(w.state.CameraModel, 3);
}

TEST(BacPacStatus, UnknownModelKeepsTheCaption) {
  TestWindow w;
  Decode(w, Hex(kHero3BlackBacPac));
  Decode(w, Record({{12, 7}}));
  EXPECT_EQ(w.Caption("CamPanel"), "    Hero 3 Black   ");
  EXPECT_EQ(w.state.CameraModel, 7);
}

struct BatteryCase {
  int value;
  const char* text;
};

class BacPacBattery : public ::testing::TestWithParam<BatteryCase> {};

TEST_P(BacPacBattery, ShownForHero2Only) {
  TestWindow w;
  Decode(w, Record({{1, GetParam().value}, {12, 1}}));
  EXPECT_EQ(w.Caption("BacPacBat"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, BacPacBattery,
                         ::testing::Values(BatteryCase{0, "WiFi Battery:\r0%"},
                                           BatteryCase{57, "WiFi Battery:\r57%"},
                                           BatteryCase{100, "WiFi Battery:\r100%"},
                                           BatteryCase{101, "WiFi Battery:\rCharging"},
                                           BatteryCase{255, "WiFi Battery:\rCharging"}),
                         [](const auto& info) {
                           return "Value" + std::to_string(info.param.value);
                         });

TEST(BacPacStatus, ConnectionBitZeroEnablesOnButton) {
  for (auto [value, enabled] :
       {std::pair{3, true}, {2, false}, {1, true}, {0, false}, {255, true}}) {
    TestWindow w;
    Decode(w, Record({{14, value}}));
    EXPECT_EQ(w.Enabled("OnBtn"), enabled) << value;
    EXPECT_EQ(w.Caption("GoProReady"), "Camera Connected: " + std::to_string(value));
  }
}

TEST(BacPacStatus, RecordingShowsStopAndEnablesPreviewInVideoMode) {
  for (bool video : {true, false}) {
    TestWindow w;
    w.model.Get("Video1").SetChecked(video);
    Decode(w, Record({{5, 1}, {8, 0}}));  // readiness 0 disables the preview first
    EXPECT_EQ(w.Caption("RecordBtn"), "Stop");
    EXPECT_EQ(w.Enabled("VLCBtn"), video);
  }
}

TEST(BacPacStatus, NotRecordingLeavesTheRecordCaption) {
  TestWindow w;
  w.model.Get("RecordBtn").SetCaption("Take Photo");
  Decode(w, Hex(kHero3BlackBacPac));
  EXPECT_EQ(w.Caption("RecordBtn"), "Take Photo");
}

// The camera stopped by its own button: "Stop" gives way once the recording flag has read zero
// in two records in a row; a single zero (a record that lags a start) changes nothing.
TEST(BacPacStatus, StopGivesWayAfterTwoRecordsWithoutRecording) {
  const struct {
    const char* name;
    bool video;
    std::vector<int> flags;  // byte 5 of successive records
    std::vector<const char*> captions;  // RecordBtn after each
  } kCases[] = {
      {"OneZeroLags", true, {1, 0, 1, 0}, {"Stop", "Stop", "Stop", "Stop"}},
      {"TwoZerosRestoreRecord", true, {1, 0, 0, 0}, {"Stop", "Stop", "Record", "Record"}},
      {"PhotoModeTakesPhoto", false, {1, 0, 0}, {"Stop", "Stop", "Take Photo"}},
      {"CountRestartsAfterARecording", true, {1, 0, 1, 0, 0}, {"Stop", "Stop", "Stop", "Stop",
                                                              "Record"}},
      {"ZerosBeforeAStartDoNotCount", true, {0, 0, 0, 1, 0}, {"Record", "Record", "Record",
                                                              "Stop", "Stop"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TestWindow w;
    w.model.Get("Video1").SetChecked(c.video);
    for (std::size_t i = 0; i < c.flags.size(); ++i) {
      Decode(w, Record({{5, c.flags[i]}}));
      EXPECT_EQ(w.Caption("RecordBtn"), c.captions[i]) << "record " << i;
    }
  }
}

TEST(BacPacStatus, RefusedPasswordStopsPollingAndSaysSoOnTheStatusBarOnly) {
  TestWindow w;
  w.model.Get("StatusBar").SetCaption("Connected Camera is on");
  Decode(w, Text("403 Forbidden..."));
  EXPECT_EQ(w.actions.poll_stops, 1);
  EXPECT_EQ(w.actions.messages, std::vector<std::string>{"Connection Refused. Check Password..."});
  EXPECT_TRUE(w.actions.errors.empty());
  EXPECT_EQ(w.actions.camera_status_requests, 0);
  EXPECT_EQ(w.Caption("GoProReady"), "Camera Connected?");
  EXPECT_EQ(w.Caption("CameraStatusL"), "Camera:");
  EXPECT_EQ(w.Caption("CamPanel"), "    Camera    ");
  EXPECT_EQ(w.Caption("StatusBar"),
            "Password refused: status polling stopped (set it under Options > Password)");
  EXPECT_EQ(w.Caption("Bac"), "34 30 33 20 46 6F 72 62 . 69 64 64 65 6E 2E 2E 2E ");
}

TEST(BacPacStatus, ShortRecordClearsTheTailOfTheLastOne) {
  TestWindow w;
  Decode(w, Hex(kHero3BlackBacPac));
  Decode(w, Hex("0064010003"));
  for (std::size_t i = 5; i < w.state.BacPacStatus.size(); ++i)
    EXPECT_EQ(w.state.BacPacStatus[i], 0) << i;
  EXPECT_FALSE(w.Enabled("OnBtn"));
}

TEST(BacPacStatus, FailureMidwayKeepsEarlierStepsAndDoesNotThrow) {
  TestWindow w;
  w.actions.throw_on_log = true;
  EXPECT_NO_THROW(Decode(w, Record({{9, 2}, {12, 3}})));
  EXPECT_EQ(w.Caption("GoProReady"), "Camera Connected: 1");   // before the failure
  EXPECT_EQ(w.Caption("StatusBar"), "BacPacStatus[10] is 2");  // shown before the throw
  EXPECT_EQ(w.Caption("CamPanel"), "    Camera    ");          // after it: not applied
  EXPECT_FALSE(w.state.HeroSilver);
}

}  // namespace
}  // namespace kivo
