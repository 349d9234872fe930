// Takes the camera's address off the network and puts it back, for the "unplugged" fault: the
// address is removed from the loopback device and a route sends its packets into the void, so
// pings and connections time out as they do when the camera is out of reach. Only ever used
// inside the private network namespace of the test harness. Loop thread only.
#pragma once

#include <string>

namespace kivo::camsim {

// Whether the address may be switched: it is not a loopback address and the harness said that
// this process runs in a namespace of its own.
bool CanSwitchAddress(const std::string& address);

// Both return false with |error| filled when the "ip" command failed.
bool UnplugAddress(const std::string& address, std::string* error);
bool PlugAddress(const std::string& address, std::string* error);

}  // namespace kivo::camsim
