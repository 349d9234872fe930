#include "media/error_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr char kLineEnd[] = "\n";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::runtime_error WriteError(const std::string& path, int error) {
  return std::runtime_error("Cannot write to the error log " + path + ": " + std::strerror(error));
}

}  // namespace

void AppendToErrorLog(const std::string& path, std::string_view message) {
  // Append mode positions every write at the current end of the file, even if another process
  // appended meanwhile. The stream is unbuffered so the whole line goes out in one write.
  std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "ab"));
  if (!file) throw WriteError(path, errno);
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  std::string line(message);
  line += kLineEnd;
  errno = 0;
  const bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  const int write_errno = errno;
  if (std::fclose(file.release()) != 0 && written) throw WriteError(path, errno);
  if (!written) throw WriteError(path, write_errno ? write_errno : EIO);
}

}  // namespace kivo
