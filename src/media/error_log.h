// The local half of LogError: one message appended as one line to the error log file. Any
// thread, though the program calls it only from the loop thread; no callbacks.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

inline constexpr char kErrorLogFileName[] = "ErrorLog.txt";

// Appends |message| and a line end to the end of the file at |path| in a single write, creating
// the file when it is missing. The file is never read or rewritten, so a crash mid-call cannot
// lose earlier lines and a large log costs nothing extra. Throws std::runtime_error naming the
// file and the reason when it cannot be opened or written.
void AppendToErrorLog(const std::string& path, std::string_view message);

}  // namespace kivo
