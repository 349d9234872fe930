#include "script_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "test_sockets.h"

namespace kivo::testing {

namespace net = sockets;

Script& Script::ReadRequest() {
  steps_.push_back({Kind::kReadRequest, {}, {}, 0, 0});
  return *this;
}
Script& Script::ReadBytes(std::size_t count) {
  steps_.push_back({Kind::kReadBytes, {}, {}, 0, count});
  return *this;
}
Script& Script::Send(const std::string& bytes) {
  steps_.push_back({Kind::kSend, bytes, {}, 0, 0});
  return *this;
}
Script& Script::SendPieces(const std::string& bytes, std::vector<std::size_t> pieces, int ms) {
  steps_.push_back({Kind::kSend, bytes, std::move(pieces), ms, 0});
  return *this;
}
Script& Script::Pause(int ms) {
  steps_.push_back({Kind::kPause, {}, {}, ms, 0});
  return *this;
}
Script& Script::Close() {
  steps_.push_back({Kind::kClose, {}, {}, 0, 0});
  return *this;
}
Script& Script::ShutdownWrite() {
  steps_.push_back({Kind::kShutdownWrite, {}, {}, 0, 0});
  return *this;
}
Script& Script::Reset() {
  steps_.push_back({Kind::kReset, {}, {}, 0, 0});
  return *this;
}
Script& Script::Silent() {
  steps_.push_back({Kind::kSilent, {}, {}, 0, 0});
  return *this;
}
Script& Script::Gate(std::shared_ptr<const std::atomic<bool>> gate) {
  steps_.push_back({Kind::kGate, {}, {}, 0, 0, std::move(gate)});
  return *this;
}

ScriptServer::ScriptServer() {
  listen_fd_ = net::ListenLoopback(&port_);
  if (listen_fd_ < 0) throw std::runtime_error("socket/bind/listen");
}

ScriptServer::~ScriptServer() {
  Stop();
  net::Close(listen_fd_);
}

std::string ScriptServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void ScriptServer::Serve(std::vector<Script> scripts) {
  thread_ = std::thread([this, scripts = std::move(scripts)]() mutable { Run(std::move(scripts)); });
}

void ScriptServer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::vector<std::string> ScriptServer::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

bool ScriptServer::WaitReadable(int fd, int timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!stop_) {
    if (net::WaitReadable(fd, 20)) return true;
    if (timeout_ms >= 0 && std::chrono::steady_clock::now() >= deadline) return false;
  }
  return false;
}

void ScriptServer::Run(std::vector<Script> scripts) {
  for (std::size_t i = 0; i < scripts.size() && !stop_; ++i) {
    if (!WaitReadable(listen_fd_, -1)) return;
    int fd = net::Accept(listen_fd_);
    if (fd < 0) return;
    ++accepted_;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.emplace_back();
    }
    net::SetNoDelay(fd);
    Play(fd, scripts[i], i);
    ++finished_;
  }
}

void ScriptServer::Play(int fd, const Script& script, std::size_t index) {
  auto append = [&](const char* data, std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    received_[index].append(data, n);
  };
  bool open = true;
  for (const auto& step : script.steps()) {
    if (stop_) break;
    switch (step.kind) {
      case Script::Kind::kReadRequest: {
        std::string got;
        std::size_t need = std::string::npos;
        char buf[4096];
        while (!stop_) {
          std::size_t end = got.find("\r\n\r\n");
          if (end != std::string::npos && need == std::string::npos) {
            need = end + 4;
            std::size_t cl = got.find("Content-Length: ");
            if (cl != std::string::npos && cl < end) need += std::strtoul(got.c_str() + cl + 16, nullptr, 10);
          }
          if (need != std::string::npos && got.size() >= need) break;
          if (!WaitReadable(fd, 10000)) break;
          long n = net::Receive(fd, buf, sizeof buf);
          if (n <= 0) break;
          got.append(buf, n);
          append(buf, n);
        }
        break;
      }
      case Script::Kind::kReadBytes: {
        std::size_t got = 0;
        std::vector<char> buf(65536);
        while (got < step.count && !stop_) {
          if (!WaitReadable(fd, 10000)) break;
          long n = net::Receive(fd, buf.data(), std::min(buf.size(), step.count - got));
          if (n <= 0) break;
          append(buf.data(), n);
          got += n;
        }
        break;
      }
      case Script::Kind::kSend: {
        std::size_t pos = 0;
        std::vector<std::size_t> pieces = step.pieces;
        pieces.push_back(step.bytes.size());
        for (std::size_t k = 0; k < pieces.size() && pos < step.bytes.size(); ++k) {
          std::size_t n = std::min(pieces[k], step.bytes.size() - pos);
          std::size_t sent = 0;
          while (sent < n) {
            long r = net::Send(fd, step.bytes.data() + pos + sent, n - sent);
            if (r <= 0) break;
            sent += r;
          }
          pos += n;
          if (k + 1 < pieces.size() && step.ms > 0 && pos < step.bytes.size())
            std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
        }
        break;
      }
      case Script::Kind::kPause: {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.ms);
        while (!stop_ && std::chrono::steady_clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        break;
      }
      case Script::Kind::kGate:
        while (!stop_ && !*step.gate) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        break;
      case Script::Kind::kClose:
        net::Close(fd);
        open = false;
        break;
      case Script::Kind::kShutdownWrite:
        net::ShutdownWrite(fd);
        break;
      case Script::Kind::kReset: {
        net::CloseWithReset(fd);
        open = false;
        break;
      }
      case Script::Kind::kSilent: {
        char buf[4096];
        while (!stop_) {
          if (!WaitReadable(fd, 50)) continue;
          long n = net::Receive(fd, buf, sizeof buf);
          if (n <= 0) break;
          append(buf, n);
        }
        break;
      }
    }
    if (!open) break;
  }
  if (open) net::Close(fd);
}

int ClosedPort() {
  // Listening and closing at once leaves a port nobody listens on.
  int port = 0;
  const int fd = net::ListenLoopback(&port);
  if (fd >= 0) net::Close(fd);
  return port;
}

}  // namespace kivo::testing
