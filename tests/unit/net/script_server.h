// A scripted TCP server on 127.0.0.1 (ephemeral port) for the network tests: each accepted
// connection plays one script — read the request, send exact bytes in chosen pieces, pause,
// close, reset or stay silent. Runs on its own thread; the test thread runs the client's loop.
#pragma once

#include <atomic>
#include <memory>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kivo::testing {

class Script {
 public:
  enum class Kind {
    kReadRequest, kReadBytes, kSend, kPause, kClose, kShutdownWrite, kReset, kSilent, kGate
  };
  struct Step {
    Kind kind;
    std::string bytes;
    std::vector<std::size_t> pieces;  // kSend: sizes of the pieces (rest in one)
    int ms = 0;                       // kSend: pause between pieces; kPause: duration
    std::size_t count = 0;            // kReadBytes
    std::shared_ptr<const std::atomic<bool>> gate = nullptr;  // kGate
  };

  // Reads up to the blank line ending the request header (plus a body of Content-Length bytes).
  Script& ReadRequest();
  // Reads exactly |count| bytes (or until the peer closes).
  Script& ReadBytes(std::size_t count);
  Script& Send(const std::string& bytes);
  // Sends |bytes| cut into |pieces| (the remainder goes last), pausing |ms| between pieces.
  Script& SendPieces(const std::string& bytes, std::vector<std::size_t> pieces, int ms = 5);
  Script& Pause(int ms);
  Script& Close();
  Script& ShutdownWrite();
  // Closes with SO_LINGER 0, so the peer sees a reset.
  Script& Reset();
  // Keeps the connection open, sending nothing, until the peer closes or the server stops.
  Script& Silent();
  // Waits until |gate| is set (or the server stops): the test decides when the answer may go.
  Script& Gate(std::shared_ptr<const std::atomic<bool>> gate);

  const std::vector<Step>& steps() const { return steps_; }

 private:
  std::vector<Step> steps_;
};

class ScriptServer {
 public:
  // Listens at once; Serve() starts playing scripts.
  ScriptServer();
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  int port() const { return port_; }
  std::string Url(const std::string& path = "/") const;
  // Plays scripts[i] on the i-th accepted connection, then keeps the listener open.
  void Serve(std::vector<Script> scripts);
  void Stop();

  // What each connection sent (request header and body, or the bytes of ReadBytes).
  std::vector<std::string> Received() const;
  int Accepted() const { return accepted_.load(); }
  // Number of connections whose script has run to its end.
  int Finished() const { return finished_.load(); }

 private:
  void Run(std::vector<Script> scripts);
  void Play(int fd, const Script& script, std::size_t index);
  bool WaitReadable(int fd, int timeout_ms);

  int listen_fd_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::atomic<int> finished_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> received_;
};

// A port on 127.0.0.1 with nobody listening (bound once, then released).
int ClosedPort();

}  // namespace kivo::testing
