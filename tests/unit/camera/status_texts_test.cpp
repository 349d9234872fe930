// kivo-cli says what the window shows: for records with every byte varied, the texts made from
// the values (log lines, status bar line, mode captions, check marks) equal what the window's view
// of the same records leaves in its components.
#include "camera/status_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/bacpac_status.h"
#include "camera/camera_status.h"
#include "forms/status_view.h"
#include "test_window.h"

namespace kivo {
namespace {

using test::Hex;
using test::TestWindow;

using test::kHero3BlackBacPac;
using test::kHero3BlackCamera;

std::vector<std::uint8_t> With(const char* hex, int byte, int value) {
  std::vector<std::uint8_t> record = Hex(hex);
  record[byte] = static_cast<std::uint8_t>(value);
  return record;
}

// Items whose check marks kivo-cli reports.
std::vector<std::string> ReportedItems() {
  std::vector<std::string> items = {"Video1",     "Photo1",  "Burst1",        "TimeLapse1",
                                    "Countdown1", "Protune1", "SpotMeter1",   "StreamingEnabled",
                                    "OneButtonMode", "OSD",   "Locate",       "NTSC1",
                                    "PAL1"};
  for (const SettingsMenuSpec& menu : CameraSettingsMenus())
    items.insert(items.end(), menu.items.begin(), menu.items.end());
  return items;
}

void ExpectSameAsWindow(const std::vector<std::uint8_t>& bacpac_record,
                        const std::vector<std::uint8_t>& camera_record) {
  TestWindow w;
  ShowBacPacStatus(bacpac_record.data(), static_cast<int>(bacpac_record.size()), w.model, w.state,
                   w.actions);
  const BacPacStatus bacpac = DecodeBacPacStatus(bacpac_record);
  std::vector<std::string> notes = BacPacNotes(bacpac);
  std::optional<CameraStatus> camera;
  if (bacpac.power == CameraPower::kOn) {
    camera = DecodeCameraStatus(camera_record);
    ShowCameraStatus(camera_record.data(), static_cast<int>(camera_record.size()), w.model,
                     w.state, w.actions);
    for (const std::string& note : CameraNotes(*camera)) notes.push_back(note);
  }
  EXPECT_EQ(w.actions.errors, notes);
  EXPECT_EQ(w.Caption("StatusBar"), StatusLine(bacpac, camera ? &*camera : nullptr));
  if (const char* caption = ModelCaption(bacpac.model_code)) {
    EXPECT_EQ(w.Caption("CamPanel"), caption);
  }
  if (!camera) return;
  EXPECT_EQ(w.Caption("CamBat"), kBatteryLabel + BatteryValue(CameraBattery(*camera,
                                                                            bacpac.model_code)));
  EXPECT_EQ(w.Caption("Time"), RecordingTime(*camera));
  // The video captions follow the previous record's check marks: the second showing of a record
  // is what kivo-cli describes.
  ShowCameraStatus(camera_record.data(), static_cast<int>(camera_record.size()), w.model, w.state,
                   w.actions);
  const ModeCaptions captions = StatusModeCaptions(*camera);
  EXPECT_EQ(w.Caption("ModeL"), captions.mode);
  EXPECT_EQ(w.Caption("Mode2L"), captions.detail);
  for (const std::string& item : ReportedItems())
    EXPECT_EQ(w.Checked(item.c_str()), StatusChecks(*camera, item)) << item;
}

TEST(StatusTexts, BacPacBytesVaried) {
  for (int byte : {1, 5, 8, 9, 12, 14})
    for (int value : {0, 1, 2, 3, 4, 5, 10, 11, 13, 33, 34, 80, 82, 101, 104, 255}) {
      SCOPED_TRACE("BacPac byte " + std::to_string(byte) + " = " + std::to_string(value));
      ExpectSameAsWindow(With(kHero3BlackBacPac, byte, value), Hex(kHero3BlackCamera));
    }
}

TEST(StatusTexts, CameraBytesVaried) {
  for (int byte = 0; byte < 31; ++byte)
    for (int value : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 30, 60, 0x80, 0xa5, 255}) {
      SCOPED_TRACE("camera byte " + std::to_string(byte) + " = " + std::to_string(value));
      ExpectSameAsWindow(Hex(kHero3BlackBacPac), With(kHero3BlackCamera, byte, value));
    }
}

TEST(StatusTexts, ModeCaptionsOfEachMode) {
  const struct {
    int mode;
    int photo_resolution;
    const char* caption;
    const char* detail;
  } kCases[] = {
      {0, 0, "Video 960-48/50", "         Wide"},
      {1, 0, "Photo - 11 MP Wide ", "      3840 x 2880"},
      {3, 2, "TL - 5 MP Wide ", "      2592x1944"},
      {1, 7, "Photo - ", "      "},  // the placeholder item "?" has no "-"
      {4, 0, "Count Down", ""},
      {7, 0, "Menu", ""},
      {5, 0, "", ""},
  };
  for (const auto& c : kCases) {
    std::vector<std::uint8_t> record = With(kHero3BlackCamera, 1, c.mode);
    record[8] = static_cast<std::uint8_t>(c.photo_resolution);
    const ModeCaptions captions = StatusModeCaptions(*DecodeCameraStatus(record));
    EXPECT_EQ(captions.mode, c.caption) << c.mode;
    EXPECT_EQ(captions.detail, c.detail) << c.mode;
  }
}

}  // namespace
}  // namespace kivo
