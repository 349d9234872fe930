// Which interfaces lead into the camera network, and the Wi-Fi name in "iw" output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dotted_ipv4.h"
#include "platform/icmp_socket.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

std::uint32_t Ip(const char* dotted) {
  std::uint32_t address = 0;
  EXPECT_TRUE(ParseDottedIpv4(dotted, &address)) << dotted;
  return address;
}

NetInterface Nif(const char* name, const char* address, const char* netmask,
                 bool loopback = false) {
  NetInterface nif;
  nif.name = name;
  nif.address = Ip(address);
  nif.netmask = Ip(netmask);
  nif.loopback = loopback;
  return nif;
}

std::vector<std::string> Names(const std::vector<NetInterface>& list) {
  std::vector<std::string> names;
  for (const NetInterface& nif : list) names.push_back(nif.name);
  return names;
}

TEST(NetInterfacesTest, InterfacesInTheCameraNetwork) {
  const std::vector<NetInterface> all = {
      Nif("lo", "127.0.0.1", "255.0.0.0", true),
      Nif("lo", "10.5.5.9", "255.255.255.255", true),  // the test harness's single camera
      Nif("eth0", "192.168.1.20", "255.255.255.0"),
      Nif("wlan2", "10.5.5.100", "255.255.255.0"),
      Nif("wlan1", "10.5.5.100", "255.255.255.0"),      // the same lease on every adapter
      Nif("wlan1", "10.5.5.101", "255.255.255.0"),      // a second address: listed once
      Nif("wide", "10.5.200.1", "255.255.0.0"),         // its own /16 covers 10.5.5.9
      Nif("point", "10.5.5.42", "255.255.255.255"),     // /32, but in the camera's /24
      Nif("near", "10.5.6.7", "255.255.255.0"),         // next door: not the camera network
      Nif("self", "10.5.5.9", "255.255.255.0"),         // is the camera address itself
      Nif("everything", "172.16.0.1", "0.0.0.0"),       // a netmask of nothing covers nothing
  };
  EXPECT_EQ(Names(InterfacesInNetwork(all, Ip("10.5.5.9"))),
            (std::vector<std::string>{"wlan2", "wlan1", "wide", "point"}));
  EXPECT_EQ(FormatDottedIpv4(InterfacesInNetwork(all, Ip("10.5.5.9"))[1].address), "10.5.5.100");
  // A smaller network by prefix; the interface's own netmask still counts.
  EXPECT_EQ(Names(InterfacesInNetwork(all, Ip("10.5.5.9"), 30)),
            (std::vector<std::string>{"wlan2", "wlan1", "wide"}));
  EXPECT_EQ(Names(InterfacesInNetwork(all, Ip("192.168.1.1"))), std::vector<std::string>{"eth0"});
  EXPECT_TRUE(InterfacesInNetwork(all, Ip("8.8.8.8")).empty());
}

TEST(NetInterfacesTest, AddressSharedWithAnotherInterface) {
  const std::vector<NetInterface> all = {Nif("wlan1", "10.5.5.100", "255.255.255.0"),
                                         Nif("wlan1", "10.5.5.100", "255.255.255.0"),
                                         Nif("wlan2", "10.5.5.101", "255.255.255.0"),
                                         Nif("wlan3", "10.5.5.101", "255.255.255.0")};
  EXPECT_FALSE(AddressShared(all, all[0]));  // only its own entries have it
  EXPECT_TRUE(AddressShared(all, all[2]));
  EXPECT_TRUE(AddressShared(all, all[3]));
}

TEST(NetInterfacesTest, SsidFromIwLink) {
  const struct {
    const char* output;
    const char* ssid;
  } kCases[] = {
      {"Connected to 00:11:22:33:44:55 (on wlan1)\n\tSSID: GP12345678\n\tfreq: 2437\n",
       "GP12345678"},
      {"Connected to d4:d9:19:00:00:01 (on wlan2)\r\n\tSSID: My Rig 2\r\n", "My Rig 2"},
      {"Not connected.\n", ""},
      {"", ""},
      {"\tfreq: 2437\n\tsignal: -40 dBm\n", ""},
      {"\tBSSID: 00:11:22:33:44:55\n", ""},  // not the SSID line
  };
  for (const auto& c : kCases) EXPECT_EQ(SsidFromIwLink(c.output), c.ssid) << c.output;
}

}  // namespace
}  // namespace kivo
