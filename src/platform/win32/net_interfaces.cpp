// The adapter list from the IP helper (GetAdaptersAddresses). An adapter is known to users by
// its friendly name ("Wi-Fi 2"), to scripts often by its index; both find it.
#include "platform/net_interfaces.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <cstdlib>
#include <vector>

#include "platform/socket_errors.h"
#include "platform/win32/wifi_query_win32.h"
#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

std::uint32_t MaskFromPrefix(unsigned bits) {
  if (bits == 0) return 0;
  return htonl(bits >= 32 ? 0xffffffffu : 0xffffffffu << (32 - bits));
}

struct Adapter {
  NetInterface nif;
  std::string adapter_name;  // the GUID text
};

// Every adapter with each of its IPv4 addresses; an adapter without one appears once with
// address 0. Returns 0 or a system error.
int ListAdapters(std::vector<Adapter>* out) {
  out->clear();
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG rc = ERROR_BUFFER_OVERFLOW;
  // The list may grow between the two calls; a few rounds settle it.
  for (int attempt = 0; attempt < 4 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    rc = GetAdaptersAddresses(AF_INET, flags, nullptr,
                              reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (rc == ERROR_NO_DATA) return 0;
  if (rc != NO_ERROR) return static_cast<int>(rc);
  for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a != nullptr;
       a = a->Next) {
    Adapter base;
    base.nif.name = a->FriendlyName != nullptr ? win32::Utf8(a->FriendlyName) : a->AdapterName;
    base.nif.index = a->IfIndex;
    base.nif.loopback = a->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
    base.nif.running = a->OperStatus == IfOperStatusUp;
    base.adapter_name = a->AdapterName != nullptr ? a->AdapterName : "";
    bool any = false;
    for (auto* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
      if (u->Address.lpSockaddr == nullptr || u->Address.lpSockaddr->sa_family != AF_INET)
        continue;
      Adapter entry = base;
      entry.nif.address =
          reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr)->sin_addr.s_addr;
      entry.nif.netmask = MaskFromPrefix(u->OnLinkPrefixLength);
      out->push_back(std::move(entry));
      any = true;
    }
    if (!any) out->push_back(std::move(base));
  }
  return 0;
}

bool IsDecimal(const std::string& text) {
  return !text.empty() && text.size() < 10 &&
         text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int ListNetInterfaces(std::vector<NetInterface>* out) {
  out->clear();
  std::vector<Adapter> adapters;
  if (int rc = ListAdapters(&adapters); rc != 0) return rc;
  for (Adapter& a : adapters)
    if (a.nif.address != 0) out->push_back(std::move(a.nif));
  return 0;
}

int FindNetInterface(const std::string& name, NetInterface* found) {
  if (name.empty()) return kErrorNoSuchInterface;
  std::vector<Adapter> adapters;
  if (ListAdapters(&adapters) != 0) return kErrorNoSuchInterface;
  const unsigned index = IsDecimal(name) ? static_cast<unsigned>(std::atol(name.c_str())) : 0;
  // A friendly name is matched before an index, so an adapter named "2" is still found by name.
  for (int pass = 0; pass < 2; ++pass) {
    for (const Adapter& a : adapters) {
      const bool match = pass == 0 ? a.nif.name == name || a.adapter_name == name
                                   : index != 0 && a.nif.index == index;
      if (match) {
        *found = a.nif;
        return 0;
      }
    }
  }
  return kErrorNoSuchInterface;
}

std::string WifiNetworkName(const std::string& name) {
  std::vector<Adapter> adapters;
  if (name.empty() || ListAdapters(&adapters) != 0) return {};
  NetInterface found;
  if (FindNetInterface(name, &found) != 0) return {};
  for (const Adapter& a : adapters)
    if (a.nif.index == found.index) return ConnectedSsid(a.adapter_name);
  return {};
}

}  // namespace kivo
