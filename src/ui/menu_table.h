// The main window's menu tree as data, in display order: every menu, submenu, item and separator
// with its design-time caption, shortcut, hint, visibility and enabled state. Plain constant data;
// any thread may read it. AddMainMenu builds the tree into a component model (loop thread only).
#pragma once

#include <span>
#include <string_view>

namespace kivo {

class Component;
class ComponentModel;

struct MenuSpec {
  const char* name;
  const char* parent;     // "MainMenu1" for the top-level menus
  const char* caption;    // "-" for a separator
  const char* short_cut;  // "" for none
  const char* hint;       // "" for none
  bool visible;
  bool enabled;
};

inline constexpr char kMainMenuName[] = "MainMenu1";
inline constexpr char kSeparatorCaption[] = "-";
// Orientation1 shows the opposite of the camera's current orientation; the status decode
// switches between these two and the command handler compares against the first.
inline constexpr char kOrientationDownCaption[] = "&Orientation Down";
inline constexpr char kOrientationUpCaption[] = "&Orientation Up";

std::span<const MenuSpec> MainMenuTable();

// The row named |name|, or nullptr.
const MenuSpec* FindMenuSpec(std::string_view name);

// True when some row has |name| as its parent (a menu or submenu rather than an item).
bool IsMenu(std::string_view name);

// Adds kMainMenuName (under |form|) unless the model has it, then every row of the table:
// menus and submenus as ComponentKind::kMenu, separators as kSeparator, the rest as kMenuItem,
// with caption, shortcut, hint, visibility and enabled state from the table.
void AddMainMenu(ComponentModel& model, Component* form);

}  // namespace kivo
