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

// What the status bar says when a reply could not be kept: "Cannot create a temporary file in
// FOLDER: REASON" or "Cannot write the temporary file FILE: REASON", REASON being the system's
// (a full disk's "No space left on device").
inline constexpr char kTempFileCreateFailed[] = "Cannot create a temporary file in ";
inline constexpr char kTempFileWriteFailed[] = "Cannot write the temporary file ";
std::string TempFileCreateFailedText(const std::string& folder, const std::string& reason);
std::string TempFileWriteFailedText(const std::string& file, const std::string& reason);

}  // namespace kivo
