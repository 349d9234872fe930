#include "media/reply_file.h"

#include "media/text_lines.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include "platform/file_path.h"

namespace kivo {

std::optional<ReplyText> ReadReplyFile(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(PathFromUtf8(path), ec)) return std::nullopt;
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ReplyText{SplitLines(content), content.size()};
}

std::string TempFileCreateFailedText(const std::string& folder, const std::string& reason) {
  return kTempFileCreateFailed + folder + ": " + reason;
}

std::string TempFileWriteFailedText(const std::string& file, const std::string& reason) {
  return kTempFileWriteFailed + file + ": " + reason;
}

}  // namespace kivo
