#include "camera/camera_passwords.h"

#include <gtest/gtest.h>

namespace kivo {
namespace {

TEST(CameraPasswordTest, InterfaceBeforeNetworkNameCaseBlind) {
  const std::vector<CameraPasswordRow> rows = {
      {"GP11111111", "net-pass"}, {"wlan1", "wlan1-pass"}, {"Wi-Fi 2", "adapter-pass"},
      {"GPOPEN", ""}};
  struct Case {
    const char* interface_name;
    const char* ssid;
    std::optional<std::string> want;
  };
  const Case cases[] = {
      {"wlan1", "GP11111111", "wlan1-pass"},  // the interface's row wins over the network's
      {"wlan2", "GP11111111", "net-pass"},
      {"wlan2", "gp11111111", "net-pass"},
      {"wi-fi 2", "", "adapter-pass"},
      {"wlan2", "GPOPEN", ""},  // a row with an empty password is still a row
      {"wlan2", "GP99999999", std::nullopt},
      {"wlan2", "", std::nullopt},  // an unknown network name never matches a row
      {"", "", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CameraPassword(c.interface_name, c.ssid, rows), c.want)
        << c.interface_name << " / " << c.ssid;
}

TEST(CameraPasswordTest, NoRows) { EXPECT_EQ(CameraPassword("wlan1", "GP1", {}), std::nullopt); }

}  // namespace
}  // namespace kivo
