#include "camera/reply_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kivo {

std::vector<std::string> SplitReplyLines(std::string_view content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\n' && content[i] != '\r') continue;
    lines.emplace_back(content.substr(start, i - start));
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < content.size()) lines.emplace_back(content.substr(start));
  return lines;
}

std::optional<ReplyText> ReadReplyFile(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ReplyText{SplitReplyLines(content), content.size()};
}

}  // namespace kivo
