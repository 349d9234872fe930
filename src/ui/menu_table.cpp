#include "ui/menu_table.h"

#include "ui/component.h"

namespace kivo {
namespace {

constexpr MenuSpec Item(const char* name, const char* parent, const char* caption,
                        const char* short_cut = "", const char* hint = "") {
  return {name, parent, caption, short_cut, hint, true, true};
}

constexpr MenuSpec Disabled(const char* name, const char* parent, const char* caption) {
  return {name, parent, caption, "", "", true, false};
}

constexpr MenuSpec Hidden(const char* name, const char* parent, const char* caption) {
  return {name, parent, caption, "", "", false, true};
}

constexpr MenuSpec kMenus[] = {
    Item("File1", kMainMenuName, "&File"),
    Item("Exit1", "File1", "E&xit"),

    Item("Options1", kMainMenuName, "&Options"),
    Item("IPAddress1", "Options1", "&IP Address"),
    Item("Password1", "Options1", "&Password"),
    Item("PathtoVLC1", "Options1", "Path to VLC"),
    Item("N1", "Options1", kSeparatorCaption),
    Item("StreamingEnabled", "Options1", "Enable Streaming Preview"),
    Item("N2", "Options1", kSeparatorCaption),
    Item("ViewWiFiConnections1", "Options1", "View WiFi Connections ...", "Ctrl+W",
         "Show available WiFi connections"),
    Item("AutoVAN", "Options1", "Auto-View when not connected", "",
         "Show WiFi list if not connected"),
    Item("ShowWiFiConn", "Options1", "Show WiFi Connection", "",
         "Show which hotspot or camera this computer is connected to"),
    Item("N5", "Options1", kSeparatorCaption),
    Item("Cameras1", "Options1", "&Cameras...", "Ctrl+K",
         "Every camera of a rig, one Wi-Fi adapter each"),

    Item("Mode1", kMainMenuName, "&Mode"),
    Item("Video1", "Mode1", "&Video", "Alt+V"),
    Item("Photo1", "Mode1", "&Photo", "Alt+P"),
    Item("TimeLapse1", "Mode1", "&Time Lapse"),
    Item("Burst1", "Mode1", "&Burst"),
    Item("Countdown1", "Mode1", "&Countdown"),
    Item("Protune1", "Mode1", "Protune"),
    Item("SpotMeter1", "Mode1", "&Spot Meter"),
    Item("Orientation1", "Mode1", kOrientationDownCaption),

    Item("Settings1", kMainMenuName, "&Settings"),
    Item("VideoMode", "Settings1", "Video &Mode"),
    Item("WVGA60501", "VideoMode", "WVGA-60/50"),
    Item("WVGA1201001", "VideoMode", "WVGA-120/100"),
    Item("N72030251", "VideoMode", "4K-12 17:9"),
    Item("N72060501", "VideoMode", "2.7K-24 17:9"),
    Item("N96030251", "VideoMode", "1080 SV 40"),
    Item("N96048501", "VideoMode", "960-48/50"),
    Item("N108030251", "VideoMode", "960 40"),
    Item("N108030T1", "VideoMode", "1080-30 T"),
    Item("N108024T1", "VideoMode", "1080-24 T"),
    Item("N96048T1", "VideoMode", "960-48 T"),
    Item("N72060T1", "VideoMode", "720-60 T"),
    Item("N108025T1", "VideoMode", "1080-25 T"),
    Item("VideoFOV", "Settings1", "Video &FOV"),
    Item("Wide1", "VideoFOV", "Wide"),
    Item("Medium1", "VideoFOV", "Medium"),
    Item("Narrow1", "VideoFOV", "Narrow"),
    Item("PhotoResolution", "Settings1", "&Photo Resolution"),
    Item("N11MPWide1", "PhotoResolution", "11 MP Wide - 3840 x 2880"),
    Item("N8MPMedium1", "PhotoResolution", "8 MP Medium - 3200x2400"),
    Item("N5MPWide1", "PhotoResolution", "5 MP Wide - 2592x1944"),
    Item("N5MPMedium1", "PhotoResolution", "5 MP Medium - 2560 x 1920"),
    Item("N7MPWide1", "PhotoResolution", "7 MP Wide - 3000 x 2250"),
    Item("N7MPMedium1", "PhotoResolution", "12 MP Wide - 4000 x 3000"),
    Item("N12MPMedium4000x30001", "PhotoResolution", "7 MP Medium - 3000 x 2250"),
    // Placeholder for the camera's resolution code 7, so that item index equals the code.
    Hidden("N4", "PhotoResolution", "?"),
    Item("N10MPWide3680x23401", "PhotoResolution", "10 MP Wide - 3680 x 2760"),
    Item("TimeLapseInterval", "Settings1", "&Time Lapse Interval"),
    Item("N05seconds1", "TimeLapseInterval", "0.5 seconds"),
    Item("N1second1", "TimeLapseInterval", "1 second"),
    Item("N2seconds1", "TimeLapseInterval", "2 seconds"),
    Item("N5seconds1", "TimeLapseInterval", "5 seconds"),
    Item("N10seconds1", "TimeLapseInterval", "10 seconds"),
    Item("N30second1", "TimeLapseInterval", "30 second"),
    Item("N60seconds1", "TimeLapseInterval", "60 seconds"),
    Item("Greaterthan60seconds1", "TimeLapseInterval", "1 hour or more"),
    Item("Beep", "Settings1", "&Beep Volume"),
    Item("Off1", "Beep", "Off"),
    Item("N701", "Beep", "70%"),
    Item("N1001", "Beep", "100%"),
    Item("DefaultMode", "Settings1", "&Default at Power On"),
    Item("Video2", "DefaultMode", "Video"),
    Item("Photo2", "DefaultMode", "Photo"),
    Item("Burst2", "DefaultMode", "Burst"),
    Item("TimeLapse2", "DefaultMode", "Time Lapse"),
    Item("LEDs", "Settings1", "LE&Ds"),
    Item("OFF2", "LEDs", "OFF"),
    Item("N2LEDs1", "LEDs", "2 LEDs"),
    Item("N4LEDs1", "LEDs", "4 LEDs"),
    Item("NTSC", "Settings1", "Video Standard"),
    Item("NTSC1", "NTSC", "NTSC"),
    Item("PAL1", "NTSC", "PAL"),
    // The camera reports this setting but offers no command for it over Wi-Fi.
    Disabled("AutoPowerOff", "Settings1", "Auto Power Off"),
    Disabled("Never1", "AutoPowerOff", "Never"),
    Disabled("N60seconds2", "AutoPowerOff", "60 seconds"),
    Disabled("N120seconds1", "AutoPowerOff", "120 seconds"),
    Disabled("N300seconds1", "AutoPowerOff", "300 seconds"),
    Item("Locate", "Settings1", "&Locate Camera"),
    Item("SSID1", "Settings1", "Change Camera Name"),
    Disabled("Preview", "Settings1", "Preview"),
    Item("OSD", "Settings1", "On Screen Display"),
    Item("OneButtonMode", "Settings1", "One Button Mode"),
    Item("SetDate1", "Settings1", "Set Date and Time"),
    Item("LocalTime1", "SetDate1", "Local Time"),
    Item("UTC1", "SetDate1", "UTC"),
    Item("Custom1", "SetDate1", "Custom"),

    Item("SDCard", kMainMenuName, "SD &Card"),
    Item("DeleteLast1", "SDCard", "&Delete Last"),
    Item("DeleteAll1", "SDCard", "Delete &All"),
    Item("N3", "SDCard", kSeparatorCaption),
    Item("View1", "SDCard", "&View", "F5"),
    Item("BrowseDownload1", "SDCard", "&Browse and Download..."),

    Item("Help1", kMainMenuName, "&Help"),
    Item("Help2", "Help1", "&Help", "F1"),
    Item("ReportBugs", "Help1", "Send Feedback and Bug Reports ..."),
    Item("Checkfornewerversion1", "Help1", "Check for newer version"),
    Item("About1", "Help1", "About"),
};

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
    Component* parent =
        std::string_view(spec.parent) == kMainMenuName ? top : &model.Get(spec.parent);
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
