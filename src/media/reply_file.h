// A reply file of the request pool read back as the diagnostic list shows it: its lines (LF,
// CR LF or a lone CR end a line; a last line without an end still counts) and its exact size in
// bytes. Plain functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

struct ReplyText {
  std::vector<std::string> lines;
  std::uint64_t bytes = 0;
};

// nullopt when there is no file at |path| or it cannot be read.
std::optional<ReplyText> ReadReplyFile(const std::string& path);

}  // namespace kivo
