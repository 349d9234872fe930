#include "ui/win32/short_cut.h"

#include <cctype>
#include <cstdlib>
#include <utility>

namespace kivo::win32 {

bool ParseShortCut(const std::string& text, ACCEL* accel) {
  BYTE flags = FVIRTKEY;
  std::string rest = text;
  for (;;) {
    const size_t plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 == rest.size()) break;
    const std::string modifier = rest.substr(0, plus);
    if (modifier == "Ctrl") {
      flags |= FCONTROL;
    } else if (modifier == "Alt") {
      flags |= FALT;
    } else if (modifier == "Shift") {
      flags |= FSHIFT;
    } else {
      return false;
    }
    rest = rest.substr(plus + 1);
  }
  WORD key = 0;
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(rest[0])));
  } else if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F' &&
             std::isdigit(static_cast<unsigned char>(rest[1]))) {
    const int n = std::atoi(rest.c_str() + 1);
    if (n < 1 || n > 24) return false;
    key = static_cast<WORD>(VK_F1 + n - 1);
  } else {
    static const std::pair<const char*, WORD> kNamed[] = {
        {"Del", VK_DELETE},  {"Ins", VK_INSERT}, {"Esc", VK_ESCAPE}, {"Enter", VK_RETURN},
        {"Space", VK_SPACE}, {"Home", VK_HOME},  {"End", VK_END},    {"Tab", VK_TAB}};
    for (const auto& [name, code] : kNamed) {
      if (rest == name) key = code;
    }
    if (key == 0) return false;
  }
  accel->fVirt = flags;
  accel->key = key;
  return true;
}

}  // namespace kivo::win32
