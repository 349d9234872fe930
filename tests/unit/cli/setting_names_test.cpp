#include "cli/setting_names.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "camera/camera_state.h"
#include "camera/camera_status.h"
#include "camera/status_actions.h"
#include "forms/status_view.h"
#include "ui/component.h"
#include "ui/main_components.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

struct SetCase {
  const char* setting;
  const char* value;
  const char* path;
  const char* parameter;
};

// What a person types, and the exact command the window's menu item sends for it.
constexpr SetCase kSetCases[] = {
    {"resolution", "wvga-60", "camera/VR", "00"},
    {"resolution", "1080-30", "camera/VR", "07"},
    {"resolution", "720-60", "camera/VR", "0a"},
    {"resolution", "1080-25", "camera/VR", "0b"},
    {"fov", "wide", "camera/FV", "00"},
    {"fov", "narrow", "camera/FV", "02"},
    {"photo", "11mp-wide", "camera/PR", "00"},
    {"photo", "12mp-wide", "camera/PR", "05"},
    {"photo", "7mp-medium", "camera/PR", "06"},
    {"photo", "10mp-wide", "camera/PR", "08"},  // "07" is the hidden placeholder
    {"interval", "0.5s", "camera/TI", "00"},
    {"interval", "5s", "camera/TI", "05"},
    {"interval", "30s", "camera/TI", "1e"},
    {"interval", "60s", "camera/TI", "3c"},
    {"beep", "off", "camera/BS", "00"},
    {"beep", "100", "camera/BS", "02"},
    {"default-mode", "timelapse", "camera/DM", "03"},
    {"leds", "2", "camera/LB", "01"},
    {"video-standard", "pal", "camera/VM", "01"},
    {"protune", "on", "camera/PT", "01"},
    {"protune", "off", "camera/PT", "00"},
    {"spot-meter", "on", "camera/EX", "01"},
    {"spot-meter", "off", "camera/EX", "00"},
    {"orientation", "down", "camera/UP", "01"},
    {"orientation", "up", "camera/UP", "00"},
    {"name", "Rig 1", "camera/CN", "09Rig%201"},
    {"name", "", "camera/CN", "09"},
};

TEST(SettingNamesTest, EachValueSendsTheWindowsCommand) {
  for (const SetCase& c : kSetCases) {
    SCOPED_TRACE(std::string(c.setting) + " " + c.value);
    const SettingName* setting = FindSetting(c.setting);
    ASSERT_NE(setting, nullptr);
    const auto command = SettingCommandFor(*setting, c.value);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->path, c.path);
    EXPECT_EQ(command->parameter, c.parameter);
  }
}

TEST(SettingNamesTest, UnknownNamesAndValuesAreRefused) {
  EXPECT_EQ(FindSetting("Resolution"), nullptr);
  EXPECT_EQ(FindSetting(""), nullptr);
  const struct {
    const char* setting;
    const char* value;
  } kWrong[] = {{"resolution", "1080"}, {"resolution", "N108030T1"}, {"fov", "Wide"},
                {"interval", "1 hour or more"}, {"protune", "yes"}, {"orientation", "left"},
                {"photo", ""}};
  for (const auto& w : kWrong) {
    SCOPED_TRACE(std::string(w.setting) + " " + w.value);
    const SettingName* setting = FindSetting(w.setting);
    ASSERT_NE(setting, nullptr);
    EXPECT_FALSE(SettingCommandFor(*setting, w.value).has_value());
  }
}

// Every name points at a real item of the window, the values of a setting are items of one menu
// and no two values share a name or an item: a slip in the table shows here.
TEST(SettingNamesTest, TableMatchesTheWindowsMenus) {
  ComponentModel model;
  BuildMainComponents(model);
  std::set<std::string> names;
  for (const SettingName& s : SettingNames()) {
    SCOPED_TRACE(s.name);
    EXPECT_TRUE(names.insert(s.name).second);
    if (s.component) {
      EXPECT_NE(model.Find(s.component), nullptr);
    }
    if (s.kind != SettingKind::kChoice) continue;
    std::set<std::string> values, items;
    const Component* menu = nullptr;
    for (const SettingValue& v : s.values) {
      EXPECT_TRUE(values.insert(v.name).second) << v.name;
      EXPECT_TRUE(items.insert(v.component).second) << v.component;
      const Component* item = model.Find(v.component);
      ASSERT_NE(item, nullptr) << v.component;
      if (!menu) menu = item->Parent();
      EXPECT_EQ(item->Parent(), menu) << v.component;
    }
  }
}

