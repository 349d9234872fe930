// The answer the Windows Wi-Fi query writes from the WLAN service, read back by the shared
// reader: the caption it gives for each state of the computer's Wi-Fi, and a State line (so no
// message box) whatever the machine has.
#include <gtest/gtest.h>

#include "media/ssid_reader.h"
#include "platform/wifi_report.h"

namespace kivo {
namespace {

struct ReportCase {
  const char* name;
  std::vector<WifiInterfaceReport> interfaces;
  const char* caption;  // from "Kivo"
  bool has_ssid;
};

const ReportCase kCases[] = {
    {"NoWifiAtAll", {}, "Kivo", false},
    {"Disconnected", {{"Intel(R) Wi-Fi 6 AX201", "disconnected", std::nullopt, -1}}, "Kivo",
     false},
    {"ConnectedToTheCamera",
     {{"Intel(R) Wi-Fi 6 AX201", "connected", std::string("MyCam"), 96}},
     "Kivo - connected to MyCam - 96%", true},
    {"NameWithBlanksAndAccents",
     {{"Realtek", "connected", std::string("  Cámara de Ana "), 40}},
     "Kivo - connected to Cámara de Ana - 40%", true},
    {"ALineEndInTheNameStaysOnItsLine",
     {{"Realtek", "connected", std::string("Cam\r\nSSID : x"), 5}},
     "Kivo - connected to Cam??SSID : x - 5%", true},
    {"SecondAdapterConnected",
     {{"USB", "disconnected", std::nullopt, -1}, {"PCIe", "connected", std::string("Hero3"), 70}},
     "Kivo - connected to Hero3 - 70%", true},
};

class WifiReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(WifiReportTest, ReadsAsNetshWouldHave) {
  const std::string text = WifiReportText(GetParam().interfaces);
  const SsidReading reading = ReadSsidOutput(text, "Kivo");
  EXPECT_TRUE(reading.has_state) << text;
  EXPECT_EQ(reading.has_ssid, GetParam().has_ssid);
  EXPECT_EQ(reading.caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(States, WifiReportTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo
