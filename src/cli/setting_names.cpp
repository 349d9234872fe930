#include "cli/setting_names.h"

#include "camera/camera_status.h"
#include "camera/command_table.h"
#include "camera/setting_items.h"

namespace kivo {
namespace {

constexpr char kOn[] = "on";
constexpr char kOff[] = "off";
constexpr char kUp[] = "up";
constexpr char kDown[] = "down";

// clang-format off
constexpr SettingValue kResolutions[] = {
    {"wvga-60", "WVGA60501"}, {"wvga-120", "WVGA1201001"}, {"4k-12", "N72030251"},
    {"2.7k-24", "N72060501"}, {"1080sv-40", "N96030251"}, {"960-50", "N96048501"},
    {"960-40", "N108030251"}, {"1080-30", "N108030T1"}, {"1080-24", "N108024T1"},
    {"960-48", "N96048T1"}, {"720-60", "N72060T1"}, {"1080-25", "N108025T1"}};
constexpr SettingValue kFovs[] = {{"wide", "Wide1"}, {"medium", "Medium1"}, {"narrow", "Narrow1"}};
constexpr SettingValue kPhotoResolutions[] = {
    {"11mp-wide", "N11MPWide1"}, {"8mp-medium", "N8MPMedium1"}, {"5mp-wide", "N5MPWide1"},
    {"5mp-medium", "N5MPMedium1"}, {"7mp-wide", "N7MPWide1"}, {"12mp-wide", "N7MPMedium1"},
    {"7mp-medium", "N12MPMedium4000x30001"}, {"10mp-wide", "N10MPWide3680x23401"}};
constexpr SettingValue kIntervals[] = {
    {"0.5s", "N05seconds1"}, {"1s", "N1second1"}, {"2s", "N2seconds1"}, {"5s", "N5seconds1"},
    {"10s", "N10seconds1"}, {"30s", "N30second1"}, {"60s", "N60seconds1"}};
constexpr SettingValue kBeeps[] = {{"off", "Off1"}, {"70", "N701"}, {"100", "N1001"}};
constexpr SettingValue kDefaultModes[] = {
    {"video", "Video2"}, {"photo", "Photo2"}, {"burst", "Burst2"}, {"timelapse", "TimeLapse2"}};
constexpr SettingValue kLeds[] = {{"off", "OFF2"}, {"2", "N2LEDs1"}, {"4", "N4LEDs1"}};
constexpr SettingValue kStandards[] = {{"ntsc", "NTSC1"}, {"pal", "PAL1"}};
constexpr SettingValue kModes[] = {{"video", "Video1"}, {"photo", "Photo1"}, {"burst", "Burst1"},
                                   {"timelapse", "TimeLapse1"}, {"countdown", "Countdown1"}};
constexpr SettingValue kOnOff[] = {{kOn, nullptr}, {kOff, nullptr}};
constexpr SettingValue kUpDown[] = {{kUp, nullptr}, {kDown, nullptr}};

constexpr SettingName kSettings[] = {
    {"resolution", "video resolution and frame rate", SettingKind::kChoice, nullptr, kResolutions},
    {"fov", "video field of view", SettingKind::kChoice, nullptr, kFovs},
    {"photo", "photo resolution", SettingKind::kChoice, nullptr, kPhotoResolutions},
    {"interval", "time-lapse interval", SettingKind::kChoice, nullptr, kIntervals},
    {"beep", "beep volume (percent)", SettingKind::kChoice, nullptr, kBeeps},
    {"default-mode", "mode at power on", SettingKind::kChoice, nullptr, kDefaultModes},
    {"leds", "number of LEDs that blink", SettingKind::kChoice, nullptr, kLeds},
    {"video-standard", "NTSC or PAL frame rates", SettingKind::kChoice, nullptr, kStandards},
    {"protune", "Protune", SettingKind::kToggle, "Protune1", kOnOff},
    {"spot-meter", "spot meter", SettingKind::kToggle, "SpotMeter1", kOnOff},
    {"orientation", "picture upside up or down", SettingKind::kOrientation, "Orientation1", kUpDown},
    {"name", "the camera's name (its Wi-Fi network); any text", SettingKind::kText, "SSID1", {}},
};
// clang-format on

// Each list names every item a user can pick of its setting, each once, and nothing else; the
// command table checks that each of those items has a command row.
template <std::size_t N, std::size_t M>
constexpr bool NamesEveryItem(const SettingValue (&values)[N], const char* const (&items)[M]) {
  if (N != SentItemCount(items)) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (!HasItem(items, values[i].component) || HasItem(kUnsentItems, values[i].component))
      return false;
    for (std::size_t j = 0; j < i; ++j)
      if (std::string_view(values[i].name) == values[j].name ||
          std::string_view(values[i].component) == values[j].component)
        return false;
  }
  return true;
}

static_assert(NamesEveryItem(kResolutions, kVideoModeItems));
static_assert(NamesEveryItem(kFovs, kFovItems));
static_assert(NamesEveryItem(kPhotoResolutions, kPhotoResolutionItems));
static_assert(NamesEveryItem(kIntervals, kIntervalItems));
static_assert(NamesEveryItem(kBeeps, kBeepItems));
static_assert(NamesEveryItem(kDefaultModes, kDefaultModeItems));
static_assert(NamesEveryItem(kLeds, kLedsItems));
static_assert(NamesEveryItem(kStandards, kVideoStandardItems));
static_assert(NamesEveryItem(kModes, kCaptureModeItems));

constexpr bool EveryItemSettingIsAnItem() {
  for (const SettingName& s : kSettings)
    if (s.component && !HasItem(kToggleItems, s.component)) return false;
  return true;
}
static_assert(EveryItemSettingIsAnItem());

}  // namespace

