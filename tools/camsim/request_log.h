// One line per request received, "MS PORT METHOD TARGET": monotonic milliseconds, the local port,
// the method and the target exactly as received. Each line is written with one write(2), so a
// reader sees whole lines at once. Loop thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivo::camsim {

int64_t MonotonicMs();

class RequestLog {
 public:
  RequestLog() = default;
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Appends to |path| (created when missing). Returns false with |error| filled on failure.
  bool Open(const std::string& path, std::string* error);
  void Write(int64_t ms, uint16_t port, std::string_view method, std::string_view target);

 private:
  int fd_ = -1;
};

}  // namespace kivo::camsim
