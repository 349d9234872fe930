#include "platform/wifi_report.h"

namespace kivo {
namespace {

// "    Label                  : value", netsh's layout.
std::string Line(const std::string& label, const std::string& value) {
  std::string line = "    " + label;
  if (line.size() < 27) line.append(27 - line.size(), ' ');
  return line + ": " + value + "\r\n";
}

// A network name is the access point's bytes; a line end inside one would start a new line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\0') c = '?';
  }
  return text;
}

}  // namespace

std::string WifiReportText(const std::vector<WifiInterfaceReport>& interfaces) {
  if (interfaces.empty()) return Line("State", "unavailable");
  std::string text = "There " + std::string(interfaces.size() == 1 ? "is " : "are ") +
                     std::to_string(interfaces.size()) + " interface" +
                     (interfaces.size() == 1 ? "" : "s") + " on the system:\r\n";
  for (const WifiInterfaceReport& i : interfaces) {
    text += "\r\n";
    text += Line("Description", OneLine(i.name));
    text += Line("State", i.state);
    if (i.ssid) text += Line("SSID", OneLine(*i.ssid));
    if (i.signal_percent >= 0) text += Line("Signal", std::to_string(i.signal_percent) + "%");
  }
  return text;
}

}  // namespace kivo
