#include "test_window.h"

#include <stdexcept>

#include "ui/menu_table.h"

namespace kivo::test {

void RecordingActions::LogError(const std::string& text) {
  model_.Get("StatusBar").SetCaption(text);
  errors.push_back(text);
  if (throw_on_log) throw std::runtime_error("log not writable");
}

TestWindow::TestWindow() {
  Component& form = model.Add("Form1", ComponentKind::kForm);
  AddMainMenu(model, &form);
  struct Control {
    const char* name;
    ComponentKind kind;
    const char* caption;
    bool enabled;
  };
  const Control controls[] = {
      {"OnBtn", ComponentKind::kBitBtn, "ON", false},
      {"RecordBtn", ComponentKind::kSpeedButton, "Record", false},
      {"VLCBtn", ComponentKind::kButton, "Preview", true},
      {"GoProReady", ComponentKind::kLabel, "Camera Connected?", true},
      {"CameraStatusL", ComponentKind::kLabel, "Camera:", true},
      {"CamPanel", ComponentKind::kGroupBox, "    Camera    ", true},
      {"CamBat", ComponentKind::kLabel, "Battery:", true},
      {"BacPacBat", ComponentKind::kLabel, "WiFi Battery:", true},
      {"ModeL", ComponentKind::kLabel, "-----", true},
      {"Mode2L", ComponentKind::kLabel, "-----", true},
      {"Time", ComponentKind::kLabel, "00:00", true},
      {"Photos", ComponentKind::kLabel, "--", true},
      {"PhotosAvailable", ComponentKind::kLabel, "--", true},
      {"Videos", ComponentKind::kLabel, "--", true},
      {"VideoAvailable", ComponentKind::kLabel, "--", true},
      {"Bac", ComponentKind::kLabel, "BacPac:", true},
      {"Cam", ComponentKind::kLabel, "Camera:", true},
      {"StatusBar", ComponentKind::kStatusBar, "", true},
  };
  for (const Control& c : controls) {
    Component& component = model.Add(c.name, c.kind, &form);
    component.SetCaption(c.caption);
    component.SetEnabled(c.enabled);
  }
}

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  std::string digits;
  for (char c : text)
    if (c != ' ') digits += c;
  if (digits.size() % 2 != 0) throw std::invalid_argument("odd hex text: " + text);
  for (std::size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

}  // namespace kivo::test
