#include "camera/command_url.h"

#include <algorithm>

namespace kivo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// The blank of the ". " that follows the 16th byte of the camera dump.
constexpr std::size_t kCameraDumpLineBreak = 51;

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string PercentEncode(std::string_view text) {
  std::string encoded;
  encoded.reserve(text.size());
  for (const unsigned char c : text) {
    if (Unreserved(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHexDigits[c >> 4];
      encoded += kHexDigits[c & 0x0f];
    }
  }
  return encoded;
}

std::string BuildCommandUrl(std::string_view address, std::string_view password,
                            std::string_view path, std::string_view parameter) {
  std::string url;
  url.reserve(16 + address.size() + password.size() + path.size() + parameter.size());
  url += "http://";
  url += address;
  url += '/';
  url += path;
  url += "?t=";
  url += PercentEncode(password);
  if (!parameter.empty()) {
    url += "&p=%";
    url += parameter;
  }
  return url;
}

std::string ReplyDump(std::span<const std::uint8_t> bytes, std::initializer_list<int> dot_after) {
  std::string dump;
  dump.reserve(bytes.size() * 3 + dot_after.size() * 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    dump += kHexDigits[bytes[i] >> 4];
    dump += kHexDigits[bytes[i] & 0x0f];
    dump += ' ';
    const int position = static_cast<int>(i) + 1;
    if (std::find(dot_after.begin(), dot_after.end(), position) != dot_after.end()) dump += ". ";
  }
  return dump;
}

std::string CommandReplyDump(const std::uint8_t* data, int len) {
  const std::size_t n = data ? std::min<std::size_t>(std::max(len, 0), kCommandReplyBytes) : 0;
  return ReplyDump(std::span<const std::uint8_t>(data, n), {8});
}

std::string BacPacDump(std::span<const std::uint8_t, 16> record) { return ReplyDump(record, {8}); }

std::string CameraDump(std::span<const std::uint8_t, 31> record) {
  std::string dump = ReplyDump(record, {8, 16, 24});
  dump[kCameraDumpLineBreak] = '\r';
  return dump;
}

}  // namespace kivo
