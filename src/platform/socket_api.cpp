// What the socket calls do the same on every system: dotted addresses, the de-duplicated answer
// of a name lookup, and decimal ports. The system's half is in posix/ and win32/.
#include "platform/socket_api.h"

#include <algorithm>
#include <cstdlib>

#include "platform/dotted_ipv4.h"
#include "platform/socket_errors.h"

namespace kivo::socket_api {

bool IsDottedAddress(const std::string& text) {
  std::uint32_t address = 0;
  return ParseDottedIpv4(text, &address);
}

int ResolveHostName(const std::string& name, std::vector<std::string>* addresses) {
  addresses->clear();
  std::vector<std::uint32_t> found;
  if (int rc = SystemLookupIpv4(name, &found); rc != 0) return rc;
  // One entry per address (the system lists one per socket type and protocol), first one first.
  for (std::uint32_t address : found) {
    std::string text = FormatDottedIpv4(address);
    if (std::find(addresses->begin(), addresses->end(), text) == addresses->end())
      addresses->push_back(std::move(text));
  }
  return addresses->empty() ? kWsaNoData : 0;
}

int ResolveService(const std::string& name, const std::string& proto, int* port) {
  if (name.empty()) return kWsaEInval;
  char* end = nullptr;
  long value = std::strtol(name.c_str(), &end, 10);
  if (*end == '\0') {
    if (value < 0 || value > 65535) return kWsaEInval;
    *port = static_cast<int>(value);
    return 0;
  }
  return SystemServicePort(name, proto, port);
}

}  // namespace kivo::socket_api
