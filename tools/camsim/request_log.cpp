#include "request_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace kivo::camsim {

int64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

int64_t MonotonicUsFromRealtime(const timespec& realtime) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const int64_t age_ns = (static_cast<int64_t>(now.tv_sec) - realtime.tv_sec) * 1000000000 +
                         (now.tv_nsec - realtime.tv_nsec);
  return MonotonicUs() - std::max<int64_t>(age_ns, 0) / 1000;
}

RequestLog::~RequestLog() {
  if (fd_ >= 0) close(fd_);
}

bool RequestLog::Open(const std::string& path, std::string* error) {
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    *error = "cannot open request log " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void RequestLog::Write(int64_t us, uint16_t port, std::string_view method,
                       std::string_view target) {
  if (fd_ < 0) return;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%lld.%03lld", static_cast<long long>(us / 1000),
                static_cast<long long>(us % 1000));
  std::string line = std::string(stamp) + " " + std::to_string(port) + " ";
  line += method;
  line += " ";
  // A line break inside the target would split the record; nothing else is altered.
  for (char c : target) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line += "\n";
  // A short write to a regular file means a full disk; there is nothing better to do than skip.
  [[maybe_unused]] ssize_t written = write(fd_, line.data(), line.size());
}

}  // namespace kivo::camsim
