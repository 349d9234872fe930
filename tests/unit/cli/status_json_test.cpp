// kivo-cli's status JSON and text, from the decoded records alone. The expected texts are this
// test's own copy of the window's words: a JSON that took a caption from the window (a label's
// "Battery: " prefix, the Record button's "Stop") would change with the window and fail here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/bacpac_status.h"
#include "camera/camera_status.h"
#include "cli/cli_commands.h"

namespace kivo {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

CameraSnapshot Snapshot(const std::string& bacpac, const std::string& camera) {
  CameraSnapshot s;
  s.bacpac = DecodeBacPacStatus(Hex(bacpac));
  s.camera_on = s.bacpac.power == CameraPower::kOn;
  if (s.camera_on) s.camera = DecodeCameraStatus(Hex(camera));
  s.camera_record = s.camera.has_value();
  return s;
}

constexpr char kHero3BlackCamera[] = "0000000000000000050500ff00000000000290630012330002008600010004";
constexpr char kSettings960[] =
    R"("settings":{"resolution":"960-50","fov":"wide","photo":"12mp-wide","interval":"0.5s",)"
    R"("beep":"off","default-mode":"video","leds":"4","video-standard":"ntsc","protune":"off",)"
    R"("spot-meter":"off","orientation":"up"})";

std::string Expected(const std::string& head, const std::string& tail) {
  return head + R"("mode":"video","mode_text":"Video 960-48/50, Wide","recording":false,)"
                R"("recording_time":"00:00","battery":"99%","photos":2,"photos_available":4659,)"
                R"("videos":1,"video_minutes_available":134,"preview_stream":false,)"
                R"("locate":false,)" +
         kSettings960 + tail;
}

TEST(StatusJson, RecordedCameras) {
  const struct {
    const char* name;
    const char* bacpac;
    const char* camera;
    std::string json;
  } kCases[] = {
      {"Hero3Black", "006401000300ff002201000104020101", kHero3BlackCamera,
       Expected(R"({"address":"10.5.5.9","model":"Hero 3 Black","model_code":4,"power":"on",)"
                R"("status_line":"Connected Camera is on","wifi_battery":null,)",
                R"(,"notes":[]})")},
      {"Hero3PlusBlack", "006401000400ff00520100010b020101",
       "0000000000000000050000ff000000000002903f00123700000086 00010004",
       R"({"address":"10.5.5.9","model":"Hero 3+ Black","model_code":11,"power":"on",)"
       R"("status_line":"Connected Camera is on","wifi_battery":null,"mode":"video",)"
       R"("mode_text":"Video WVGA-60/50, Wide","recording":false,"recording_time":"00:00",)"
       R"("battery":"63%","photos":0,"photos_available":4663,"videos":1,)"
       R"("video_minutes_available":134,"preview_stream":false,"locate":false,)"
       R"("settings":{"resolution":"wvga-60","fov":"wide","photo":"12mp-wide",)"
       R"("interval":"0.5s","beep":"off","default-mode":"video","leds":"4",)"
       R"("video-standard":"ntsc","protune":"off","spot-meter":"off","orientation":"up"},)"
       R"("notes":[]})"},
      {"Hero2", "006401000200ff000101000101020101", kHero3BlackCamera,
       Expected(R"({"address":"10.5.5.9","model":"Hero 2","model_code":1,"power":"on",)"
                R"("status_line":"Connected Camera is on","wifi_battery":"100%",)",
                R"(,"notes":[]})")},
      // A HERO4 answers with a model code the program does not know: the window logs it.
      {"UnknownModel", "006401000300ff00220100010d020101", kHero3BlackCamera,
       Expected(R"({"address":"10.5.5.9","model":"Camera","model_code":13,"power":"on",)"
                R"("status_line":"","wifi_battery":null,)",
                R"(,"notes":["BacPacStatus[13] is 13"]})")},
      {"CameraOff", "006401000300ff002200000104020101", kHero3BlackCamera,
       R"({"address":"10.5.5.9","model":"Hero 3 Black","model_code":4,"power":"off",)"
       R"("status_line":"Connected Camera is off","wifi_battery":null,"mode":null,)"
       R"("mode_text":null,"recording":null,"recording_time":null,"battery":null,)"
       R"("photos":null,"photos_available":null,"videos":null,)"
       R"("video_minutes_available":null,"preview_stream":null,"locate":null,)"
       R"("settings":null,"notes":[]})"},
  };
  for (const auto& c : kCases) {
    std::string camera = c.camera;
    std::erase(camera, ' ');
    EXPECT_EQ(StatusJson(Snapshot(c.bacpac, camera), "10.5.5.9"), c.json) << c.name;
  }
}

TEST(StatusJson, RecordingBatteryAndNotesComeFromTheRecords) {
  // Recording, charging, a Silver's scaled battery, and out-of-range bytes of both records.
  const std::string bacpac = "006401000301ff002201000103020101";  // model 3, recording
  std::string camera = kHero3BlackCamera;
  camera.replace(2 * 19, 2, "36");  // 54 of 72
  camera.replace(2 * 5, 2, "0f");   // interval 15: no item
  const std::string json = StatusJson(Snapshot(bacpac, camera), "a");
  EXPECT_NE(json.find(R"("recording":true)"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("battery":"75%")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("interval":"")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("status_line":"CameraStatus[6] error 15")"), std::string::npos) << json;
  EXPECT_NE(json.find(R"("notes":["CameraStatus[6] error 15"])"), std::string::npos) << json;
  camera.replace(2 * 19, 2, "c8");
  EXPECT_NE(StatusJson(Snapshot(bacpac, camera), "a").find(R"("battery":"charging")"),
            std::string::npos);
}

TEST(StatusText, RecordedHero2) {
  std::string camera = kHero3BlackCamera;
  EXPECT_EQ(StatusText(Snapshot("006401000200ff000101000101020101", camera)),
            "Camera          Hero 2 (on)\n"
            "WiFi battery    100%\n"
            "Mode            Video 960-48/50, Wide\n"
            "Recording       no, 00:00\n"
            "Battery         99%\n"
            "Photos          2 (room for 4659)\n"
            "Videos          1 (room for 134 min)\n"
            "Preview stream  off\n"
            "resolution      960-50\n"
            "fov             wide\n"
            "photo           12mp-wide\n"
            "interval        0.5s\n"
            "beep            off\n"
            "default-mode    video\n"
            "leds            4\n"
            "video-standard  ntsc\n"
            "protune         off\n"
            "spot-meter      off\n"
            "orientation     up\n"
            "Status          Connected Camera is on\n");
  // A camera without a Wi-Fi battery has no such line (not a bare label).
  EXPECT_EQ(StatusText(Snapshot("006401000300ff0022000001ff020101", camera)),
            "Camera          Camera (off)\n"
            "Status          Connected Camera is off\n");
}

}  // namespace
}  // namespace kivo
