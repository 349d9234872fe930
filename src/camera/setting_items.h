// The menu items of each camera setting, in the order of the values the camera's status record
// gives them: the status decoder checks the item at the record's value, the command table sends
// each item's value, kivo-cli names them. command_table.cpp and cli/setting_names.cpp check at
// compile time that every item here has a command row and every kivo-cli name an item here.
#pragma once

#include <cstddef>
#include <string_view>

namespace kivo {

// clang-format off
inline constexpr const char* kDefaultModeItems[] = {"Video2", "Photo2", "Burst2", "TimeLapse2"};
inline constexpr const char* kAutoPowerOffItems[] = {
    "Never1", "N60seconds2", "N120seconds1", "N300seconds1"};
inline constexpr const char* kFovItems[] = {"Wide1", "Medium1", "Narrow1"};
inline constexpr const char* kPhotoResolutionItems[] = {
    "N11MPWide1", "N8MPMedium1", "N5MPWide1", "N5MPMedium1", "N7MPWide1", "N7MPMedium1",
    "N12MPMedium4000x30001", "N4", "N10MPWide3680x23401"};
inline constexpr const char* kVideoModeItems[] = {
    "WVGA60501", "WVGA1201001", "N72030251", "N72060501", "N96030251", "N96048501",
    "N108030251", "N108030T1", "N108024T1", "N96048T1", "N72060T1", "N108025T1"};
inline constexpr const char* kBeepItems[] = {"Off1", "N701", "N1001"};
inline constexpr const char* kLedsItems[] = {"OFF2", "N2LEDs1", "N4LEDs1"};
// "1 hour or more" (index 7) is cleared with the others but never checked.
inline constexpr const char* kIntervalItems[] = {
    "N05seconds1", "N1second1", "N2seconds1", "N5seconds1", "N10seconds1", "N30second1",
    "N60seconds1", "Greaterthan60seconds1"};
// clang-format on

// Menu items that send a setting but are not decoded from the status record's settings bytes.
inline constexpr const char* kCaptureModeItems[] = {"Video1", "Photo1", "Burst1", "TimeLapse1",
                                                     "Countdown1"};
inline constexpr const char* kVideoStandardItems[] = {"NTSC1", "PAL1"};
inline constexpr const char* kToggleItems[] = {"Protune1", "SpotMeter1", "Orientation1", "SSID1",
                                               "Locate", "StreamingEnabled"};
// Items the decoder clears and checks but the user cannot pick, so nothing sends them.
inline constexpr const char* kUnsentItems[] = {"N4", "Greaterthan60seconds1", "Never1",
                                               "N60seconds2", "N120seconds1", "N300seconds1"};

// Whether |items| holds |name|; for static_assert over the tables.
template <std::size_t N>
constexpr bool HasItem(const char* const (&items)[N], std::string_view name) {
  for (const char* item : items)
    if (name == item) return true;
  return false;
}

// The number of |items| someone can pick (not in kUnsentItems).
template <std::size_t N>
constexpr std::size_t SentItemCount(const char* const (&items)[N]) {
  std::size_t count = 0;
  for (const char* item : items) count += HasItem(kUnsentItems, item) ? 0 : 1;
  return count;
}

}  // namespace kivo
