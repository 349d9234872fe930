// The computer's Wi-Fi query: the text of a script the program writes beside itself and starts
// hidden, which writes the current wireless network to an output file as "Name : value" lines
// ("State", "SSID", "Signal", as Windows' netsh prints them) for the shared reader. Each
// platform has its own script. Pure functions; any thread.
#pragma once

#include <string>

namespace kivo {

// The script file's extension on this platform (".sh" here; the Windows script is a ".bat").
extern const char* const kWifiQueryScriptExtension;

// The whole script, writing its answer to |output_path|. Where the computer has no Wi-Fi
// device or no way to ask, the script writes "State : unavailable" and nothing else, so that
// only a query that really failed leaves an output without a State line.
std::string WifiQueryScript(const std::string& output_path);

}  // namespace kivo
