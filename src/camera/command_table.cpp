#include "camera/command_table.h"

#include "camera/command_url.h"
#include "camera/setting_items.h"
#include "ui/component.h"
#include "ui/main_menu_rows.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

constexpr char kCameraNamePrefix[] = "09";

constexpr CommandRow Fixed(const char* component, const char* path, const char* parameter) {
  return {.component = component, .path = path, .rule = ParamRule::kFixed, .on = parameter};
}

constexpr CommandRow WhenChecked(const char* component, const char* path, const char* on,
                                 const char* off) {
  return {.component = component, .path = path, .rule = ParamRule::kChecked, .on = on, .off = off};
}

constexpr CommandRow NoParameter(const char* component, const char* path) {
  return {.component = component, .path = path};
}

// clang-format off
constexpr CommandRow kCommands[] = {
  // Buttons. The camera's power switch follows the caption the BacPac status last set; a caption
  // that is neither means the state is unknown, so nothing is sent.
  {"OnBtn",     "bacpac/PW", ParamRule::kCaptionPair, "01", "00", kOnCaption, kOffCaption,
   WindowStep::kNone},
  {"RecordBtn", "bacpac/SH", ParamRule::kCaption,     "00", "01", kStopCaption, nullptr,
   WindowStep::kRecordInterval},

  // Mode menu.
  Fixed("Video1",      "camera/CM", "00"),
  Fixed("Photo1",      "camera/CM", "01"),
  Fixed("TimeLapse1",  "camera/CM", "03"),
  Fixed("Burst1",      "camera/CM", "02"),
  Fixed("Countdown1",  "camera/CM", "04"),
  WhenChecked("Protune1",   "camera/PT", "00", "01"),
  WhenChecked("SpotMeter1", "camera/EX", "00", "01"),
  {"Orientation1", "camera/UP", ParamRule::kCaption, "01", "00", kOrientationDownCaption, nullptr,
   WindowStep::kNone},

  // Settings: Video Mode.
  Fixed("WVGA60501",   "camera/VR", "00"),
  Fixed("WVGA1201001", "camera/VR", "01"),
  Fixed("N72030251",   "camera/VR", "02"),
  Fixed("N72060501",   "camera/VR", "03"),
  Fixed("N96030251",   "camera/VR", "04"),
  Fixed("N96048501",   "camera/VR", "05"),
  Fixed("N108030251",  "camera/VR", "06"),
  Fixed("N108030T1",   "camera/VR", "07"),
  Fixed("N108024T1",   "camera/VR", "08"),
  Fixed("N96048T1",    "camera/VR", "09"),
  Fixed("N72060T1",    "camera/VR", "0a"),
  Fixed("N108025T1",   "camera/VR", "0b"),
  // Video FOV.
  Fixed("Wide1",   "camera/FV", "00"),
  Fixed("Medium1", "camera/FV", "01"),
  Fixed("Narrow1", "camera/FV", "02"),
  // Photo Resolution; code 07 belongs to the hidden placeholder and is never sent.
  Fixed("N11MPWide1",            "camera/PR", "00"),
  Fixed("N8MPMedium1",           "camera/PR", "01"),
  Fixed("N5MPWide1",             "camera/PR", "02"),
  Fixed("N5MPMedium1",           "camera/PR", "03"),
  Fixed("N7MPWide1",             "camera/PR", "04"),
  Fixed("N7MPMedium1",           "camera/PR", "05"),
  Fixed("N12MPMedium4000x30001", "camera/PR", "06"),
  Fixed("N10MPWide3680x23401",   "camera/PR", "08"),
  // Time Lapse Interval: whole seconds in hexadecimal, "00" for half a second.
  Fixed("N05seconds1", "camera/TI", "00"),
  Fixed("N1second1",   "camera/TI", "01"),
  Fixed("N2seconds1",  "camera/TI", "02"),
  Fixed("N5seconds1",  "camera/TI", "05"),
  Fixed("N10seconds1", "camera/TI", "0a"),
  Fixed("N30second1",  "camera/TI", "1e"),
  Fixed("N60seconds1", "camera/TI", "3c"),
  // Beep Volume, Default at Power On, LEDs, Video Standard.
  Fixed("Off1",  "camera/BS", "00"),
  Fixed("N701",  "camera/BS", "01"),
  Fixed("N1001", "camera/BS", "02"),
  Fixed("Video2",     "camera/DM", "00"),
  Fixed("Photo2",     "camera/DM", "01"),
  Fixed("Burst2",     "camera/DM", "02"),
  Fixed("TimeLapse2", "camera/DM", "03"),
  Fixed("OFF2",    "camera/LB", "00"),
  Fixed("N2LEDs1", "camera/LB", "01"),
  Fixed("N4LEDs1", "camera/LB", "02"),
  Fixed("NTSC1", "camera/VM", "00"),
  Fixed("PAL1",  "camera/VM", "01"),
  WhenChecked("Locate", "camera/LL", "00", "01"),
  {"SSID1", "camera/CN", ParamRule::kFixed, kCameraNamePrefix, nullptr, nullptr, nullptr,
   WindowStep::kAskCameraName},

  // Options and SD Card.
  WhenChecked("StreamingEnabled", "camera/PV", "00", "02"),
  NoParameter("DeleteLast1", "camera/DL"),
  NoParameter("DeleteAll1",  "camera/DA"),
};
// clang-format on

