#include "cli/setting_names.h"

#include <gtest/gtest.h>

#include <set>

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

TEST(SettingNamesTest, CurrentValueReadsTheCheckMarks) {
  ComponentModel model;
  BuildMainComponents(model);
  for (const SettingName& s : SettingNames()) {
    if (s.kind != SettingKind::kChoice) continue;
    for (const SettingValue& v : s.values) {
      for (const SettingValue& other : s.values) model[other.component].SetChecked(false);
      model[v.component].SetChecked(true);
      EXPECT_EQ(CurrentValue(s, model), v.name) << s.name;
    }
    for (const SettingValue& other : s.values) model[other.component].SetChecked(false);
    EXPECT_EQ(CurrentValue(s, model), "") << s.name;
  }
  const SettingName& protune = *FindSetting("protune");
  model["Protune1"].SetChecked(true);
  EXPECT_EQ(CurrentValue(protune, model), "on");
  model["Protune1"].SetChecked(false);
  EXPECT_EQ(CurrentValue(protune, model), "off");
  // The item offers the opposite of the camera's orientation.
  const SettingName& orientation = *FindSetting("orientation");
  model["Orientation1"].SetCaption(kOrientationDownCaption);
  EXPECT_EQ(CurrentValue(orientation, model), "up");
  model["Orientation1"].SetCaption(kOrientationUpCaption);
  EXPECT_EQ(CurrentValue(orientation, model), "down");
  EXPECT_EQ(CurrentValue(*FindSetting("name"), model), "");
}

TEST(SettingNamesTest, CurrentModeReadsTheModeMenu) {
  ComponentModel model;
  BuildMainComponents(model);
  EXPECT_EQ(CurrentMode(model), "");
  for (const SettingValue& m : ModeNames()) {
    for (const SettingValue& other : ModeNames()) model[other.component].SetChecked(false);
    model[m.component].SetChecked(true);
    EXPECT_EQ(CurrentMode(model), m.name);
  }
}

}  // namespace
}  // namespace kivo
