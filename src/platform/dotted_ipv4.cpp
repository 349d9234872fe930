#include "platform/dotted_ipv4.h"

#include <cstring>

namespace kivo {

bool ParseDottedIpv4(const std::string& text, std::uint32_t* address) {
  unsigned char bytes[4];
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && (pos >= text.size() || text[pos++] != '.')) return false;
    const std::size_t start = pos;
    unsigned value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3)
      value = value * 10 + static_cast<unsigned>(text[pos++] - '0');
    const std::size_t digits = pos - start;
    // "010" would be octal to some readers and decimal to others: like inet_pton, none of it.
    if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
    bytes[part] = static_cast<unsigned char>(value);
  }
  if (pos != text.size()) return false;
  std::memcpy(address, bytes, sizeof *address);
  return true;
}

std::string FormatDottedIpv4(std::uint32_t address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address, sizeof bytes);
  std::string text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) text += '.';
    text += std::to_string(bytes[part]);
  }
  return text;
}

}  // namespace kivo
