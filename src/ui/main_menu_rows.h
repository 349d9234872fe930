// The rows of the main window's menu tree, as constant data the compiler can read: the setting
// table checks at compile time that each setting's submenu lists its items in the status
// record's order. Any thread.
#pragma once

#include "ui/menu_table.h"

namespace kivo {
namespace menu_rows {

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

}  // namespace menu_rows

// clang-format off
inline constexpr MenuSpec kMainMenuRows[] = {
    menu_rows::Item("File1", kMainMenuName, "&File"),
    menu_rows::Item("Exit1", "File1", "E&xit"),

    menu_rows::Item("Options1", kMainMenuName, "&Options"),
    menu_rows::Item("IPAddress1", "Options1", "&IP Address"),
    menu_rows::Item("Password1", "Options1", "&Password"),
    menu_rows::Item("PathtoVLC1", "Options1", "Path to VLC"),
    menu_rows::Item("N1", "Options1", kSeparatorCaption),
    menu_rows::Item("StreamingEnabled", "Options1", "Enable Streaming Preview"),
    menu_rows::Item("N2", "Options1", kSeparatorCaption),
    menu_rows::Item("ViewWiFiConnections1", "Options1", "View WiFi Connections ...", "Ctrl+W",
                    "Show available WiFi connections"),
    menu_rows::Item("AutoVAN", "Options1", "Auto-View when not connected", "",
         "Show WiFi list if not connected"),
    menu_rows::Item("ShowWiFiConn", "Options1", "Show WiFi Connection", "",
         "Show which hotspot or camera this computer is connected to"),
    menu_rows::Item("Cameras1", "Options1", "&Cameras...", "",
         "Every camera of a rig, one Wi-Fi adapter each"),

    menu_rows::Item("Mode1", kMainMenuName, "&Mode"),
    menu_rows::Item("Video1", "Mode1", "&Video", "Alt+V"),
    menu_rows::Item("Photo1", "Mode1", "&Photo", "Alt+P"),
    menu_rows::Item("TimeLapse1", "Mode1", "&Time Lapse"),
    menu_rows::Item("Burst1", "Mode1", "&Burst"),
    menu_rows::Item("Countdown1", "Mode1", "&Countdown"),
    menu_rows::Item("Protune1", "Mode1", "Protune"),
    menu_rows::Item("SpotMeter1", "Mode1", "&Spot Meter"),
    menu_rows::Item("Orientation1", "Mode1", kOrientationDownCaption),

    menu_rows::Item("Settings1", kMainMenuName, "&Settings"),
    menu_rows::Item("VideoMode", "Settings1", "Video &Mode"),
    menu_rows::Item("WVGA60501", "VideoMode", "WVGA-60/50"),
    menu_rows::Item("WVGA1201001", "VideoMode", "WVGA-120/100"),
    menu_rows::Item("N72030251", "VideoMode", "4K-12 17:9"),
    menu_rows::Item("N72060501", "VideoMode", "2.7K-24 17:9"),
    menu_rows::Item("N96030251", "VideoMode", "1080 SV 40"),
    menu_rows::Item("N96048501", "VideoMode", "960-48/50"),
    menu_rows::Item("N108030251", "VideoMode", "960 40"),
    menu_rows::Item("N108030T1", "VideoMode", "1080-30 T"),
    menu_rows::Item("N108024T1", "VideoMode", "1080-24 T"),
    menu_rows::Item("N96048T1", "VideoMode", "960-48 T"),
    menu_rows::Item("N72060T1", "VideoMode", "720-60 T"),
    menu_rows::Item("N108025T1", "VideoMode", "1080-25 T"),
    menu_rows::Item("VideoFOV", "Settings1", "Video &FOV"),
    menu_rows::Item("Wide1", "VideoFOV", "Wide"),
    menu_rows::Item("Medium1", "VideoFOV", "Medium"),
    menu_rows::Item("Narrow1", "VideoFOV", "Narrow"),
    menu_rows::Item("PhotoResolution", "Settings1", "&Photo Resolution"),
    menu_rows::Item("N11MPWide1", "PhotoResolution", "11 MP Wide - 3840 x 2880"),
    menu_rows::Item("N8MPMedium1", "PhotoResolution", "8 MP Medium - 3200x2400"),
    menu_rows::Item("N5MPWide1", "PhotoResolution", "5 MP Wide - 2592x1944"),
    menu_rows::Item("N5MPMedium1", "PhotoResolution", "5 MP Medium - 2560 x 1920"),
    menu_rows::Item("N7MPWide1", "PhotoResolution", "7 MP Wide - 3000 x 2250"),
    menu_rows::Item("N7MPMedium1", "PhotoResolution", "12 MP Wide - 4000 x 3000"),
    menu_rows::Item("N12MPMedium4000x30001", "PhotoResolution", "7 MP Medium - 3000 x 2250"),
    // Placeholder for the camera's resolution code 7, so that item index equals the code.
    menu_rows::Hidden("N4", "PhotoResolution", "?"),
    menu_rows::Item("N10MPWide3680x23401", "PhotoResolution", "10 MP Wide - 3680 x 2760"),
    menu_rows::Item("TimeLapseInterval", "Settings1", "&Time Lapse Interval"),
    menu_rows::Item("N05seconds1", "TimeLapseInterval", "0.5 seconds"),
    menu_rows::Item("N1second1", "TimeLapseInterval", "1 second"),
    menu_rows::Item("N2seconds1", "TimeLapseInterval", "2 seconds"),
    menu_rows::Item("N5seconds1", "TimeLapseInterval", "5 seconds"),
    menu_rows::Item("N10seconds1", "TimeLapseInterval", "10 seconds"),
    menu_rows::Item("N30second1", "TimeLapseInterval", "30 second"),
    menu_rows::Item("N60seconds1", "TimeLapseInterval", "60 seconds"),
    menu_rows::Item("Greaterthan60seconds1", "TimeLapseInterval", "1 hour or more"),
    menu_rows::Item("Beep", "Settings1", "&Beep Volume"),
    menu_rows::Item("Off1", "Beep", "Off"),
    menu_rows::Item("N701", "Beep", "70%"),
    menu_rows::Item("N1001", "Beep", "100%"),
    menu_rows::Item("DefaultMode", "Settings1", "&Default at Power On"),
    menu_rows::Item("Video2", "DefaultMode", "Video"),
    menu_rows::Item("Photo2", "DefaultMode", "Photo"),
    menu_rows::Item("Burst2", "DefaultMode", "Burst"),
    menu_rows::Item("TimeLapse2", "DefaultMode", "Time Lapse"),
    menu_rows::Item("LEDs", "Settings1", "LE&Ds"),
    menu_rows::Item("OFF2", "LEDs", "OFF"),
    menu_rows::Item("N2LEDs1", "LEDs", "2 LEDs"),
    menu_rows::Item("N4LEDs1", "LEDs", "4 LEDs"),
    menu_rows::Item("NTSC", "Settings1", "Video Standard"),
    menu_rows::Item("NTSC1", "NTSC", "NTSC"),
    menu_rows::Item("PAL1", "NTSC", "PAL"),
    // The camera reports this setting but offers no command for it over Wi-Fi.
    menu_rows::Disabled("AutoPowerOff", "Settings1", "Auto Power Off"),
    menu_rows::Disabled("Never1", "AutoPowerOff", "Never"),
    menu_rows::Disabled("N60seconds2", "AutoPowerOff", "60 seconds"),
    menu_rows::Disabled("N120seconds1", "AutoPowerOff", "120 seconds"),
    menu_rows::Disabled("N300seconds1", "AutoPowerOff", "300 seconds"),
    menu_rows::Item("Locate", "Settings1", "&Locate Camera"),
    menu_rows::Item("SSID1", "Settings1", "Change Camera Name"),
    menu_rows::Disabled("Preview", "Settings1", "Preview"),
    menu_rows::Item("OSD", "Settings1", "On Screen Display"),
    menu_rows::Item("OneButtonMode", "Settings1", "One Button Mode"),
    menu_rows::Item("SetDate1", "Settings1", "Set Date and Time"),
    menu_rows::Item("LocalTime1", "SetDate1", "Local Time"),
    menu_rows::Item("UTC1", "SetDate1", "UTC"),
    menu_rows::Item("Custom1", "SetDate1", "Custom"),

    menu_rows::Item("SDCard", kMainMenuName, "SD &Card"),
    menu_rows::Item("DeleteLast1", "SDCard", "&Delete Last"),
    menu_rows::Item("DeleteAll1", "SDCard", "Delete &All"),
    menu_rows::Item("N3", "SDCard", kSeparatorCaption),
    menu_rows::Item("View1", "SDCard", "&View", "F5"),
    menu_rows::Item("BrowseDownload1", "SDCard", "&Browse and Download..."),

    menu_rows::Item("Help1", kMainMenuName, "&Help"),
    menu_rows::Item("Help2", "Help1", "&Help", "F1"),
    menu_rows::Item("ReportBugs", "Help1", "Send Feedback and Bug Reports ..."),
    menu_rows::Item("Checkfornewerversion1", "Help1", "Check for newer version"),
    menu_rows::Item("About1", "Help1", "About"),
};
// clang-format on

}  // namespace kivo
