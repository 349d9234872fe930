// Command latency: from the menu handler's call to the moment a camera on loopback has the
// whole request line, for the program's command channel (SendCommand on HttpCli3) and, in the
// same run, for a plain blocking socket client sending the same request (the floor).
//
//   kivo_command_bench [COMMANDS]     (default 1000)
//
// The "camera" is a thread with a listening socket on 127.0.0.1 that stamps the arrival of the
// request line with the same monotonic clock, then answers like a camera (200, two bytes).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

class Camera {
 public:
  Camera() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(fd_, 64);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~Camera() {
    stop_ = true;
    shutdown(fd_, SHUT_RDWR);
    close(fd_);
    thread_.join();
  }
  int Port() const { return port_; }
  // Arrival time of the request line of the |n|th request (0-based), waiting for it.
  Clock::time_point Arrival(size_t n) {
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (arrivals_.size() > n) return arrivals_[n];
      }
      std::this_thread::yield();
    }
  }

 private:
  void Serve() {
    while (!stop_) {
      int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      std::string got;
      char buf[2048];
      bool stamped = false;
      while (got.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = read(c, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, n);
        if (!stamped && got.find("\r\n") != std::string::npos) {
          std::lock_guard<std::mutex> lock(mutex_);
          arrivals_.push_back(Clock::now());
          stamped = true;
        }
      }
      static const char kReply[] = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n\x00\x01";
      [[maybe_unused]] ssize_t w = write(c, kReply, sizeof kReply - 1);
      close(c);
    }
  }
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Clock::time_point> arrivals_;
};

struct Figures {
  double median_us, p99_us, max_us;
};

Figures Summarise(std::vector<double> us) {
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[std::min(us.size() - 1, us.size() * 99 / 100)], us.back()};
}

// The floor: connect, send the same request, done.
void PlainClient(int port, const std::string& request) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  [[maybe_unused]] ssize_t w = write(fd, request.data(), request.size());
  char buf[256];
  while (read(fd, buf, sizeof buf) > 0) {
  }
  close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  auto dir = std::filesystem::temp_directory_path() / ("kivo-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);

  Camera camera;
  kivo::PollEventLoop loop;
  kivo::ScriptedDialogs dialogs;
  kivo::ScriptedShell shell;
  kivo::TForm1 form(kivo::FormEnvironment{loop, kivo::SystemClock::Instance(), dialogs, shell,
                                          dir.string() + "/", "/usr/bin/vlc"});
  form.FormCreate();
  form.BacPacStatusTimer->SetEnabled(false);
  form.ClockTimer->SetEnabled(false);
  form.camera_address = "127.0.0.1:" + std::to_string(camera.Port());

  std::vector<double> program_us;
  size_t served = 0;
  for (int i = 0; i < count; ++i) {
    auto start = Clock::now();
    form.Model().Click("Video1");
    // Run the program's loop until the camera has the request, as a real session would.
    loop.RunUntil([&] { return form.HttpCli3->State() == kivo::THttpState::Ready; }, 5000);
    auto arrived = camera.Arrival(served++);
    program_us.push_back(std::chrono::duration<double, std::micro>(arrived - start).count());
  }

  std::string request = "GET /camera/CM?t=cameralnk&p=%00 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  std::vector<double> plain_us;
  for (int i = 0; i < count; ++i) {
    auto start = Clock::now();
    PlainClient(camera.Port(), request);
    auto arrived = camera.Arrival(served++);
    plain_us.push_back(std::chrono::duration<double, std::micro>(arrived - start).count());
  }
  form.FormClose();
  std::filesystem::remove_all(dir);

  Figures p = Summarise(program_us), b = Summarise(plain_us);
  std::printf("command latency, handler call -> request line at the camera, %d commands\n", count);
  std::printf("  %-28s median %8.1f us   p99 %8.1f us   max %8.1f us\n", "kivo SendCommand (HttpCli3)",
              p.median_us, p.p99_us, p.max_us);
  std::printf("  %-28s median %8.1f us   p99 %8.1f us   max %8.1f us\n", "plain blocking socket",
              b.median_us, b.p99_us, b.max_us);
  std::printf("  ratio kivo/plain: median %.2fx, p99 %.2fx   (goal: kivo median <= 2000 us)\n",
              p.median_us / b.median_us, p.p99_us / b.p99_us);
  return 0;
}
