#include "ui/menu_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "camera/camera_status.h"
#include "camera/command_table.h"
#include "ui/component.h"

namespace kivo {
namespace {

TEST(MenuTable, NamesAreUniqueAndParentsComeFirst) {
  std::set<std::string> seen{kMainMenuName};
  for (const MenuSpec& spec : MainMenuTable()) {
    EXPECT_TRUE(seen.count(spec.parent)) << spec.name << " under unknown " << spec.parent;
    EXPECT_TRUE(seen.insert(spec.name).second) << "duplicate " << spec.name;
  }
}

TEST(MenuTable, TopLevelMenusInDisplayOrder) {
  std::vector<std::string> top;
  for (const MenuSpec& spec : MainMenuTable())
    if (std::string(spec.parent) == kMainMenuName) top.push_back(spec.name);
  EXPECT_EQ(top, (std::vector<std::string>{"File1", "Options1", "Mode1", "Settings1", "SDCard",
                                           "Help1"}));
}

TEST(MenuTable, ShortcutsAreExactlyTheFive) {
  std::map<std::string, std::string> shortcuts;
  for (const MenuSpec& spec : MainMenuTable())
    if (*spec.short_cut) shortcuts[spec.name] = spec.short_cut;
  EXPECT_EQ(shortcuts, (std::map<std::string, std::string>{{"ViewWiFiConnections1", "Ctrl+W"},
                                                           {"Video1", "Alt+V"},
                                                           {"Photo1", "Alt+P"},
                                                           {"View1", "F5"},
                                                           {"Help2", "F1"}}));
}

TEST(MenuTable, OnlyAutoPowerOffAndPreviewAreDisabledAndOnlyThePlaceholderHidden) {
  std::set<std::string> disabled, hidden;
  for (const MenuSpec& spec : MainMenuTable()) {
    if (!spec.enabled) disabled.insert(spec.name);
    if (!spec.visible) hidden.insert(spec.name);
  }
  EXPECT_EQ(disabled, (std::set<std::string>{"AutoPowerOff", "Never1", "N60seconds2",
                                             "N120seconds1", "N300seconds1", "Preview"}));
  EXPECT_EQ(hidden, std::set<std::string>{"N4"});
  EXPECT_STREQ(FindMenuSpec("N4")->caption, "?");
}

TEST(MenuTable, SeparatorsSitWhereTheMenusShowThem) {
  std::map<std::string, std::string> separators;
  for (const MenuSpec& spec : MainMenuTable())
    if (std::string(spec.caption) == kSeparatorCaption) separators[spec.name] = spec.parent;
  EXPECT_EQ(separators, (std::map<std::string, std::string>{
                            {"N1", "Options1"}, {"N2", "Options1"}, {"N3", "SDCard"}}));
}

// The decoder's item lists must be the submenus' own items in display order, or check marks
// would land on the wrong item.
TEST(MenuTable, DecoderSettingsListsMatchTheSubmenus) {
  for (const SettingsMenuSpec& menu : CameraSettingsMenus()) {
    std::vector<std::string> children, items(menu.items.begin(), menu.items.end());
    for (const MenuSpec& spec : MainMenuTable())
      if (spec.parent == std::string(menu.menu)) children.push_back(spec.name);
    EXPECT_EQ(children, items) << menu.menu;
  }
}

TEST(MenuTable, EveryCommandingComponentIsAMenuItemOrAButton) {
  for (const CommandRow& row : CommandTable()) {
    const std::string name = row.component;
    if (name == "OnBtn" || name == "RecordBtn") continue;
    const MenuSpec* spec = FindMenuSpec(name);
    ASSERT_NE(spec, nullptr) << name;
    EXPECT_FALSE(IsMenu(name)) << name;
  }
}

TEST(MenuTable, AddMainMenuBuildsKindsAndProperties) {
  ComponentModel model;
  Component& form = model.Add("Form1", ComponentKind::kForm);
  AddMainMenu(model, &form);
  EXPECT_EQ(model.Get(kMainMenuName).Kind(), ComponentKind::kMainMenu);
  EXPECT_EQ(model.Get(kMainMenuName).Parent(), &form);
  EXPECT_EQ(model.Get("Settings1").Kind(), ComponentKind::kMenu);
  EXPECT_EQ(model.Get("SetDate1").Kind(), ComponentKind::kMenu);
  EXPECT_EQ(model.Get("N2").Kind(), ComponentKind::kSeparator);
  EXPECT_EQ(model.Get("Exit1").Kind(), ComponentKind::kMenuItem);
  EXPECT_EQ(model.Get("LocalTime1").Parent(), &model.Get("SetDate1"));
  EXPECT_EQ(model.Get("ViewWiFiConnections1").short_cut, "Ctrl+W");
  EXPECT_EQ(model.Get("AutoVAN").Hint(), "Show WiFi list if not connected");
  EXPECT_FALSE(model.Get("N60seconds2").Enabled());
  EXPECT_FALSE(model.Get("N4").Visible());
  EXPECT_EQ(model.Get("Orientation1").Caption(), kOrientationDownCaption);
  // Settings: the submenus first, then the plain items, then Set Date and Time.
  const auto& settings = model.Get("Settings1").Children();
  ASSERT_FALSE(settings.empty());
  EXPECT_EQ(settings.front()->Name(), "VideoMode");
  EXPECT_EQ(settings.back()->Name(), "SetDate1");
}

TEST(MenuTable, AddMainMenuReusesAnExistingMainMenu) {
  ComponentModel model;
  Component& main_menu = model.Add(kMainMenuName, ComponentKind::kMainMenu);
  AddMainMenu(model, nullptr);
  EXPECT_EQ(model.Get("File1").Parent(), &main_menu);
}

}  // namespace
}  // namespace kivo
