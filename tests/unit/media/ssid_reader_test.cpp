#include "media/ssid_reader.h"

#include <gtest/gtest.h>

namespace kivo {
namespace {

// netsh wlan show interface on Windows 10, connected.
constexpr const char* kNetsh =
    "\r\nThere is 1 interface on the system:\r\n\r\n"
    "    Name                   : Wi-Fi\r\n"
    "    Description            : Intel(R) Dual Band Wireless-AC 8265\r\n"
    "    Physical address       : 3c:f8:62:11:22:33\r\n"
    "    State                  : connected\r\n"
    "    SSID                   : MyCam\r\n"
    "    BSSID                  : d6:d9:19:a1:b2:c3\r\n"
    "    Network type           : Infrastructure\r\n"
    "    Receive rate (Mbps)    : 72.2\r\n"
    "    Signal                 : 96%\r\n"
    "    Profile                : MyCam\r\n\r\n"
    "    Hosted network status  : Not available\r\n";
// BSSID before SSID (as Windows 11 prints "AP BSSID"), and a name with blanks and colons.
constexpr const char* kNetshBssidFirst =
    "    State                  : connected\r\n"
    "    AP BSSID               : d6:d9:19:a1:b2:c3\r\n"
    "    SSID                   :   Hero 3: Black Cam  \r\n"
    "    Signal                 : 81%\r\n";
constexpr const char* kNetshDisconnected =
    "    Name                   : Wi-Fi\r\n    State                  : disconnected\r\n";
constexpr const char* kNetshNoService =
    "The Wireless AutoConfig Service (wlansvc) is not running.\r\n";
// What the Linux query script writes from NetworkManager's answers.
constexpr const char* kNmcli =
    "    State                  : connected\n"
    "    SSID                   : GP24500456\n"
    "    Signal                 : 54%\n";
constexpr const char* kNmcliUnavailable = "    State                  : unavailable\n";
constexpr const char* kNmcliNotRunning = "Error: NetworkManager is not running.\n";

struct ReaderCase {
  const char* test_name;
  std::string text;
  bool has_state;
  std::string name;
  std::string caption;
};

const std::string k98(98, '7');

class SsidOutput : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(SsidOutput, SetsTheCaption) {
  const ReaderCase& c = GetParam();
  SsidReading r = ReadSsidOutput(c.text, "Kivo - connected to Before - 10%");
  EXPECT_EQ(r.has_state, c.has_state);
  EXPECT_EQ(r.network_name, c.name);
  EXPECT_EQ(r.caption, c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SsidOutput,
    ::testing::Values(
        ReaderCase{"Netsh", kNetsh, true, "MyCam", "Kivo - connected to MyCam - 96%"},
        ReaderCase{"BlanksAndColonsInsideKept", kNetshBssidFirst, true, "Hero 3: Black Cam",
                   "Kivo - connected to Hero 3: Black Cam - 81%"},
        ReaderCase{"NoSsidKeepsCaption", kNetshDisconnected, true, "",
                   "Kivo - connected to Before - 10%"},
        ReaderCase{"NoState", kNetshNoService, false, "", "Kivo - connected to Before - 10%"},
        ReaderCase{"Nmcli", kNmcli, true, "GP24500456", "Kivo - connected to GP24500456 - 54%"},
        ReaderCase{"NmcliUnavailable", kNmcliUnavailable, true, "",
                   "Kivo - connected to Before - 10%"},
        ReaderCase{"NmcliNotRunningIsAnError", kNmcliNotRunning, false, "",
                   "Kivo - connected to Before - 10%"},
        // A signal line without a name before it adds to whatever the caption was.
        ReaderCase{"SignalAlone", "    State : x\n    Signal : 7%\n", true, "",
                   "Kivo - connected to Before - 10% - 7%"},
        ReaderCase{"NameCutAt99", "    SSID : " + k98 + "XYZ\n", false, k98,
                   kConnectedCaption + k98}),
    [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace kivo
