#include "camsim_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

extern char** environ;

namespace kivo::camsim::testing {
namespace {

bool ToSockaddr(const std::string& address_port, sockaddr_in* sa) {
  const size_t colon = address_port.rfind(':');
  if (colon == std::string::npos) return false;
  *sa = {};
  sa->sin_family = AF_INET;
  sa->sin_port = htons(static_cast<uint16_t>(std::stoi(address_port.substr(colon + 1))));
  return inet_pton(AF_INET, address_port.substr(0, colon).c_str(), &sa->sin_addr) == 1;
}

// Non-blocking connect with a limit; returns the fd or -1 with |error| set.
int Connect(const std::string& address_port, int timeout_ms, int* error) {
  sockaddr_in sa{};
  if (!ToSockaddr(address_port, &sa)) {
    *error = EINVAL;
    return -1;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 && errno != EINPROGRESS) {
    *error = errno;
    close(fd);
    return -1;
  }
  pollfd p{fd, POLLOUT, 0};
  if (poll(&p, 1, timeout_ms) <= 0) {
    *error = ETIMEDOUT;
    close(fd);
    return -1;
  }
  int so_error = 0;
  socklen_t len = sizeof so_error;
  getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &len);
  if (so_error != 0) {
    *error = so_error;
    close(fd);
    return -1;
  }
  *error = 0;
  return fd;
}

void SplitReply(RawReply* r) {
  if (!r->bytes.starts_with("HTTP/1.")) return;
  size_t end = r->bytes.find("\r\n\r\n");
  if (end == std::string::npos) return;
  r->status = std::atoi(r->bytes.substr(9, 3).c_str());
  std::istringstream head(r->bytes.substr(0, end));
  std::string line;
  while (std::getline(head, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    r->head_lines.push_back(line);
  }
  r->body = r->bytes.substr(end + 4);
}

}  // namespace

RawReply Exchange(const std::string& address_port, const std::string& request, int timeout_ms) {
  RawReply r;
  int error = 0;
  const int fd = Connect(address_port, timeout_ms, &error);
  if (fd < 0) return r;
  r.connected = true;
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
      r.timed_out = true;
      break;
    }
    char buffer[8192];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == ECONNRESET) r.reset = true;
    if (n <= 0) break;
    r.bytes.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  SplitReply(&r);
  return r;
}

RawReply Http(const std::string& address_port, const std::string& target,
              const std::string& method, int timeout_ms) {
  const std::string request = method + " " + target +
                              " HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Mozilla/3.0 "
                              "(compatible)\r\nPragma: no-cache\r\n\r\n";
  return Exchange(address_port, request, timeout_ms);
}

int TryConnect(const std::string& address_port, int timeout_ms) {
  int error = 0;
  const int fd = Connect(address_port, timeout_ms, &error);
  if (fd >= 0) close(fd);
  return error;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "camsim-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

std::string CamsimPath() { return KIVO_CAMSIM_PATH; }

Camsim::Camsim(const std::vector<std::string>& extra_args) : dir_(MakeTempDir()) {
  std::vector<std::string> args = {CamsimPath(),        "--address",       "127.0.0.1",
                                   "--port",            "0",               "--media-port",
                                   "0",                 "--service",       "127.0.0.1:0",
                                   "--ports-file",      dir_ + "/ports",   "--log",
                                   log_path(),          "--reports",       reports_path()};
  args.insert(args.end(), extra_args.begin(), extra_args.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    ADD_FAILURE() << "cannot start " << argv[0];
    pid_ = -1;
    return;
  }
  for (int i = 0; i < 500; ++i) {
    const std::string ports = ReadFile(dir_ + "/ports");
    if (!ports.empty()) {
      for (const std::string& line : Lines(ports)) {
        const size_t blank = line.find(' ');
        ports_[line.substr(0, blank)] = line.substr(blank + 1);
      }
      ok_ = ports_.count("camera") && ports_.count("media") && ports_.count("control");
      break;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!ok_) ADD_FAILURE() << "kivo-camsim did not come up";
}

Camsim::~Camsim() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

std::string Camsim::Control(const std::string& line) {
  const RawReply r = Exchange(control(), line + "\n");
  std::string reply = r.bytes;
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.pop_back();
  return reply;
}

RawReply Camsim::Command(const std::string& path, const std::string& parameter) {
  std::string target = path + "?t=cameralnk";
  if (!parameter.empty()) target += "&p=%" + parameter;
  return Http(camera(), target);
}

std::string Camsim::BacPacRecord() { return Command("/bacpac/se").body; }
std::string Camsim::CameraRecord() { return Command("/camera/se").body; }

}  // namespace kivo::camsim::testing
