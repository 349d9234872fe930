#include "platform/exclusive_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kivo {

ExclusiveFile::Result ExclusiveFile::Create(const std::string& path,
                                            std::unique_ptr<ExclusiveFile>* file,
                                            std::string* error) {
  // O_EXCL fails on any existing name, a dangling link included; O_NOFOLLOW is belt and braces.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    if (errno == EEXIST) return Result::kNameTaken;
    if (error) *error = std::strerror(errno);
    return Result::kFailed;
  }
  file->reset(new ExclusiveFile(fd));
  return Result::kCreated;
}

ExclusiveFile::~ExclusiveFile() { Close(nullptr); }

bool ExclusiveFile::Write(const char* data, std::size_t len, std::string* error) {
  if (handle_ < 0) {
    if (error) *error = "file is closed";
    return false;
  }
  while (len > 0) {
    ssize_t n = ::write(static_cast<int>(handle_), data, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (error) *error = n < 0 ? std::strerror(errno) : "nothing written";
      return false;
    }
    data += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ExclusiveFile::Close(std::string* error) {
  if (handle_ < 0) return true;
  int rc = ::close(static_cast<int>(handle_));
  handle_ = -1;
  if (rc != 0 && error) *error = std::strerror(errno);
  return rc == 0;
}

}  // namespace kivo
