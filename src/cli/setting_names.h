// The camera settings kivo-cli's "set" knows, by names a person would type ("resolution",
// "1080-30"), each value tied to the menu item of the main window that sends it, so the command
// and its parameter come from the one command table and the current value from the one status
// decode. Constant data plus pure functions; any thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "camera/status_values.h"

namespace kivo {

enum class SettingKind {
  kChoice,       // one of several menu items; the checked one is current
  kToggle,       // "on" / "off" of one checkable item
  kOrientation,  // "up" / "down"; the item's caption shows the opposite of the current one
  kText,         // free text (the camera's name); not shown in the status record
};

struct SettingValue {
  const char* name;       // "1080-30"
  const char* component;  // "N108030T1"; for kToggle and kOrientation the setting's own item
};

struct SettingName {
  const char* name;  // "resolution"
  const char* what;  // one line for --list and the manual
  SettingKind kind;
  const char* component;  // kToggle, kOrientation, kText: the item that sends the command
  std::span<const SettingValue> values;  // kChoice; kToggle and kOrientation use theirs too
};

std::span<const SettingName> SettingNames();
const SettingName* FindSetting(std::string_view name);

// The command path and parameter that set |setting| to |value|; nullopt when |value| is not one
// of its values.
struct SettingCommand {
  std::string path;
  std::string parameter;
};
std::optional<SettingCommand> SettingCommandFor(const SettingName& setting, std::string_view value);

// The value |status| gives |setting| (the item the window checks for it); "" when none (kText
// always, or a value the camera reported that no item stands for).
std::string CurrentValue(const SettingName& setting, const CameraStatus& status);

// The capture modes of the Mode menu by name ("video", "photo", "burst", "timelapse",
// "countdown"), each with the item that sends it.
std::span<const SettingValue> ModeNames();
// The mode |status| reports; "" for none (the camera's menu is open).
std::string CurrentMode(const CameraStatus& status);

}  // namespace kivo