// What the window shows for a setting: the value whose item is checked, the toggle's check mark,
// the orientation its item offers (the opposite of the camera's).
std::string ShownValue(const SettingName& s, const ComponentModel& model) {
  switch (s.kind) {
    case SettingKind::kChoice:
      for (const SettingValue& v : s.values)
        if (model.Get(v.component).Checked()) return v.name;
      return "";
    case SettingKind::kToggle:
      return model.Get(s.component).Checked() ? "on" : "off";
    case SettingKind::kOrientation:
      return model.Get(s.component).Caption() == kOrientationDownCaption ? "up" : "down";
    case SettingKind::kText:
      return "";
  }
  return "";
}

std::string ShownMode(const ComponentModel& model) {
  for (const SettingValue& m : ModeNames())
    if (model.Get(m.component).Checked()) return m.name;
  return "";
}

class QuietActions : public StatusActions {
 public:
  void LogError(const std::string&) override {}
  void SendCommand(const std::string&, const std::string&) override {}
  void CameraStatusRequest() override {}
  void ReadCameraClock() override {}
  void StopBacPacPoll() override {}
  void ShowMessage(const std::string&) override {}
};

// kivo-cli reads the values; the window shows them as check marks (from its second poll of the
// same record on). Every settings byte, the mode byte and every flag combination: both agree.
TEST(SettingNamesTest, CurrentValueIsWhatTheWindowChecks) {
  std::vector<std::pair<int, int>> changes;
  for (int byte : {1, 3, 4, 5, 6, 7, 8, 9, 16, 17})
    for (int value : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 30, 60, 255})
      changes.emplace_back(byte, value);
  for (int flags = 0; flags < 256; ++flags) changes.emplace_back(18, flags);
  for (auto [byte, value] : changes) {
    SCOPED_TRACE("byte " + std::to_string(byte) + " = " + std::to_string(value));
    std::vector<std::uint8_t> record(31, 0);
    record[byte] = static_cast<std::uint8_t>(value);
    if (byte != 1) record[9] = 8;  // a Protune video mode, so that Protune is on too
    ComponentModel model;
    BuildMainComponents(model);
    CameraState state;
    QuietActions actions;
    for (int poll = 0; poll < 2; ++poll)
      ShowCameraStatus(record.data(), 31, model, state, actions);
    const std::optional<CameraStatus> status = DecodeCameraStatus(record);
    ASSERT_TRUE(status);
    for (const SettingName& s : SettingNames())
      EXPECT_EQ(CurrentValue(s, *status), ShownValue(s, model)) << s.name;
    EXPECT_EQ(CurrentMode(*status), ShownMode(model));
  }
}

TEST(SettingNamesTest, CurrentValueNamesTheReportedValue) {
  const struct {
    int byte;
    int value;
    const char* setting;
    const char* shown;
  } kCases[] = {
      {9, 7, "resolution", "1080-30"}, {9, 12, "resolution", ""},
      {8, 5, "photo", "12mp-wide"},    {8, 7, "photo", ""},  // the hidden "?" item has no name
      {5, 30, "interval", "30s"},      {5, 15, "interval", ""},
      {17, 0, "leds", "off"},          {18, 0x20, "video-standard", "pal"},
      {18, 0x04, "orientation", "down"}, {18, 0x00, "orientation", "up"},
      {4, 1, "spot-meter", "on"},      {4, 2, "spot-meter", "off"},
      {0, 0, "name", ""},
  };
  for (const auto& c : kCases) {
    std::vector<std::uint8_t> record(31, 0);
    record[c.byte] = static_cast<std::uint8_t>(c.value);
    EXPECT_EQ(CurrentValue(*FindSetting(c.setting), *DecodeCameraStatus(record)), c.shown)
        << c.setting << " " << c.value;
  }
  std::vector<std::uint8_t> record(31, 0);
  EXPECT_EQ(CurrentMode(*DecodeCameraStatus(record)), "video");
  record[1] = 7;  // the camera's own menu is open
  EXPECT_EQ(CurrentMode(*DecodeCameraStatus(record)), "");
}

}  // namespace
}  // namespace kivo
