// The simulator's network side: listening sockets for the camera's command and media ports, the
// maker's service and the control channel, one poll(2) loop over them, and the connection-level
// faults (silent, delay, reset, refuse, garbage, no body, unplugged). What a request means is the
// handler's business. Runs on the thread that calls Run(); nothing here is thread-safe.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "faults.h"
#include "http_message.h"
#include "request_log.h"

namespace kivo::camsim {

class ServerHandler {
 public:
  virtual ~ServerHandler() = default;
  // A complete request to one of the HTTP servers; called during Run().
  virtual HttpResponse HandleHttp(Role role, const HttpRequest& request) = 0;
  // One line of the control channel; the reply line is sent back.
  virtual std::string HandleControl(std::string_view line) = 0;
  // Called about ten times a second, so that time-driven behaviour moves on.
  virtual void Tick() = 0;
};

class ServerLoop {
 public:
  ServerLoop(ServerHandler& handler, FaultSet& faults, RequestLog& log,
             std::string camera_address);
  ~ServerLoop();
  ServerLoop(const ServerLoop&) = delete;
  ServerLoop& operator=(const ServerLoop&) = delete;

  // Opens a listening socket; port 0 picks a free one. Returns the bound port, or 0 with
  // |error| filled.
  uint16_t Listen(Role role, const std::string& address, uint16_t port, std::string* error);
  // Brings listeners and connections in line with the fault set after it changed.
  void ApplyFaults();
  // Serves until Stop() or SIGINT/SIGTERM; returns the exit code.
  int Run();
  void Stop(int code);
  // Non-empty when switching the camera address failed; the text says why.
  const std::string& last_error() const { return last_error_; }

 private:
  enum class State { kReading, kHolding, kWaiting, kWriting, kDraining };
  struct Listener {
    Role role;
    std::string address;
    uint16_t port = 0;
    int fd = -1;
  };
  struct Connection {
    int fd = -1;
    Role role = Role::kCommand;
    uint16_t port = 0;
    State state = State::kReading;
    std::string in;
    std::string out;
    size_t sent = 0;
    int64_t deadline = 0;
    int64_t first_bytes_us = 0;  // when the request's first bytes arrived (MonotonicUs)
    std::optional<GeneratedBody> generated;  // streamed after |out|
    uint64_t generated_at = 0;
  };

  bool OpenListener(Listener& listener, std::string* error);
  void CloseListener(Listener& listener);
  void Accept(const Listener& listener);
  void OnReadable(Connection& c);
  void OnWritable(Connection& c);
  void OnRequest(Connection& c);
  void StartReply(Connection& c, std::string bytes, int delay_ms);
  void StartDraining(Connection& c);
  // Next piece of a generated body into c.out; false when the body is complete.
  bool RefillGenerated(Connection& c);
  // "flaky": how many more bytes may go out before the link drops (SIZE_MAX when not flaky).
  size_t FlakyRoom(const Connection& c);
  void DropFlaky(Connection& c);
  void CheckDeadline(Connection& c, int64_t now);
  void DropCameraConnections();
  static bool IsCamera(Role role) { return role == Role::kCommand || role == Role::kMedia; }

  ServerHandler& handler_;
  FaultSet& faults_;
  RequestLog& log_;
  std::string camera_address_;
  std::vector<Listener> listeners_;
  std::list<Connection> connections_;
  bool unplugged_ = false;
  bool unplugged_by_address_ = false;
  bool stop_ = false;
  int exit_code_ = 0;
  std::string last_error_;
  uint64_t flaky_sent_ = 0;  // bytes sent by servers under the "flaky" fault
  uint64_t flaky_next_ = 0;  // where the next drop happens; 0 = not armed yet
  int flaky_drops_ = 0;
};

}  // namespace kivo::camsim
