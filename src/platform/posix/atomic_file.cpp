#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

namespace kivo {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw FileWriteError("Cannot " + what + " \"" + path + "\": " + std::strerror(error));
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A name for the temporary file that no other writer (another thread, another instance of the
// program) will pick at the same moment; O_EXCL settles any collision anyway.
std::string TemporaryName(const std::string& path, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned long mix = static_cast<unsigned long>(ticks) ^
                            (static_cast<unsigned long>(getpid()) << 16) ^
                            (counter.fetch_add(1) * 2654435761u) ^ attempt;
  char suffix[32];
  snprintf(suffix, sizeof suffix, ".tmp%06lx", mix & 0xffffff);
  return path + suffix;
}

// The file a path finally names: a symbolic link is written through (its target is replaced in
// the target's own folder), so the link and whoever shares its target keep seeing the settings.
std::string FollowLinks(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info{};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4095) + 1);
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
    std::string next(target.data(), static_cast<size_t>(n));
    path = next.front() == '/' ? next : DirectoryOf(path) + "/" + next;
  }
  return path;
}

// Temporary files of a save that a crash interrupted. Only old ones go: a fresh one may belong to
// another instance saving at this moment.
void RemoveStaleTemporaries(const std::string& path) {
  namespace fs = std::filesystem;
  const std::string prefix = fs::path(path).filename().string() + ".tmp";
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (const fs::directory_entry& entry : fs::directory_iterator(DirectoryOf(path), error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::error_code ignored;
    const auto written = entry.last_write_time(ignored);
    if (!ignored && now - written > std::chrono::minutes(1) && entry.is_regular_file(ignored))
      fs::remove(entry.path(), ignored);
  }
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* contents) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string data;
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return false;
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  *contents = std::move(data);
  return true;
}

void WriteFileAtomically(const std::string& link_path, std::string_view contents) {
  const std::string path = FollowLinks(link_path);
  RemoveStaleTemporaries(path);
  mode_t mode = 0644;
  struct stat existing{};
  if (stat(path.c_str(), &existing) == 0) mode = existing.st_mode & 07777;

  std::string temp;
  int fd = -1;
  for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = TemporaryName(path, attempt);
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && errno != EEXIST) Fail("create a temporary file for", path, errno);
  }
  if (fd < 0) Fail("create a temporary file for", path, EEXIST);

  auto abandon = [&](const char* what, int error) {
    close(fd);
    unlink(temp.c_str());
    Fail(what, path, error);
  };
  size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      abandon("write", errno);
    }
    done += static_cast<size_t>(n);
  }
  if (fchmod(fd, mode) != 0) abandon("set the permissions of", errno);
  if (fsync(fd) != 0) abandon("flush", errno);
  if (close(fd) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    Fail("write", path, error);
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    Fail("replace", path, error);
  }
  // Make the rename itself durable; a failure here no longer endangers the data.
  const int dir = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

bool NewTextFilesUseCrlf() { return false; }

}  // namespace kivo
