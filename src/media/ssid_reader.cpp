#include "media/ssid_reader.h"

#include "media/text_lines.h"

namespace kivo {
namespace {

constexpr std::string_view kStateMark = " State ";
constexpr std::string_view kSsidMark = " SSID ";
constexpr std::string_view kSignalMark = " Signal ";
constexpr std::size_t kValueLength = 99;

// Up to 99 characters after the first ":"; nothing when the line has none.
std::string_view ValueOf(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};
  return line.substr(colon + 1, kValueLength);
}

std::string_view Trim(std::string_view s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

SsidReading ReadSsidOutput(std::string_view text, std::string_view caption) {
  SsidReading reading;
  reading.has_state = text.find(kStateMark) != std::string_view::npos;
  reading.caption = caption;
  for (const std::string& line : SplitLines(text)) {
    if (line.find(kSsidMark) != std::string::npos) {
      reading.has_ssid = true;
      reading.network_name = Trim(ValueOf(line));
      reading.caption = kConnectedCaption + reading.network_name;
    }
    if (line.find(kSignalMark) != std::string::npos) {
      reading.caption += " -";
      reading.caption += ValueOf(line);
    }
  }
  return reading;
}

}  // namespace kivo
