// On Linux the query asks NetworkManager: the state of the first Wi-Fi device, then the access
// point it is associated with (ACTIVE "yes"), without a fresh scan so the answer comes at once.
// The answer is written to a side file and renamed into place, so the window never reads half
// of it.
#include "platform/wifi_query.h"

namespace kivo {
namespace {

// |text| as one word of the shell, inside single quotes.
std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

constexpr const char* kScriptBody = R"SH(
part="$out.part"
unavailable() { echo "    State                  : unavailable"; }
query() {
  if ! command -v nmcli >/dev/null 2>&1; then unavailable; return; fi
  if ! devices=$(nmcli -t -e no -f TYPE,STATE device 2>&1); then
    # NetworkManager not running is a machine without the service, not an error to show.
    if nmcli -t -f RUNNING general 2>/dev/null | grep -qx running; then
      echo "$devices"
    else
      unavailable
    fi
    return
  fi
  state=$(printf '%s\n' "$devices" | awk -F: '$1 == "wifi" { print $2; exit }')
  if [ -z "$state" ]; then unavailable; return; fi
  echo "    State                  : $state"
  # SSID last: it may hold ":" itself, and everything after the second ":" belongs to it.
  { nmcli -t -e no -f ACTIVE,SIGNAL,SSID device wifi list --rescan no 2>/dev/null ||
    nmcli -t -e no -f ACTIVE,SIGNAL,SSID device wifi 2>/dev/null; } |
    awk -F: '$1 == "yes" {
      print "    SSID                   : " substr($0, length($1) + length($2) + 3)
      print "    Signal                 : " $2 "%"
      exit
    }'
}
query >"$part" 2>&1
mv -f "$part" "$out"
)SH";

}  // namespace

const char* const kWifiQueryScriptExtension = ".sh";

std::string WifiQueryScript(const std::string& output_path) {
  std::string script = "#!/bin/sh\n# Kivo's Wi-Fi query, written anew for every query.\n";
  script += "LC_ALL=C; export LC_ALL\n";
  script += "out=" + ShellQuote(output_path) + "\n";
  script += kScriptBody;
  return script;
}

}  // namespace kivo
