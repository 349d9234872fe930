// On Windows the query is netsh's report on the wireless interface, which already has the
// "Name : value" lines the reader expects. It goes to a side file that is then moved into
// place, so the window never reads half of it (netsh writes its report in several pieces).
#include "platform/wifi_query.h"

namespace kivo {
namespace {

// |path| for cmd.exe inside double quotes: backslashes, and "%" doubled, since a batch file
// would expand it.
std::string BatchPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '/') {
      out += '\\';
    } else if (c == '%') {
      out += "%%";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

const char* const kWifiQueryScriptExtension = ".bat";

std::string WifiQueryScript(const std::string& output_path) {
  const std::string out = BatchPath(output_path);
  return "@echo off\r\n"
         "rem Kivo's Wi-Fi query, written anew for every query.\r\n"
         "netsh wlan show interface >\"" + out + ".part\" 2>&1\r\n"
         "move /y \"" + out + ".part\" \"" + out + "\" >nul\r\n";
}

}  // namespace kivo
