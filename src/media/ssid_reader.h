// Reading the output of the computer's Wi-Fi query: "Name : value" lines as Windows' netsh
// prints them, and as the Linux query script writes them from NetworkManager's answer, so one
// reader serves every platform. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

// The window's captions while the monitor runs and when it is switched off.
inline constexpr const char* kPlainCaption = "Kivo";
inline constexpr const char* kConnectedCaption = "Kivo - connected to ";

struct SsidReading {
  bool has_state = false;    // the text holds " State ": the query itself worked
  bool has_ssid = false;     // a " SSID " line was seen
  std::string network_name;  // from the last " SSID " line
  std::string caption;       // the window caption after all lines
};

// Walks |text| line by line from the window's |caption|: a line containing " SSID " (so not
// the BSSID line) sets the caption to kConnectedCaption + the name after its first ":" (at most
// 99 characters, blanks at both ends removed); a line containing " Signal " appends " -" + the
// text after its first ":" (at most 99 characters, as it is).
SsidReading ReadSsidOutput(std::string_view text, std::string_view caption);

}  // namespace kivo
