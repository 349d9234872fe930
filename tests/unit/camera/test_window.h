// A component model holding what the status decoders touch (the menu tree and the window's
// buttons and labels with their design captions), the camera state, and a StatusActions fake
// that records every call. Test thread only.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "camera/camera_state.h"
#include "camera/status_actions.h"
#include "ui/component.h"

namespace kivo::test {

class RecordingActions : public StatusActions {
 public:
  explicit RecordingActions(ComponentModel& model) : model_(model) {}

  // Like the window's LogError: the status bar shows the line first.
  void LogError(const std::string& text) override;
  void SendCommand(const std::string& path, const std::string& parameter) override {
    commands.emplace_back(path, parameter);
  }
  void CameraStatusRequest() override { ++camera_status_requests; }
  void ReadCameraClock() override { ++clock_reads; }
  void StopBacPacPoll() override { ++poll_stops; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  // When set, LogError throws after showing the line, as it does for an unwritable log.
  bool throw_on_log = false;
  std::vector<std::string> errors;
  std::vector<std::pair<std::string, std::string>> commands;
  std::vector<std::string> messages;
  int camera_status_requests = 0;
  int clock_reads = 0;
  int poll_stops = 0;

 private:
  ComponentModel& model_;
};

struct TestWindow {
  TestWindow();
  const std::string& Caption(const char* name) const { return model.Get(name).Caption(); }
  bool Checked(const char* name) const { return model.Get(name).Checked(); }
  bool Enabled(const char* name) const { return model.Get(name).Enabled(); }

  ComponentModel model;
  CameraState state;
  RecordingActions actions{model};
};

// "0a ff" or "0aff" as bytes.
std::vector<std::uint8_t> Hex(const std::string& text);

// A HERO3 Black's two records as the simulator sends them: camera on, video mode.
inline constexpr char kHero3BlackBacPac[] = "006401000300ff002201000104020101";
inline constexpr char kHero3BlackCamera[] =
    "0000000000000000050500ff000000000002906300123300020086 00010004";

}  // namespace kivo::test
