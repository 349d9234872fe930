#include "media/error_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/file_path.h"
#include "platform/atomic_file.h"

namespace kivo {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::runtime_error WriteError(const std::string& path, int error) {
  return std::runtime_error("Cannot write to the error log " + path + ": " + std::strerror(error));
}

// The file's last byte, or -1 when it is empty or cannot be read (a log the program may only
// append to is then taken to end with a line).
int LastByte(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "rb"));
  if (!file || std::fseek(file.get(), -1, SEEK_END) != 0) return -1;
  const int byte = std::fgetc(file.get());
  return byte == EOF ? -1 : byte;
}

}  // namespace

std::string ErrorLogEntry(std::string_view message, int last_byte, std::string_view line_end) {
  std::string entry;
  if (last_byte != -1 && last_byte != '\n') entry += line_end;
  entry += message;
  entry += line_end;
  return entry;
}

void AppendToErrorLog(const std::string& path, std::string_view message) {
  // Append mode positions every write at the current end of the file, even if another process
  // appended meanwhile. The stream is unbuffered so the whole line goes out in one write.
  const int last_byte = LastByte(path);
  std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "ab"));
  if (!file) throw WriteError(path, errno);
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  const std::string line =
      ErrorLogEntry(message, last_byte, NewTextFilesUseCrlf() ? "\r\n" : "\n");
  errno = 0;
  const bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  const int write_errno = errno;
  if (std::fclose(file.release()) != 0 && written) throw WriteError(path, errno);
  if (!written) throw WriteError(path, write_errno ? write_errno : EIO);
}

}  // namespace kivo
