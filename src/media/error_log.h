// The local half of LogError: one message appended as one line to the error log file. Any
// thread, though the program calls it only from the loop thread; no callbacks.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

inline constexpr char kErrorLogFileName[] = "ErrorLog.txt";

// Appends |message| and a line end (CR LF on Windows, LF elsewhere) to the end of the file at
// |path| in a single write, creating the file when it is missing. A file whose last byte is not a
// line feed gets a line end first, so the message starts a line of its own. Only that last byte
// is ever read and nothing is rewritten, so a crash mid-call cannot lose earlier lines and a
// large log costs nothing extra. Throws std::runtime_error naming the file and the reason when
// it cannot be opened or written.
void AppendToErrorLog(const std::string& path, std::string_view message);

// What AppendToErrorLog writes: |message| and |line_end|, preceded by |line_end| when
// |last_byte| (the log's last byte; -1 for an empty or unreadable log) is not a line feed.
std::string ErrorLogEntry(std::string_view message, int last_byte, std::string_view line_end);

}  // namespace kivo
