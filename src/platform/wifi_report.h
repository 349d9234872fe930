// The Wi-Fi answer the Windows query writes from the system's WLAN service: the same
// "Name : value" lines netsh prints ("State", "SSID", "Signal", labels in English whatever the
// system's language), so the shared reader reads it unchanged. Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kivo {

struct WifiInterfaceReport {
  std::string name;                 // the adapter's description
  std::string state;                // "connected", "disconnected", ...
  std::optional<std::string> ssid;  // the network's name (bytes as the access point sends them)
  int signal_percent = -1;          // 0..100; -1 when not connected
};

// The answer for |interfaces|, CR LF line ends. With no interface at all (no Wi-Fi adapter, no
// WLAN service) the answer is "State : unavailable" and nothing else, as on Linux.
std::string WifiReportText(const std::vector<WifiInterfaceReport>& interfaces);

}  // namespace kivo
