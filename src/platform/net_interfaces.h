// The computer's network interfaces as far as reaching cameras goes: every interface with an
// IPv4 address, which of them lead into a camera's network, and finding one by the name a user
// gives. With several cameras, each one its own access point at the same address, every camera
// is reached through its own Wi-Fi adapter; these are the adapters. Plain functions; any thread
// (WifiNetworkName blocks: keep it off the UI thread).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kivo {

struct NetInterface {
  // Linux: the kernel's name ("wlan1"); Windows: the adapter's friendly name ("Wi-Fi 2").
  std::string name;
  unsigned index = 0;          // the system's interface index
  std::uint32_t address = 0;   // IPv4, network byte order
  std::uint32_t netmask = 0;   // network byte order; 0 when the system did not say
  bool loopback = false;
  bool running = false;        // up and connected (a Wi-Fi adapter joined to its network)
};

// Every interface with an IPv4 address, one entry per address, in the system's order. Returns 0
// or a Winsock number.
int ListNetInterfaces(std::vector<NetInterface>* out);

// The interfaces of |all| that lead into the network of |camera_address| (network byte order):
// their address lies in the camera address's network of |prefix_bits| (24: 10.5.5.0/24 for
// 10.5.5.9), or the interface's own netmask covers the camera address. Loopback interfaces and
// addresses equal to the camera's are left out (that is the camera itself, not a way to it);
// each interface appears once, with its first such address, in the order of |all|.
std::vector<NetInterface> InterfacesInNetwork(std::span<const NetInterface> all,
                                              std::uint32_t camera_address,
                                              int prefix_bits = 24);

// Finds the interface a user named: Linux its name; Windows its friendly name, its adapter name
// (the GUID) or its index in decimal. Returns 0 and fills |found| (address 0 when it has no
// IPv4 address), or kErrorNoSuchInterface.
int FindNetInterface(const std::string& name, NetInterface* found);

// Whether another interface than |nif| has |nif|'s IPv4 address: then the address alone cannot
// choose the interface (each camera's DHCP hands every adapter the same first lease).
bool AddressShared(std::span<const NetInterface> all, const NetInterface& nif);

// The name of the Wi-Fi network that |interface_name| is joined to, where the system tells it;
// "" when unknown. Linux asks "iw dev NAME link", then NetworkManager ("nmcli"); both are
// separate programs, so this blocks for as long as they run (at most about two seconds each).
// Windows asks the WLAN service for the adapter's current connection.
std::string WifiNetworkName(const std::string& interface_name);

// The network name in the output of "iw dev NAME link" ("\tSSID: GP12345678"); "" when the
// output has none (for instance "Not connected.").
std::string SsidFromIwLink(const std::string& output);

}  // namespace kivo
