// The Cameras window's rows say what the main window shows for the same records: the cells are
// made from the typed values, never read back from a caption, and agree with the captions the
// main window's view leaves for every camera byte varied.
#include "link/rig_rows.h"

#include <gtest/gtest.h>

#include <sstream>

#include "camera/bacpac_status.h"
#include "camera/camera_status.h"
#include "camera/status_texts.h"
#include "forms/status_view.h"
#include "test_window.h"

namespace kivo {
namespace {

using test::Hex;
using test::TestWindow;

using test::kHero3BlackBacPac;
using test::kHero3BlackCamera;

CameraSnapshot Snapshot(std::vector<std::uint8_t> bacpac, const std::vector<std::uint8_t>& camera) {
  CameraSnapshot s;
  s.bacpac = DecodeBacPacStatus(bacpac);
  s.camera_on = s.bacpac.power == CameraPower::kOn;
  if (s.camera_on && !camera.empty()) {
    s.camera = DecodeCameraStatus(camera);
    s.camera_record = s.camera.has_value();
  }
  return s;
}

std::vector<std::uint8_t> With(const char* hex, int byte, int value) {
  std::vector<std::uint8_t> record = Hex(hex);
  record[byte] = static_cast<std::uint8_t>(value);
  return record;
}

std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::stringstream in(row);
  for (std::string cell; std::getline(in, cell, '\t');) cells.push_back(cell);
  cells.resize(std::size(kRigColumns));
  return cells;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

TEST(RigRows, RowOfEachKindOfAnswer) {
  const LinkError ok;
  const LinkError unreachable{LinkFailure::kUnreachable, "No connection to Camera"};
  const struct {
    const char* name;
    CameraSnapshot snapshot;
    LinkError error;
    const char* row;
  } kCases[] = {
      {"video 960, wide", Snapshot(Hex(kHero3BlackBacPac), Hex(kHero3BlackCamera)), ok,
       "kcam1\tHero 3 Black\tVideo 960-48/50, Wide\t99%\t00:00\t4659\t134 min"},
      {"camera off", Snapshot(With(kHero3BlackBacPac, 9, 0), Hex(kHero3BlackCamera)), ok,
       "kcam1\tHero 3 Black\toff\t\t\t\t"},
      {"on, camera record too short", Snapshot(Hex(kHero3BlackBacPac), {}), ok,
       "kcam1\tHero 3 Black\t\t\t\t\t"},
      {"not answering", CameraSnapshot{}, unreachable,
       "kcam1\tNo connection to Camera\t\t\t\t\t"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(RigRowText("kcam1", c.error, c.error.ok() ? &c.snapshot : nullptr), c.row) << c.name;
}

// Every camera byte varied: the row's cells are the main window's captions for the same record
// (as the window shows it from its second reading on, when the mode captions have caught up).
TEST(RigRows, CellsAreTheMainWindowsCaptions) {
  for (int byte = 0; byte < 31; ++byte)
    for (int value : {0, 1, 2, 3, 5, 7, 11, 60, 0x80, 255}) {
      SCOPED_TRACE("camera byte " + std::to_string(byte) + " = " + std::to_string(value));
      const std::vector<std::uint8_t> bacpac = Hex(kHero3BlackBacPac);
      const std::vector<std::uint8_t> camera = With(kHero3BlackCamera, byte, value);
      TestWindow w;
      ShowBacPacStatus(bacpac.data(), static_cast<int>(bacpac.size()), w.model, w.state, w.actions);
      for (int reading = 0; reading < 2; ++reading)
        ShowCameraStatus(camera.data(), static_cast<int>(camera.size()), w.model, w.state,
                         w.actions);
      const CameraSnapshot s = Snapshot(bacpac, camera);
      const std::vector<std::string> cells = Cells(RigRowText("wlan1", {}, &s));
      std::string mode = Trim(w.Caption("ModeL"));
      if (!Trim(w.Caption("Mode2L")).empty()) mode += ", " + Trim(w.Caption("Mode2L"));
      EXPECT_EQ(cells[0], "wlan1");
      EXPECT_EQ(cells[1], ModelName(s.bacpac.model_code));
      EXPECT_EQ(cells[2], mode);
      EXPECT_EQ(kBatteryLabel + cells[3], w.Caption("CamBat"));
      EXPECT_EQ(cells[4], w.Caption("Time"));
      EXPECT_EQ(cells[5], w.Caption("PhotosAvailable"));
      EXPECT_EQ(cells[6], w.Caption("VideoAvailable"));
    }
}

TEST(RigRows, OutcomeLineNamesEveryCamera) {
  const struct {
    std::vector<RigOutcome> outcomes;
    const char* line;
  } kCases[] = {
      {{{"kcam1", {}, ""}, {"kcam2", {}, ""}}, "Record All: kcam1, kcam2 done"},
      {{{"kcam1", {}, ""}, {"kcam2", {LinkFailure::kFailed, "refused"}, ""}, {"kcam3", {}, ""},
        {"kcam4", {LinkFailure::kFailed, "refused"}, ""}},
       "Record All: kcam1, kcam3 done; kcam2, kcam4: refused"},
      {{{"kcam1", {}, "2 downloaded"}, {"kcam2", {}, "3 downloaded"}},
       "Record All: kcam1 2 downloaded; kcam2 3 downloaded"},
      {{{"kcam1", {}, "3 downloaded"}, {"kcam2", {LinkFailure::kUnreachable, "BacPac timeout"}, ""}},
       "Record All: kcam1 3 downloaded; kcam2: BacPac timeout"},
      {{{"Wi-Fi 2", {LinkFailure::kWrongPassword, "Wrong password"}, ""}},
       "Record All: Wi-Fi 2: Wrong password"},
  };
  for (const auto& c : kCases) EXPECT_EQ(RigOutcomeLine("Record All", c.outcomes), c.line);
}

}  // namespace
}  // namespace kivo
