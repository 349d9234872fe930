// Dotted IPv4 text, the same on every system (the settings file's address, kivo-cli's cameras,
// the ping), and the socket layer's port texts and name lookups built on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dotted_ipv4.h"
#include "platform/socket_api.h"
#include "platform/socket_errors.h"

namespace kivo {
namespace {

std::uint32_t Bytes(unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
  const unsigned char bytes[4] = {a, b, c, d};
  std::uint32_t address;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

TEST(DottedIpv4Test, OnlyAStrictDottedQuadIsAnAddress) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"10.5.5.9", true},      {"0.0.0.0", true},      {"255.255.255.255", true},
      {"010.5.5.9", false},    {"10.5.5.09", false},   {"256.1.1.1", false},
      {"10.5.5", false},       {"10.5.5.9.1", false},  {"10.5.5.9.", false},
      {".10.5.5.9", false},    {"10..5.9", false},     {" 10.5.5.9", false},
      {"10.5.5.9 ", false},    {"", false},            {"camera.test", false},
      {"1000.5.5.9", false},   {"10.5.5.-9", false},   {"0x0a.5.5.9", false},
  };
  for (const Case& c : cases) {
    std::uint32_t address = 0;
    EXPECT_EQ(ParseDottedIpv4(c.text, &address), c.valid) << c.text;
    EXPECT_EQ(socket_api::IsDottedAddress(c.text), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(FormatDottedIpv4(address), c.text);
    }
  }
  std::uint32_t address = 0;
  ASSERT_TRUE(ParseDottedIpv4("10.5.5.9", &address));
  EXPECT_EQ(address, Bytes(10, 5, 5, 9));  // network byte order: the first part first in memory
  EXPECT_EQ(FormatDottedIpv4(Bytes(192, 168, 0, 1)), "192.168.0.1");
}

TEST(DottedIpv4Test, PortsAreDecimalOrAServiceName) {
  struct Case {
    const char* text;
    int error;
    int port;
  };
  const Case cases[] = {
      {"80", 0, 80},  {"0", 0, 0},   {"65535", 0, 65535},       {"65536", kWsaEInval, 0},
      {"-1", kWsaEInval, 0}, {"", kWsaEInval, 0}, {"no-such-service-here", kWsaNoData, 0},
  };
  for (const Case& c : cases) {
    int port = -7;
    EXPECT_EQ(socket_api::ResolveService(c.text, "tcp", &port), c.error) << c.text;
    if (c.error == 0) {
      EXPECT_EQ(port, c.port) << c.text;
    }
  }
}

TEST(DottedIpv4Test, ALookupOfADottedAddressGivesItOnce) {
  std::vector<std::string> found;
  ASSERT_EQ(socket_api::ResolveHostName("127.0.0.5", &found), 0);
  EXPECT_EQ(found, std::vector<std::string>{"127.0.0.5"});
}

}  // namespace
}  // namespace kivo
