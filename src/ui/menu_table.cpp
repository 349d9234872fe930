#include "ui/menu_table.h"

#include "ui/component.h"

namespace kivo {
namespace {

// clang-format off
constexpr MenuSpec kMenus[] = {
  // name                     parent               caption                              short_cut  hint  visible enabled
  {"File1",                   kMainMenuName,       "&File",                             "",      "", true,  true},
  {"Exit1",                   "File1",             "E&xit",                             "",      "", true,  true},

  {"Options1",                kMainMenuName,       "&Options",                          "",      "", true,  true},
  {"IPAddress1",              "Options1",          "&IP Address",                       "",      "", true,  true},
  {"Password1",               "Options1",          "&Password",                         "",      "", true,  true},
  {"PathtoVLC1",              "Options1",          "Path to VLC",                       "",      "", true,  true},
  {"N1",                      "Options1",          kSeparatorCaption,                   "",      "", true,  true},
  {"StreamingEnabled",        "Options1",          "Enable Streaming Preview",          "",      "", true,  true},
  {"N2",                      "Options1",          kSeparatorCaption,                   "",      "", true,  true},
  {"ViewWiFiConnections1",    "Options1",          "View WiFi Connections ...",         "Ctrl+W",
                                                   "Show available WiFi connections",             true,  true},
  {"AutoVAN",                 "Options1",          "Auto-View when not connected",      "",
                                                   "Show WiFi list if not connected",             true,  true},
  {"ShowWiFiConn",            "Options1",          "Show WiFi Connection",              "",
                                                   "Show which hotspot or camera this computer is connected to",
                                                                                                  true,  true},

  {"Mode1",                   kMainMenuName,       "&Mode",                             "",      "", true,  true},
  {"Video1",                  "Mode1",             "&Video",                            "Alt+V", "", true,  true},
  {"Photo1",                  "Mode1",             "&Photo",                            "Alt+P", "", true,  true},
  {"TimeLapse1",              "Mode1",             "&Time Lapse",                       "",      "", true,  true},
  {"Burst1",                  "Mode1",             "&Burst",                            "",      "", true,  true},
  {"Countdown1",              "Mode1",             "&Countdown",                        "",      "", true,  true},
  {"Protune1",                "Mode1",             "Protune",                           "",      "", true,  true},
  {"SpotMeter1",              "Mode1",             "&Spot Meter",                       "",      "", true,  true},
  {"Orientation1",            "Mode1",             kOrientationDownCaption,             "",      "", true,  true},

  {"Settings1",               kMainMenuName,       "&Settings",                         "",      "", true,  true},
  {"VideoMode",               "Settings1",         "Video &Mode",                       "",      "", true,  true},
  {"WVGA60501",               "VideoMode",         "WVGA-60/50",                        "",      "", true,  true},
  {"WVGA1201001",             "VideoMode",         "WVGA-120/100",                      "",      "", true,  true},
  {"N72030251",               "VideoMode",         "4K-12 17:9",                        "",      "", true,  true},
  {"N72060501",               "VideoMode",         "2.7K-24 17:9",                      "",      "", true,  true},
  {"N96030251",               "VideoMode",         "1080 SV 40",                        "",      "", true,  true},
  {"N96048501",               "VideoMode",         "960-48/50",                         "",      "", true,  true},
  {"N108030251",              "VideoMode",         "960 40",                            "",      "", true,  true},
  {"N108030T1",               "VideoMode",         "1080-30 T",                         "",      "", true,  true},
  {"N108024T1",               "VideoMode",         "1080-24 T",                         "",      "", true,  true},
  {"N96048T1",                "VideoMode",         "960-48 T",                          "",      "", true,  true},
  {"N72060T1",                "VideoMode",         "720-60 T",                          "",      "", true,  true},
  {"N108025T1",               "VideoMode",         "1080-25 T",                         "",      "", true,  true},
  {"VideoFOV",                "Settings1",         "Video &FOV",                        "",      "", true,  true},
  {"Wide1",                   "VideoFOV",          "Wide",                              "",      "", true,  true},
  {"Medium1",                 "VideoFOV",          "Medium",                            "",      "", true,  true},
  {"Narrow1",                 "VideoFOV",          "Narrow",                            "",      "", true,  true},
  {"PhotoResolution",         "Settings1",         "&Photo Resolution",                 "",      "", true,  true},
  {"N11MPWide1",              "PhotoResolution",   "11 MP Wide - 3840 x 2880",          "",      "", true,  true},
  {"N8MPMedium1",             "PhotoResolution",   "8 MP Medium - 3200x2400",           "",      "", true,  true},
  {"N5MPWide1",               "PhotoResolution",   "5 MP Wide - 2592x1944",             "",      "", true,  true},
  {"N5MPMedium1",             "PhotoResolution",   "5 MP Medium - 2560 x 1920",         "",      "", true,  true},
  {"N7MPWide1",               "PhotoResolution",   "7 MP Wide - 3000 x 2250",           "",      "", true,  true},
  {"N7MPMedium1",             "PhotoResolution",   "12 MP Wide - 4000 x 3000",          "",      "", true,  true},
  {"N12MPMedium4000x30001",   "PhotoResolution",   "7 MP Medium - 3000 x 2250",         "",      "", true,  true},
  // Placeholder for the camera's resolution code 7, so that item index equals the code.
  {"N4",                      "PhotoResolution",   "?",                                 "",      "", false, true},
  {"N10MPWide3680x23401",     "PhotoResolution",   "10 MP Wide - 3680 x 2760",          "",      "", true,  true},
  {"TimeLapseInterval",       "Settings1",         "&Time Lapse Interval",              "",      "", true,  true},
  {"N05seconds1",             "TimeLapseInterval", "0.5 seconds",                       "",      "", true,  true},
  {"N1second1",               "TimeLapseInterval", "1 second",                          "",      "", true,  true},
  {"N2seconds1",              "TimeLapseInterval", "2 seconds",                         "",      "", true,  true},
  {"N5seconds1",              "TimeLapseInterval", "5 seconds",                         "",      "", true,  true},
  {"N10seconds1",             "TimeLapseInterval", "10 seconds",                        "",      "", true,  true},
  {"N30second1",              "TimeLapseInterval", "30 second",                         "",      "", true,  true},
  {"N60seconds1",             "TimeLapseInterval", "60 seconds",                        "",      "", true,  true},
  {"Greaterthan60seconds1",   "TimeLapseInterval", "1 hour or more",                    "",      "", true,  true},
  {"Beep",                    "Settings1",         "&Beep Volume",                      "",      "", true,  true},
  {"Off1",                    "Beep",              "Off",                               "",      "", true,  true},
  {"N701",                    "Beep",              "70%",                               "",      "", true,  true},
  {"N1001",                   "Beep",              "100%",                              "",      "", true,  true},
  {"DefaultMode",             "Settings1",         "&Default at Power On",              "",      "", true,  true},
  {"Video2",                  "DefaultMode",       "Video",                             "",      "", true,  true},
  {"Photo2",                  "DefaultMode",       "Photo",                             "",      "", true,  true},
  {"Burst2",                  "DefaultMode",       "Burst",                             "",      "", true,  true},
  {"TimeLapse2",              "DefaultMode",       "Time Lapse",                        "",      "", true,  true},
  {"LEDs",                    "Settings1",         "LE&Ds",                             "",      "", true,  true},
  {"OFF2",                    "LEDs",              "OFF",                               "",      "", true,  true},
  {"N2LEDs1",                 "LEDs",              "2 LEDs",                            "",      "", true,  true},
  {"N4LEDs1",                 "LEDs",              "4 LEDs",                            "",      "", true,  true},
  {"NTSC",                    "Settings1",         "Video Standard",                    "",      "", true,  true},
  {"NTSC1",                   "NTSC",              "NTSC",                              "",      "", true,  true},
  {"PAL1",                    "NTSC",              "PAL",                               "",      "", true,  true},
  // The camera reports this setting but offers no command for it over Wi-Fi.
  {"AutoPowerOff",            "Settings1",         "Auto Power Off",                    "",      "", true,  false},
  {"Never1",                  "AutoPowerOff",      "Never",                             "",      "", true,  false},
  {"N60seconds2",             "AutoPowerOff",      "60 seconds",                        "",      "", true,  false},
  {"N120seconds1",            "AutoPowerOff",      "120 seconds",                       "",      "", true,  false},
  {"N300seconds1",            "AutoPowerOff",      "300 seconds",                       "",      "", true,  false},
  {"Locate",                  "Settings1",         "&Locate Camera",                    "",      "", true,  true},
  {"SSID1",                   "Settings1",         "Change Camera Name",                "",      "", true,  true},
  {"Preview",                 "Settings1",         "Preview",                           "",      "", true,  false},
  {"OSD",                     "Settings1",         "On Screen Display",                 "",      "", true,  true},
  {"OneButtonMode",           "Settings1",         "One Button Mode",                   "",      "", true,  true},
  {"SetDate1",                "Settings1",         "Set Date and Time",                 "",      "", true,  true},
  {"LocalTime1",              "SetDate1",          "Local Time",                        "",      "", true,  true},
  {"UTC1",                    "SetDate1",          "UTC",                               "",      "", true,  true},
  {"Custom1",                 "SetDate1",          "Custom",                            "",      "", true,  true},

  {"SDCard",                  kMainMenuName,       "SD &Card",                          "",      "", true,  true},
  {"DeleteLast1",             "SDCard",            "&Delete Last",                      "",      "", true,  true},
  {"DeleteAll1",              "SDCard",            "Delete &All",                       "",      "", true,  true},
  {"N3",                      "SDCard",            kSeparatorCaption,                   "",      "", true,  true},
  {"View1",                   "SDCard",            "&View",                             "F5",    "", true,  true},

  {"Help1",                   kMainMenuName,       "&Help",                             "",      "", true,  true},
  {"Help2",                   "Help1",             "&Help",                             "F1",    "", true,  true},
  {"ReportBugs",              "Help1",             "Send Feedback and Bug Reports ...", "",      "", true,  true},
  {"Checkfornewerversion1",   "Help1",             "Check for newer version",           "",      "", true,  true},
  {"About1",                  "Help1",             "About",                             "",      "", true,  true},
};
// clang-format on

}  // namespace

std::span<const MenuSpec> MainMenuTable() { return kMenus; }

const MenuSpec* FindMenuSpec(std::string_view name) {
  for (const MenuSpec& spec : kMenus)
    if (name == spec.name) return &spec;
  return nullptr;
}

bool IsMenu(std::string_view name) {
  for (const MenuSpec& spec : kMenus)
    if (name == spec.parent) return true;
  return false;
}

void AddMainMenu(ComponentModel& model, Component* form) {
  Component* top = model.Find(kMainMenuName);
  if (!top) top = &model.Add(kMainMenuName, ComponentKind::kMainMenu, form);
  for (const MenuSpec& spec : kMenus) {
    Component* parent = std::string_view(spec.parent) == kMainMenuName ? top : &model.Get(spec.parent);
    ComponentKind kind = ComponentKind::kMenuItem;
    if (std::string_view(spec.caption) == kSeparatorCaption)
      kind = ComponentKind::kSeparator;
    else if (IsMenu(spec.name))
      kind = ComponentKind::kMenu;
    Component& item = model.Add(spec.name, kind, parent);
    item.SetCaption(spec.caption);
    item.short_cut = spec.short_cut;
    item.SetHint(spec.hint);
    item.SetVisible(spec.visible);
    item.SetEnabled(spec.enabled);
  }
}

}  // namespace kivo
