// IPv4 addresses as the dotted text people and the settings file write ("10.5.5.9"), the same
// on every system. Plain functions, any thread.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

// Strict dotted quad (four decimal parts 0-255, no leading zeros, nothing around it) to network
// byte order; false when |text| is not one.
bool ParseDottedIpv4(const std::string& text, std::uint32_t* address);
// |address| in network byte order as a dotted quad.
std::string FormatDottedIpv4(std::uint32_t address);

}  // namespace kivo
