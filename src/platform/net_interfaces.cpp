// The platform-independent half of the interface list: the camera-network filter and the reader
// of "iw" output.
#include "platform/net_interfaces.h"

#include <sstream>

namespace kivo {
namespace {

// A prefix length as a netmask in network byte order (the bytes 255.255.255.0 for 24).
std::uint32_t MaskOf(int prefix_bits) {
  if (prefix_bits <= 0) return 0;
  if (prefix_bits >= 32) return 0xffffffffu;
  const std::uint32_t host_order = 0xffffffffu << (32 - prefix_bits);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(host_order >> 24), static_cast<unsigned char>(host_order >> 16),
      static_cast<unsigned char>(host_order >> 8), static_cast<unsigned char>(host_order)};
  std::uint32_t network_order = 0;
  for (int i = 0; i < 4; ++i) reinterpret_cast<unsigned char*>(&network_order)[i] = bytes[i];
  return network_order;
}

bool SameNetwork(std::uint32_t a, std::uint32_t b, std::uint32_t mask) {
  return mask != 0 && (a & mask) == (b & mask);
}

}  // namespace

std::vector<NetInterface> InterfacesInNetwork(std::span<const NetInterface> all,
                                              std::uint32_t camera_address, int prefix_bits) {
  const std::uint32_t mask = MaskOf(prefix_bits);
  std::vector<NetInterface> out;
  for (const NetInterface& nif : all) {
    if (nif.loopback || nif.address == 0 || nif.address == camera_address) continue;
    if (!SameNetwork(nif.address, camera_address, mask) &&
        !SameNetwork(nif.address, camera_address, nif.netmask)) {
      continue;
    }
    bool seen = false;
    for (const NetInterface& kept : out) seen = seen || kept.name == nif.name;
    if (!seen) out.push_back(nif);
  }
  return out;
}

bool AddressShared(std::span<const NetInterface> all, const NetInterface& nif) {
  for (const NetInterface& other : all) {
    if (other.name != nif.name && other.address != 0 && other.address == nif.address) return true;
  }
  return false;
}

std::string SsidFromIwLink(const std::string& output) {
  std::istringstream lines(output);
  std::string line;
  constexpr std::string_view kKey = "SSID:";
  while (std::getline(lines, line)) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(start + kKey.size());
    if (!value.empty() && value.front() == ' ') value.erase(0, 1);
    if (!value.empty() && value.back() == '\r') value.pop_back();
    return value;
  }
  return "";
}

}  // namespace kivo
