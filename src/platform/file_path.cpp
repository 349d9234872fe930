#include "platform/file_path.h"

namespace kivo {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  // A path made from char8_t text takes it as UTF-8 on every system.
  std::u8string text(utf8.size(), u8'\0');
  for (size_t i = 0; i < utf8.size(); ++i) text[i] = static_cast<char8_t>(utf8[i]);
  return std::filesystem::path(text);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace kivo