std::span<const SettingName> SettingNames() { return kSettings; }

std::span<const SettingValue> ModeNames() { return kModes; }

std::string CurrentMode(const CameraStatus& status) {
  for (const SettingValue& m : kModes)
    if (StatusChecks(status, m.component)) return m.name;
  return "";
}

const SettingName* FindSetting(std::string_view name) {
  for (const SettingName& s : kSettings)
    if (name == s.name) return &s;
  return nullptr;
}

std::optional<SettingCommand> SettingCommandFor(const SettingName& setting,
                                                std::string_view value) {
  switch (setting.kind) {
    case SettingKind::kChoice:
      for (const SettingValue& v : setting.values) {
        if (value != v.name) continue;
        const CommandRow* row = FindCommand(v.component);
        auto parameter = row ? CommandParameter(*row, false, "") : std::nullopt;
        if (!parameter) return std::nullopt;
        return SettingCommand{row->path, *parameter};
      }
      return std::nullopt;
    case SettingKind::kToggle: {
      // The item sends "switch off" while it is checked: to get |value|, act as if it showed
      // the opposite.
      if (value != kOn && value != kOff) return std::nullopt;
      const CommandRow* row = FindCommand(setting.component);
      auto parameter = row ? CommandParameter(*row, value == kOff, "") : std::nullopt;
      if (!parameter) return std::nullopt;
      return SettingCommand{row->path, *parameter};
    }
    case SettingKind::kOrientation: {
      // The caption names the orientation a click switches to.
      if (value != kUp && value != kDown) return std::nullopt;
      const CommandRow* row = FindCommand(setting.component);
      const char* caption = OrientationItemCaption(value == kUp);
      auto parameter = row ? CommandParameter(*row, false, caption) : std::nullopt;
      if (!parameter) return std::nullopt;
      return SettingCommand{row->path, *parameter};
    }
    case SettingKind::kText: {
      const CommandRow* row = FindCommand(setting.component);
      if (!row) return std::nullopt;
      return SettingCommand{row->path, CameraNameParameter(value)};
    }
  }
  return std::nullopt;
}

std::string CurrentValue(const SettingName& setting, const CameraStatus& status) {
  switch (setting.kind) {
    case SettingKind::kChoice:
      for (const SettingValue& v : setting.values)
        if (StatusChecks(status, v.component)) return v.name;
      return "";
    case SettingKind::kToggle:
      return StatusChecks(status, setting.component) ? kOn : kOff;
    case SettingKind::kOrientation:
      return status.flags.orientation_down ? kDown : kUp;
    case SettingKind::kText:
      return "";
  }
  return "";
}

}  // namespace kivo
