// kivo.exe's own side of the Windows Wi-Fi query: "kivo.exe --wifi-query FILE" (run by the
// query script) asks the WLAN service and writes the answer to FILE. Blocking; any thread.
#pragma once

#include <string>

namespace kivo {

// Writes the current wireless state to |path| (see platform/wifi_report.h). False when the
// file could not be written.
bool WriteWifiAnswer(const std::string& path);

// The Wi-Fi network the adapter with this GUID ("{...}", the IP helper's AdapterName) is joined
// to, asked of the WLAN service; "" when it is joined to none, is no Wi-Fi adapter, or the
// service is missing.
std::string ConnectedSsid(const std::string& adapter_guid);

}  // namespace kivo
