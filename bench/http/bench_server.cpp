#include "bench_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace kivo::bench {

namespace {

// Looks like the camera's answers: a short header and a few dozen bytes of record.
const std::string kSmallReply =
    "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 31\r\n\r\n"
    "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17"
    "\x18\x19\x1a\x1b\x1c\x1d\x1e";

bool SendAll(int fd, const char* data, std::size_t len) {
  while (len > 0) {
    ssize_t n = send(fd, data, len, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

BenchServer::BenchServer(std::size_t big_size) : big_size_(big_size) {
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listen_fd_, 64) != 0)
    throw std::runtime_error("bench server: bind/listen failed");
  socklen_t len = sizeof addr;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Run(); });
}

BenchServer::~BenchServer() {
  stop_ = true;
  thread_.join();
  close(listen_fd_);
}

std::string BenchServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void BenchServer::Run() {
  while (!stop_) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    close(fd);
  }
}

void BenchServer::Serve(int fd) {
  // Read the request first: closing with unread bytes would reset the connection.
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return;
    request.append(buf, static_cast<std::size_t>(n));
  }
  if (request.compare(0, 9, "GET /big ") != 0) {
    SendAll(fd, kSmallReply.data(), kSmallReply.size());
    return;
  }
  std::string header = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                       std::to_string(big_size_) + "\r\n\r\n";
  if (!SendAll(fd, header.data(), header.size())) return;
  static const std::vector<char> block(1 << 20, 'k');
  for (std::size_t left = big_size_; left > 0;) {
    std::size_t n = left < block.size() ? left : block.size();
    if (!SendAll(fd, block.data(), n)) return;
    left -= n;
  }
}

}  // namespace kivo::bench
