#include "ui/control_table.h"

namespace kivo {
namespace {

using K = ComponentKind;
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGreen{0x00, 0x80, 0x00};
constexpr Rgb kRed{0xFF, 0x00, 0x00};
constexpr Rgb kLightCyan{0xC0, 0xFF, 0xFF};
constexpr Rgb kPeach{0xF0, 0xCA, 0xA6};
constexpr Rgb kOrange{0xFF, 0x98, 0x00};

const FontSpec kPlain{};
const FontSpec kBold{"", 0, true};
const FontSpec kCourier{"Courier New", 0, false};
const FontSpec kTimeFont{"Arial Black", 26, true};
const FontSpec kValue{"", 0, true};

// Top to bottom as the window shows them; the diagnostic controls sit below the status area
// that a default-sized window shows, and stay hidden unless diagnostics mode is on.
const ControlSpec kControls[] = {
    {"OnBtn", K::kBitBtn, "", "ON", "Power Camera On/Off", {6, 6, 130, 34}, kBold, kGreen, {}, false, false},
    {"RecordBtn", K::kSpeedButton, "", "Record", "Shoot Video or Photos", {142, 6, 140, 34}, kBold, kRed, {}, false, false},
    {"VLCBtn", K::kButton, "", "Preview", "Watch stream on VLC Media Player", {288, 6, 140, 34}, kBold, kBlack, {}, false, true},

    {"CamPanel", K::kGroupBox, "", "    Camera    ", "", {6, 44, 192, 150}, kBold, kBlack, kPeach, false, true},
    {"ModeL", K::kLabel, "CamPanel", "-----", "", {8, 18, 178, 16}, kValue, kBlack, {}, false, true},
    {"Mode2L", K::kLabel, "CamPanel", "-----", "", {8, 34, 178, 16}, kPlain, kBlack, {}, false, true},
    {"CamBat", K::kLabel, "CamPanel", "Battery:", "Battery Status", {8, 52, 178, 16}, kPlain, kBlack, {}, false, true},
    {"Panel1", K::kPanel, "CamPanel", "", "", {8, 72, 176, 70}, kPlain, kBlack, {}, false, true},
    {"Time", K::kLabel, "Panel1", "00:00", "Video Record Time", {0, 0, 176, 70}, kTimeFont, kBlack, {}, false, true},

    {"GroupBox2", K::kGroupBox, "", "", "", {204, 42, 224, 58}, kPlain, kBlack, kLightCyan, false, true},
    {"CamDate", K::kLabel, "GroupBox2", "Camera Date", "", {8, 6, 100, 16}, kPlain, kBlack, {}, false, true},
    {"CamTime", K::kLabel, "GroupBox2", "Camera Time", "", {8, 22, 100, 16}, kPlain, kBlack, {}, false, true},
    {"Delta", K::kLabel, "GroupBox2", "Delta", "Camera Time Error", {8, 38, 100, 16}, kPlain, kBlack, {}, false, true},
    {"BacPacBat", K::kLabel, "GroupBox2", "WiFi Battery:", "Hero 2 WiFi BacPac Battery", {112, 6, 108, 32}, kPlain, kBlack, {}, false, true},

    {"GroupBox3", K::kGroupBox, "", "    SD Card    ", "", {204, 104, 224, 90}, kBold, kBlack, kOrange, false, true},
    {"Label1", K::kLabel, "GroupBox3", "Photos: ", "", {8, 22, 46, 16}, kPlain, kBlack, {}, false, true},
    {"Photos", K::kLabel, "GroupBox3", "-----", "", {54, 22, 42, 16}, kValue, kBlack, {}, false, true},
    {"Label2", K::kLabel, "GroupBox3", "Available:", "", {96, 22, 56, 16}, kPlain, kBlack, {}, false, true},
    {"PhotosAvailable", K::kLabel, "GroupBox3", "-----", "", {152, 22, 68, 16}, kValue, kBlack, {}, false, true},
    {"Label3", K::kLabel, "GroupBox3", "Videos: ", "", {8, 50, 46, 16}, kPlain, kBlack, {}, false, true},
    {"Videos", K::kLabel, "GroupBox3", "-----", "", {54, 50, 42, 16}, kValue, kBlack, {}, false, true},
    {"Label4", K::kLabel, "GroupBox3", "Available:", "", {96, 50, 56, 16}, kPlain, kBlack, {}, false, true},
    {"VideoAvailable", K::kLabel, "GroupBox3", "-----", "", {152, 50, 68, 16}, kValue, kBlack, {}, false, true},

    {"GoProReady", K::kLabel, "", "Camera Connected?", "", {6, 204, 200, 16}, kPlain, kBlack, {}, true, true},
    {"CameraStatusL", K::kLabel, "", "Camera:", "", {216, 204, 212, 16}, kPlain, kBlack, {}, true, true},
    {"CommandL", K::kLabel, "", "Command:", "", {6, 224, 580, 16}, kCourier, kBlack, {}, true, true},
    {"Bac", K::kLabel, "", "BacPac:", "", {6, 242, 580, 16}, kCourier, kBlack, {}, true, true},
    {"Cam", K::kLabel, "", "Camera:", "", {6, 260, 580, 32}, kCourier, kBlack, {}, true, true},
    {"ListBox1", K::kListBox, "", "", "", {6, 296, 580, 176}, kPlain, kBlack, {}, true, true},
    {"CameraStatusBtn", K::kButton, "", "Camera Status", "", {6, 478, 110, 26}, kPlain, kBlack, {}, true, true},
    {"BacPacStatusBtn", K::kButton, "", "BacPac Status", "", {122, 478, 110, 26}, kPlain, kBlack, {}, true, true},
    {"StreamBtn", K::kButton, "", "Header", "Enable streaming", {238, 478, 110, 26}, kPlain, kBlack, {}, true, true},
    {"StreamStopBtn", K::kButton, "", "Test Commands", "", {354, 478, 110, 26}, kPlain, kBlack, {}, true, true},
    {"PingBtn", K::kButton, "", "Ping", "", {6, 508, 110, 26}, kPlain, kBlack, {}, true, true},
    {"GetTimeBtn", K::kButton, "", "Get Time", "", {122, 508, 110, 26}, kPlain, kBlack, {}, true, true},
    {"DownloadBtn", K::kButton, "", "Download", "", {238, 508, 110, 26}, kPlain, kBlack, {}, true, true},

    {"StatusBar", K::kStatusBar, "", "", "", {}, kPlain, kBlack, {}, false, true},
};

// What assistive technology hears for controls whose text alone says too little: value labels
// are named together with the label that says what they are, and containers without a caption
// get a name of their own.
const AccessibleSpec kAccessible[] = {
    {"Photos", "Label1", ""},
    {"PhotosAvailable", "Label2", ""},
    {"Videos", "Label3", ""},
    {"VideoAvailable", "Label4", ""},
    {"GroupBox2", "", "Camera clock"},
    {"Panel1", "", "Video Record Time"},
    {"StatusBar", "", "Status"},
};

}  // namespace

std::span<const ControlSpec> MainControlTable() { return kControls; }

std::span<const AccessibleSpec> AccessibleTable() { return kAccessible; }

}  // namespace kivo