// Checks that the settings' item lists and the rows above cannot drift apart.
constexpr bool HasCommandRow(std::string_view component) {
  for (const CommandRow& row : kCommands)
    if (component == row.component) return true;
  return false;
}

template <std::size_t N>
constexpr bool EverySentItemHasRow(const char* const (&items)[N]) {
  for (const char* item : items)
    if (!HasItem(kUnsentItems, item) && !HasCommandRow(item)) return false;
  return true;
}

// The buttons and SD card items: commands that are no setting.
constexpr const char* kActionItems[] = {"OnBtn", "RecordBtn", "DeleteLast1", "DeleteAll1"};

constexpr bool EveryRowIsAnItem() {
  for (const CommandRow& row : kCommands) {
    const std::string_view c = row.component;
    if (!(HasItem(kActionItems, c) || HasItem(kCaptureModeItems, c) ||
          HasItem(kVideoStandardItems, c) || HasItem(kToggleItems, c) ||
          HasItem(kDefaultModeItems, c) || HasItem(kFovItems, c) ||
          HasItem(kPhotoResolutionItems, c) || HasItem(kVideoModeItems, c) ||
          HasItem(kBeepItems, c) || HasItem(kLedsItems, c) || HasItem(kIntervalItems, c)))
      return false;
    if (HasItem(kUnsentItems, c)) return false;
  }
  return true;
}

static_assert(EverySentItemHasRow(kDefaultModeItems) && EverySentItemHasRow(kFovItems) &&
              EverySentItemHasRow(kPhotoResolutionItems) && EverySentItemHasRow(kVideoModeItems) &&
              EverySentItemHasRow(kBeepItems) && EverySentItemHasRow(kLedsItems) &&
              EverySentItemHasRow(kIntervalItems) && EverySentItemHasRow(kAutoPowerOffItems) &&
              EverySentItemHasRow(kCaptureModeItems) && EverySentItemHasRow(kVideoStandardItems) &&
              EverySentItemHasRow(kToggleItems),
              "a setting's menu item has no command row");
static_assert(EveryRowIsAnItem(), "a command row names no setting item, button or SD card item");

// Each setting's submenu lists exactly its items, in the order of the status record's values,
// so that the item the decoder checks is the one the menu shows there.
template <std::size_t N>
constexpr bool SubmenuHolds(std::string_view menu, const char* const (&items)[N]) {
  std::size_t next = 0;
  for (const MenuSpec& row : kMainMenuRows) {
    if (menu != row.parent) continue;
    if (next == N || std::string_view(row.name) != items[next]) return false;
    ++next;
  }
  return next == N;
}

static_assert(SubmenuHolds("VideoMode", kVideoModeItems) && SubmenuHolds("VideoFOV", kFovItems) &&
                  SubmenuHolds("PhotoResolution", kPhotoResolutionItems) &&
                  SubmenuHolds("TimeLapseInterval", kIntervalItems) &&
                  SubmenuHolds("Beep", kBeepItems) && SubmenuHolds("DefaultMode", kDefaultModeItems) &&
                  SubmenuHolds("LEDs", kLedsItems) && SubmenuHolds("NTSC", kVideoStandardItems) &&
                  SubmenuHolds("AutoPowerOff", kAutoPowerOffItems),
              "a setting's submenu differs from its items");

}  // namespace

std::span<const CommandRow> CommandTable() { return kCommands; }

const CommandRow* FindCommand(std::string_view component) {
  for (const CommandRow& row : kCommands)
    if (component == row.component) return &row;
  return nullptr;
}

std::optional<std::string> CommandParameter(const CommandRow& row, bool checked,
                                            std::string_view caption) {
  switch (row.rule) {
    case ParamRule::kNone:
      return std::string();
    case ParamRule::kFixed:
      return std::string(row.on);
    case ParamRule::kChecked:
      return std::string(checked ? row.on : row.off);
    case ParamRule::kCaption:
      return std::string(caption == row.caption ? row.on : row.off);
    case ParamRule::kCaptionPair:
      if (caption == row.caption) return std::string(row.on);
      if (caption == row.off_caption) return std::string(row.off);
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<Command> CommandFor(std::string_view component, const ComponentModel& model) {
  const CommandRow* row = FindCommand(component);
  if (!row) return std::nullopt;
  const Component& c = model.Get(component);
  std::optional<std::string> parameter = CommandParameter(*row, c.Checked(), c.Caption());
  if (!parameter) return std::nullopt;
  return Command{row->path, std::move(*parameter)};
}

std::string CameraNameParameter(std::string_view name) {
  return std::string(kCameraNamePrefix) + PercentEncode(name);
}

}  // namespace kivo
