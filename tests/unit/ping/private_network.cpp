#include "private_network.h"

#include <fcntl.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

namespace kivo::testing {
namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok;
}

bool EnterNamespace() {
  if (unshare(CLONE_NEWNET) == 0) return true;
  // Not privileged: become root of a user namespace of our own first.
  const uid_t uid = getuid();
  const gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
  WriteFile("/proc/self/setgroups", "deny");
  return WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
         WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
}

bool LoopbackUp() {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool ok = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_RUNNING);
  ok = ok && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  close(fd);
  return ok;
}

}  // namespace

bool WriteSysctl(const std::string& key_path, const std::string& value) {
  return WriteFile("/proc/sys/" + key_path, value);
}

PrivateNetworkResult RunInPrivateNetwork(const std::function<std::string()>& body, int limit_ms) {
  PrivateNetworkResult result;
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
    result.failure = "pipe failed";
    return result;
  }
  const pid_t child = fork();
  if (child < 0) {
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    result.failure = "fork failed";
    return result;
  }
  if (child == 0) {
    close(pipe_fds[0]);
    std::string message;
    char status = 'U';  // namespace unavailable
    if (EnterNamespace()) {
      if (!LoopbackUp()) {
        status = 'F';
        message = "cannot bring the loopback device up";
      } else {
        message = body();
        status = message.empty() ? 'P' : 'F';
      }
    }
    const std::string out = std::string(1, status) + message;
    [[maybe_unused]] ssize_t n = write(pipe_fds[1], out.data(), out.size());
    _exit(0);
  }
  close(pipe_fds[1]);
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      kill(child, SIGKILL);
      received = "Ftimed out";
      break;
    }
    pollfd pfd{pipe_fds[0], POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(left)) <= 0) continue;
    char buf[512];
    const ssize_t n = read(pipe_fds[0], buf, sizeof buf);
    if (n <= 0) break;
    received.append(buf, static_cast<size_t>(n));
  }
  close(pipe_fds[0]);
  waitpid(child, nullptr, 0);
  if (received.empty()) {
    result.available = true;
    result.failure = "the child died without a result";
  } else if (received[0] == 'U') {
    result.available = false;
  } else {
    result.available = true;
    result.failure = received.substr(1);
  }
  return result;
}

}  // namespace kivo::testing
