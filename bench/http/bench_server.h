// The benchmark's HTTP/1.0 server on 127.0.0.1 (ephemeral port), one thread, one connection at a
// time: "/big" answers a body of the configured size, anything else a short status-like record.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

namespace kivo::bench {

class BenchServer {
 public:
  explicit BenchServer(std::size_t big_size);
  ~BenchServer();
  std::string Url(const std::string& path) const;

 private:
  void Run();
  void Serve(int fd);

  std::size_t big_size_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kivo::bench
