// In-process tests of the camera state: the records each model sends, how they read back in
// the program, and the captures that run on in time. The network behaviour is tested on a
// running simulator in the other files.
#include <gtest/gtest.h>

#include "camera_state.h"
#include "fake_time.h"
#include "record_reader.h"
#include "status_records.h"

namespace kivo::camsim {
namespace {

using testing::ReadCamera;

std::string Hex(const uint8_t* data, size_t size) {
  std::string out;
  char byte[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    out += byte;
  }
  return out;
}

CameraConfig FixedClock() {
  CameraConfig config;
  config.clock = CivilTime{2013, 5, 21, 23, 30, 0};
  return config;
}

// --- records of a freshly started camera ------------------------------------------------------

struct FactRow {
  const char* name;
  int model;
  const char* bacpac;
  const char* camera;
};

class RecordedCameraTest : public ::testing::TestWithParam<FactRow> {};

TEST_P(RecordedCameraTest, FreshStateSendsTheRecordedBytes) {
  FakeTime time;
  CameraState state(*FindModel(GetParam().model), FixedClock(), time.Source());
  const BacPacRecord b = EncodeBacPacRecord(state);
  const CameraRecord c = EncodeCameraRecord(state);
  EXPECT_EQ(Hex(b.data(), b.size()), GetParam().bacpac);
  EXPECT_EQ(Hex(c.data(), c.size()), GetParam().camera);
}

INSTANTIATE_TEST_SUITE_P(
    Models, RecordedCameraTest,
    ::testing::Values(
        FactRow{"Hero3Black", 4, "006401000300ff002201000104020101",
                "0000000000000000050500ff00000000000290630012330002008600010004"},
        FactRow{"Hero3PlusBlack", 11, "006401000400ff00520100010b020101",
                "0000000000000000050000ff000000000002903f0012370000008600010004"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ModelRow {
  const char* name;
  int model;
  int ready_on;
  int ready_off;
  const char* battery;  // as the program shows it
};

class ModelReadBackTest : public ::testing::TestWithParam<ModelRow> {};

TEST_P(ModelReadBackTest, FieldsReadBackAsTheCameraShowsThem) {
  const ModelRow& row = GetParam();
  FakeTime time;
  CameraState state(*FindModel(row.model), FixedClock(), time.Source());
  BacPacRecord b = EncodeBacPacRecord(state);
  EXPECT_EQ(b[12], row.model);
  EXPECT_EQ(b[8], row.ready_on);
  EXPECT_EQ(b[9], 1);
  EXPECT_EQ(b[14] & 1, 1) << "the ON/OFF button must be usable";
  const CameraRecord c = EncodeCameraRecord(state);
  const auto view = ReadCamera(std::string(c.begin(), c.end()), row.model);
  EXPECT_EQ(view.battery, row.battery);
  EXPECT_EQ(view.photos, state.card().PhotoCount());
  EXPECT_EQ(view.videos, state.card().VideoCount());
  EXPECT_GT(view.photos_available, 4000);
  EXPECT_EQ(view.video_minutes, 134);
  EXPECT_EQ(view.time, "00:00");
  state.SetPower(false);
  b = EncodeBacPacRecord(state);
  EXPECT_EQ(b[9], 0);
  EXPECT_EQ(b[8], row.ready_off);
  EXPECT_EQ(b[14] & 1, 1) << "a switched-off camera can still be switched on";
}

INSTANTIATE_TEST_SUITE_P(
    Models, ModelReadBackTest,
    ::testing::Values(ModelRow{"Hero2", 1, 1, 0, "Battery: 99%"},
                      ModelRow{"Hero3White", 2, 34, 32, "Battery: 98%"},
                      ModelRow{"Hero3Silver", 3, 34, 32, "Battery: 98%"},
                      ModelRow{"Hero3Black", 4, 34, 32, "Battery: 99%"},
                      ModelRow{"Hero3PlusSilver", 10, 82, 80, "Battery: 63%"},
                      ModelRow{"Hero3PlusBlack", 11, 82, 80, "Battery: 63%"},
                      ModelRow{"Unknown", 255, 34, 32, "Battery: 99%"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordTest, BatteryPercentReadsBackOnEveryScale) {
  for (int model : {2, 3, 4}) {
    for (int percent = 0; percent <= 100; ++percent) {
      FakeTime time;
      CameraConfig config = FixedClock();
      config.battery = percent;
      CameraState state(*FindModel(model), config, time.Source());
      const CameraRecord c = EncodeCameraRecord(state);
      const std::string shown = ReadCamera(std::string(c.begin(), c.end()), model).battery;
      // A scale of 72 or 76 steps cannot show every percent; it may read one higher, never lower.
      const std::string exact = "Battery: " + std::to_string(percent) + "%";
      const std::string above = "Battery: " + std::to_string(percent + 1) + "%";
      if (model == 4) {
        ASSERT_EQ(shown, exact);
      } else {
        ASSERT_TRUE(shown == exact || shown == above) << "model " << model << ": " << shown;
      }
    }
  }
}

TEST(RecordTest, ChargingReadsAsCharging) {
  FakeTime time;
  CameraState state(*FindModel(3), FixedClock(), time.Source());
  state.set_charging(true);
  const CameraRecord c = EncodeCameraRecord(state);
  EXPECT_EQ(ReadCamera(std::string(c.begin(), c.end()), 3).battery, "Battery: charging");
}

TEST(RecordTest, MissingCardSetsTheNoCardMarkerAndHugeCardNeverDoes) {
  FakeTime time;
  CameraState state(*FindModel(4), FixedClock(), time.Source());
  state.card().set_free_bytes(uint64_t{1} << 62);
  CameraRecord c = EncodeCameraRecord(state);
  EXPECT_NE(c[25], 0xff);
  EXPECT_EQ(256 * c[21] + c[22], 0xffff);
  state.card().set_present(false);
  c = EncodeCameraRecord(state);
  EXPECT_EQ(c[25], 0xff);
  EXPECT_EQ(256 * c[21] + c[22], 0);
}

TEST(RecordTest, PokesOverrideBytes) {
  FakeTime time;
  CameraState state(*FindModel(4), FixedClock(), time.Source());
  state.bacpac_pokes()[12] = 7;
  state.camera_pokes()[30] = 9;
  EXPECT_EQ(EncodeBacPacRecord(state)[12], 7);
  EXPECT_EQ(EncodeCameraRecord(state)[30], 9);
}

TEST(RecordTest, RecordingTimeRunsInBytes13And14) {
  FakeTime time;
  CameraState state(*FindModel(4), FixedClock(), time.Source());
  ASSERT_TRUE(state.Shutter());
  time.ms += 125'000;
  const CameraRecord c = EncodeCameraRecord(state);
  EXPECT_EQ(ReadCamera(std::string(c.begin(), c.end()), 4).time, "02:05");
  EXPECT_EQ(EncodeBacPacRecord(state)[5], 1);
  EXPECT_LT(256 * c[25] + c[26], 134) << "recording uses up video time";
  state.StopCapture();
  EXPECT_EQ(EncodeBacPacRecord(state)[5], 0);
  EXPECT_EQ(EncodeCameraRecord(state)[13], 0);
}

// --- time-driven captures ---------------------------------------------------------------------

TEST(CaptureTest, TimeLapseTakesAPhotoPerIntervalUntilStopped) {
  FakeTime time;
  CameraState state(*FindModel(4), FixedClock(), time.Source());
  state.settings().mode = 3;
  state.settings().timelapse = 2;
  const int before = state.card().PhotoCount();
  ASSERT_TRUE(state.Shutter());
  EXPECT_EQ(state.card().PhotoCount(), before + 1) << "first photo at once";
  time.ms += 6'500;
  state.Advance();
  EXPECT_EQ(state.card().PhotoCount(), before + 4);
  state.StopCapture();
  time.ms += 10'000;
  state.Advance();
  EXPECT_EQ(state.card().PhotoCount(), before + 4);
  EXPECT_EQ(state.card().files().back().name.substr(0, 4), "G001");
}

TEST(CaptureTest, CountdownShootsAfterItsDelayAndCanBeCancelled) {
  FakeTime time;
  CameraState state(*FindModel(4), FixedClock(), time.Source());
  state.settings().mode = 4;
  const int before = state.card().PhotoCount();
  ASSERT_TRUE(state.Shutter());
  time.ms += CameraState::kCountdownMs - 1;
  state.Advance();
  EXPECT_EQ(state.card().PhotoCount(), before);
  time.ms += 1;
  state.Advance();
  EXPECT_EQ(state.card().PhotoCount(), before + 1);
  ASSERT_TRUE(state.Shutter());
  state.StopCapture();
  time.ms += 10'000;
  state.Advance();
  EXPECT_EQ(state.card().PhotoCount(), before + 1);
}

TEST(CaptureTest, BootingCameraIsNotReadyUntilItsStartUpTimeHasPassed) {
  FakeTime time;
  CameraConfig config = FixedClock();
  config.camera_on = false;
  config.boot_ms = 2000;
  CameraState state(*FindModel(4), config, time.Source());
  state.SetPower(true);
  EXPECT_EQ(EncodeBacPacRecord(state)[8], 33);
  EXPECT_EQ(EncodeBacPacRecord(state)[9], 0);
  EXPECT_FALSE(state.Shutter());
  time.ms += 2000;
  EXPECT_EQ(EncodeBacPacRecord(state)[8], 34);
  EXPECT_EQ(EncodeBacPacRecord(state)[9], 1);
}

TEST(CaptureTest, FullCardRefusesPhotos) {
  FakeTime time;
  CameraState state(*FindModel(4), FixedClock(), time.Source());
  state.settings().mode = 1;
  state.card().set_free_bytes(state.PhotoBytes() - 1);
  EXPECT_FALSE(state.Shutter());
  state.card().set_free_bytes(state.PhotoBytes());
  EXPECT_TRUE(state.Shutter());
  EXPECT_EQ(state.PhotosAvailable(), 0);
}

}  // namespace
}  // namespace kivo::camsim
