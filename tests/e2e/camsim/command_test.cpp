// Every command of the command table against a running simulator, with a plain client: the reply
// (status byte and echoed parameter) and the status record bytes that change.
#include <gtest/gtest.h>

#include <vector>

#include "camsim_harness.h"
#include "record_reader.h"

namespace kivo::camsim::testing {
namespace {

struct Step {
  const char* path;
  const char* parameter;  // two hex digits per byte, "" for none
};

struct CommandRow {
  const char* name;
  std::vector<Step> setup;
  Step command;
  int status;
  std::string body;
  char record;      // 'b' BacPac record, 'c' camera record
  int byte;
  int mask;         // 0xff for the whole byte
  int value;        // expected (byte & mask)
};

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

class CommandTest : public ::testing::TestWithParam<CommandRow> {};

TEST_P(CommandTest, ReplyAndRecord) {
  const CommandRow& row = GetParam();
  Camsim sim({"--clock", "2013-05-21 23:30:00"});
  ASSERT_TRUE(sim.ok());
  for (const Step& s : row.setup) {
    ASSERT_EQ(sim.Command(s.path, s.parameter).status, 200) << s.path;
  }
  const RawReply reply = sim.Command(row.command.path, row.command.parameter);
  EXPECT_EQ(reply.status, row.status);
  EXPECT_EQ(reply.body, row.body);
  const std::string record = row.record == 'b' ? sim.BacPacRecord() : sim.CameraRecord();
  ASSERT_EQ(record.size(), row.record == 'b' ? 16u : 31u);
  EXPECT_EQ(static_cast<uint8_t>(record[row.byte]) & row.mask, row.value)
      << "record byte " << row.byte;
}

constexpr int kAll = 0xff;

INSTANTIATE_TEST_SUITE_P(
    Table, CommandTest,
    ::testing::Values(
        CommandRow{"PowerOff", {}, {"/bacpac/PW", "00"}, 200, B({0, 0}), 'b', 9, kAll, 0},
        CommandRow{"PowerOffReadiness", {}, {"/bacpac/PW", "00"}, 200, B({0, 0}), 'b', 8, kAll,
                   32},
        CommandRow{"PowerOnAgainIsReady", {{"/bacpac/PW", "00"}}, {"/bacpac/PW", "01"}, 200,
                   B({0, 1}), 'b', 8, kAll, 34},
        CommandRow{"PowerOnStartsInDefaultMode",
                   {{"/camera/DM", "01"}, {"/bacpac/PW", "00"}}, {"/bacpac/PW", "01"}, 200,
                   B({0, 1}), 'c', 1, kAll, 1},
        CommandRow{"PowerBadParameter", {}, {"/bacpac/PW", "02"}, 200, B({1, 2}), 'b', 9, kAll,
                   1},
        CommandRow{"ModePhoto", {}, {"/camera/CM", "01"}, 200, B({0, 1}), 'c', 1, kAll, 1},
        CommandRow{"ModeCountdown", {}, {"/camera/CM", "04"}, 200, B({0, 4}), 'c', 1, kAll, 4},
        CommandRow{"ModeOutOfRange", {}, {"/camera/CM", "05"}, 200, B({1, 5}), 'c', 1, kAll, 0},
        CommandRow{"ModeWhileOff", {{"/bacpac/PW", "00"}}, {"/camera/CM", "01"}, 200,
                   B({1, 1}), 'c', 1, kAll, 0},
        CommandRow{"ProtuneOn", {}, {"/camera/PT", "01"}, 200, B({0, 1}), 'c', 9, kAll, 9},
        CommandRow{"ProtuneOff", {{"/camera/PT", "01"}}, {"/camera/PT", "00"}, 200, B({0, 0}),
                   'c', 9, kAll, 5},
        CommandRow{"SpotMeter", {}, {"/camera/EX", "01"}, 200, B({0, 1}), 'c', 4, kAll, 1},
        CommandRow{"OrientationUp", {}, {"/camera/UP", "01"}, 200, B({0, 1}), 'c', 18, 0x04,
                   0x04},
        CommandRow{"OrientationDown", {{"/camera/UP", "01"}}, {"/camera/UP", "00"}, 200,
                   B({0, 0}), 'c', 18, 0x04, 0},
        CommandRow{"VideoMode1080_24T", {}, {"/camera/VR", "08"}, 200, B({0, 8}), 'c', 9, kAll,
                   8},
        CommandRow{"VideoModeLast", {}, {"/camera/VR", "0b"}, 200, B({0, 11}), 'c', 9, kAll,
                   11},
        CommandRow{"VideoModeOutOfRange", {}, {"/camera/VR", "0c"}, 200, B({1, 12}), 'c', 9,
                   kAll, 5},
        CommandRow{"FieldOfView", {}, {"/camera/FV", "02"}, 200, B({0, 2}), 'c', 7, kAll, 2},
        CommandRow{"PhotoResolution10MP", {}, {"/camera/PR", "08"}, 200, B({0, 8}), 'c', 8,
                   kAll, 8},
        CommandRow{"PhotoResolutionOutOfRange", {}, {"/camera/PR", "09"}, 200, B({1, 9}), 'c',
                   8, kAll, 5},
        CommandRow{"TimeLapse30s", {}, {"/camera/TI", "1e"}, 200, B({0, 30}), 'c', 5, kAll, 30},
        CommandRow{"TimeLapseHalfSecond", {{"/camera/TI", "05"}}, {"/camera/TI", "00"}, 200,
                   B({0, 0}), 'c', 5, kAll, 0},
        CommandRow{"TimeLapseNotAnInterval", {}, {"/camera/TI", "03"}, 200, B({1, 3}), 'c', 5,
                   kAll, 0},
        CommandRow{"Beep100", {}, {"/camera/BS", "02"}, 200, B({0, 2}), 'c', 16, kAll, 2},
        CommandRow{"DefaultTimeLapse", {}, {"/camera/DM", "03"}, 200, B({0, 3}), 'c', 3, kAll,
                   3},
        CommandRow{"LedsOff", {}, {"/camera/LB", "00"}, 200, B({0, 0}), 'c', 17, kAll, 0},
        CommandRow{"Pal", {}, {"/camera/VM", "01"}, 200, B({0, 1}), 'c', 18, 0x20, 0x20},
        CommandRow{"PalSwapsTheNtscOnlyMode", {{"/camera/VR", "07"}}, {"/camera/VM", "01"}, 200,
                   B({0, 1}), 'c', 9, kAll, 11},
        CommandRow{"Locate", {}, {"/camera/LL", "01"}, 200, B({0, 1}), 'c', 18, 0x40, 0x40},
        CommandRow{"PreviewOn", {}, {"/camera/PV", "02"}, 200, B({0, 2}), 'c', 18, 0x01, 0x01},
        CommandRow{"PreviewOff", {{"/camera/PV", "02"}}, {"/camera/PV", "00"}, 200, B({0, 0}),
                   'c', 18, 0x01, 0},
        CommandRow{"PreviewOffAfterPowerCycle",
                   {{"/camera/PV", "02"}, {"/bacpac/PW", "00"}}, {"/bacpac/PW", "01"}, 200,
                   B({0, 1}), 'c', 18, 0x01, 0},
        CommandRow{"PhotoAddsOne", {{"/camera/CM", "01"}}, {"/bacpac/SH", "01"}, 200, B({0, 1}),
                   'c', 24, kAll, 3},
        CommandRow{"BurstAddsTen", {{"/camera/CM", "02"}}, {"/bacpac/SH", "01"}, 200, B({0, 1}),
                   'c', 24, kAll, 12},
        CommandRow{"RecordingSetsBusy", {}, {"/bacpac/SH", "01"}, 200, B({0, 1}), 'b', 5, kAll,
                   1},
        CommandRow{"ModeLockedWhileRecording", {{"/bacpac/SH", "01"}}, {"/camera/CM", "01"},
                   200, B({1, 1}), 'c', 1, kAll, 0},
        CommandRow{"StopSavesVideo", {{"/bacpac/SH", "01"}}, {"/bacpac/SH", "00"}, 200,
                   B({0, 0}), 'c', 28, kAll, 2},
        CommandRow{"StopClearsBusy", {{"/bacpac/SH", "01"}}, {"/bacpac/SH", "00"}, 200,
                   B({0, 0}), 'b', 5, kAll, 0},
        CommandRow{"PowerOffSavesVideo", {{"/bacpac/SH", "01"}, {"/bacpac/PW", "00"}},
                   {"/bacpac/PW", "01"}, 200, B({0, 1}), 'c', 28, kAll, 2},
        CommandRow{"DeleteLastTakesTheVideo", {}, {"/camera/DL", ""}, 200, B({0}), 'c', 28,
                   kAll, 0},
        CommandRow{"DeleteLastTwiceTakesAPhoto", {{"/camera/DL", ""}}, {"/camera/DL", ""}, 200,
                   B({0}), 'c', 24, kAll, 1},
        CommandRow{"DeleteAll", {}, {"/camera/DA", ""}, 200, B({0}), 'c', 24, kAll, 0},
        CommandRow{"DeleteAllRemovesVideos", {}, {"/camera/DA", ""}, 200, B({0}), 'c', 28, kAll, 0},
        CommandRow{"ClockEchoesSixBytes", {}, {"/camera/TM", "0d%03%01%0c%00%00"}, 200,
                   B({0, 13, 3, 1, 12, 0, 0}), 'c', 1, kAll, 0},
        CommandRow{"ClockRejectsFebruary30", {}, {"/camera/TM", "0d%02%1e%00%00%00"}, 200,
                   B({1, 13, 2, 30, 0, 0, 0}), 'c', 1, kAll, 0},
        CommandRow{"CameraNameEchoed", {}, {"/camera/CN", "09Kivo"}, 200,
                   B({0, 9, 'K', 'i', 'v', 'o'}), 'c', 1, kAll, 0},
        CommandRow{"UnknownCamera", {}, {"/camera/XX", "01"}, 410, B({1}), 'c', 1, kAll, 0},
        CommandRow{"UnknownBacPac", {}, {"/bacpac/ZZ", ""}, 410, B({1}), 'b', 9, kAll, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandTest, WrongPasswordAnswers403OnEveryCommandPortPath) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  for (const char* target : {"/bacpac/se?t=wrong", "/camera/se?t=", "/bacpac/se",
                             "/bacpac/PW?t=cameralnkx&p=%00", "/camera/XX?t=nope"}) {
    const RawReply r = Http(sim.camera(), target);
    EXPECT_EQ(r.status, 403) << target;
    EXPECT_TRUE(r.body.starts_with("403")) << target;
  }
  EXPECT_EQ(sim.BacPacRecord()[9], 1) << "a refused PW 00 must not switch the camera off";
}

TEST(CommandTest, EncodedNameAndPasswordArriveDecodedAndARawBlankIsRefused) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  EXPECT_EQ(Http(sim.camera(), "/camera/CN?t=cameralnk&p=%09Surf%20%26%20Turf%3F%23").status, 200);
  EXPECT_NE(sim.Control("state").find("name=\"Surf & Turf?#\""), std::string::npos);
  // A real server answers 400 to a request line whose target holds a blank.
  const RawReply raw = Http(sim.camera(), "/camera/CN?t=cameralnk&p=%09Raw name");
  EXPECT_EQ(raw.status, 400);
  EXPECT_NE(sim.Control("state").find("name=\"Surf & Turf?#\""), std::string::npos);
  // The password is decoded too: "&p=" inside it is part of it, not a parameter.
  sim.Control("set password a&b%");
  EXPECT_EQ(Http(sim.camera(), "/bacpac/se?t=a%26b%25").status, 200);
  EXPECT_EQ(Http(sim.camera(), "/bacpac/se?t=a&b%").status, 403);
  sim.Control("set password cameralnk");
  EXPECT_EQ(Http(sim.camera(), "/bacpac/PW?t=cameralnk%26p%3D%2500").status, 403);
  EXPECT_EQ(sim.BacPacRecord()[9], 1) << "a refused PW 00 must not switch the camera off";
}

TEST(CommandTest, ClockCommandSetsTheCameraClock) {
  Camsim sim({"--clock", "2013-05-21 23:30:00"});
  ASSERT_TRUE(sim.ok());
  ASSERT_EQ(sim.Command("/camera/TM", "0f%0c%1f%17%3b%30").status, 200);
  const std::string state = sim.Control("state");
  EXPECT_NE(state.find("clock=2015-12-31T23:59:"), std::string::npos) << state;
}

TEST(CommandTest, RecordingTimeAndCountsReadLikeTheCamera) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  const CameraView before = ReadCamera(sim.CameraRecord(), 4);
  EXPECT_EQ(before.battery, "Battery: 99%");
  EXPECT_EQ(before.photos, 2);
  EXPECT_EQ(before.photos_available, 4659);
  EXPECT_EQ(before.video_minutes, 134);
  EXPECT_EQ(before.videos, 1);
  ASSERT_EQ(sim.Command("/camera/PR", "02").status, 200);
  EXPECT_GT(ReadCamera(sim.CameraRecord(), 4).photos_available, 4659)
      << "smaller photos leave room for more";
}

}  // namespace
}  // namespace kivo::camsim::testing
