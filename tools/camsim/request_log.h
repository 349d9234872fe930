// One line per request received, "MS PORT METHOD TARGET": the monotonic time its first bytes
// reached the simulator, in milliseconds with three decimals (microseconds: a rig's cameras receive
// one command within a millisecond or two, and that spread is what gets measured), the local
// port, the method and the target exactly as received. A reader that takes the leading integer
// still gets whole milliseconds. Each line is written with one write(2), so a reader sees whole
// lines at once. Loop thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct timespec;

namespace kivo::camsim {

int64_t MonotonicMs();
int64_t MonotonicUs();
// A CLOCK_REALTIME instant (a kernel receive time stamp) as MonotonicUs() time.
int64_t MonotonicUsFromRealtime(const timespec& realtime);

class RequestLog {
 public:
  RequestLog() = default;
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Appends to |path| (created when missing). Returns false with |error| filled on failure.
  bool Open(const std::string& path, std::string* error);
  void Write(int64_t us, uint16_t port, std::string_view method, std::string_view target);

 private:
  int fd_ = -1;
};

}  // namespace kivo::camsim
