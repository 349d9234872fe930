#include "server_loop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstring>

#include "address_switch.h"
#include "generated_body.h"

namespace kivo::camsim {
namespace {

constexpr int kTickMs = 100;
constexpr int64_t kReadTimeoutMs = 30'000;     // a client that never finishes its request
constexpr int64_t kHoldTimeoutMs = 600'000;    // "silent": long enough to outlast any client
constexpr int64_t kDrainTimeoutMs = 2'000;     // waiting for the client's close after a reply
constexpr size_t kMaxConnections = 512;
constexpr size_t kMaxControlLine = 4096;

volatile std::sig_atomic_t g_signal = 0;
void OnSignal(int signal) { g_signal = signal; }

std::string GarbageBytes() {
  // Not HTTP: no status line, binary noise and a stray text fragment.
  std::string bytes = "\x01\xfe\x7f\x00\x1b[2J\xff\xfe\x80\x81 ?? not a reply \x00\x00\x13\x37";
  bytes += std::string("\x00\x9c\xc4\xd2\x11\xee", 6);
  return bytes;
}

// When the bytes of one recvmsg(2) arrived: the kernel's stamp when it gave one, else now.
int64_t ReceivedAtUs(msghdr& message) {
  for (cmsghdr* h = CMSG_FIRSTHDR(&message); h != nullptr; h = CMSG_NXTHDR(&message, h)) {
    if (h->cmsg_level == SOL_SOCKET && h->cmsg_type == SCM_TIMESTAMPNS) {
      timespec stamp{};
      std::memcpy(&stamp, CMSG_DATA(h), sizeof stamp);
      return MonotonicUsFromRealtime(stamp);
    }
  }
  return MonotonicUs();
}

}  // namespace

ServerLoop::ServerLoop(ServerHandler& handler, FaultSet& faults, RequestLog& log,
                       std::string camera_address)
    : handler_(handler), faults_(faults), log_(log), camera_address_(std::move(camera_address)) {}

ServerLoop::~ServerLoop() {
  for (Connection& c : connections_) close(c.fd);
  for (Listener& l : listeners_) CloseListener(l);
}

bool ServerLoop::OpenListener(Listener& listener, std::string* error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(listener.port);
  if (inet_pton(AF_INET, listener.address.c_str(), &sa.sin_addr) != 1) {
    *error = "not an IPv4 address: " + listener.address;
    return false;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, 64) != 0) {
    *error = "cannot listen on " + listener.address + ":" + std::to_string(listener.port) + ": " +
             std::strerror(errno);
    close(fd);
    return false;
  }
  socklen_t len = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  listener.port = ntohs(sa.sin_port);
  listener.fd = fd;
  return true;
}

void ServerLoop::CloseListener(Listener& listener) {
  if (listener.fd >= 0) close(listener.fd);
  listener.fd = -1;
}

uint16_t ServerLoop::Listen(Role role, const std::string& address, uint16_t port,
                            std::string* error) {
  Listener listener{role, address, port, -1};
  if (!OpenListener(listener, error)) return 0;
  listeners_.push_back(listener);
  return listener.port;
}

void ServerLoop::DropCameraConnections() {
  // Only marked here: the loop may be walking the list; closed entries go at the end of a round.
  for (Connection& c : connections_) {
    if (IsCamera(c.role) && c.fd >= 0) {
      close(c.fd);
      c.fd = -1;
    }
  }
}

void ServerLoop::ApplyFaults() {
  last_error_.clear();
  if (faults_.unplugged() != unplugged_) {
    unplugged_ = faults_.unplugged();
    DropCameraConnections();
    if (unplugged_) {
      unplugged_by_address_ = CanSwitchAddress(camera_address_) &&
                              UnplugAddress(camera_address_, &last_error_);
    } else if (unplugged_by_address_) {
      PlugAddress(camera_address_, &last_error_);
      unplugged_by_address_ = false;
    }
  }
  // Outside a namespace of our own the address cannot be taken away; closing the listeners is
  // the nearest thing (connections are then refused rather than left unanswered).
  for (Listener& l : listeners_) {
    bool wanted = true;
    if (l.role != Role::kControl) {
      wanted = faults_.For(l.role).mode != FaultMode::kRefuse;
      if (IsCamera(l.role) && unplugged_ && !unplugged_by_address_) wanted = false;
    }
    if (wanted && l.fd < 0) {
      std::string error;
      if (!OpenListener(l, &error)) last_error_ = error;
    } else if (!wanted && l.fd >= 0) {
      CloseListener(l);
    }
  }
}

void ServerLoop::Accept(const Listener& listener) {
  for (;;) {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = accept4(listener.fd, reinterpret_cast<sockaddr*>(&peer), &len,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (connections_.size() >= kMaxConnections) {
      close(fd);
      continue;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // The kernel's receive time of each read: the request log then says when a request reached
    // the camera, not when this loop came round to it (on a busy machine that can be
    // milliseconds later, more than the spread of a rig's commands that the log is read for).
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &one, sizeof one);
    Connection c;
    c.fd = fd;
    c.role = listener.role;
    c.port = listener.port;
    c.deadline = MonotonicMs() + kReadTimeoutMs;
    connections_.push_back(std::move(c));
  }
}

void ServerLoop::StartReply(Connection& c, std::string bytes, int delay_ms) {
  c.out = std::move(bytes);
  c.sent = 0;
  if (delay_ms > 0) {
    c.state = State::kWaiting;
    c.deadline = MonotonicMs() + delay_ms;
  } else {
    c.state = State::kWriting;
    OnWritable(c);  // the whole reply usually goes out in this one send
  }
}

void ServerLoop::StartDraining(Connection& c) {
  // Closing with unread input would reset the connection and could destroy the reply in
  // flight; so the write side is shut and the client's close is awaited.
  shutdown(c.fd, SHUT_WR);
  c.state = State::kDraining;
  c.deadline = MonotonicMs() + kDrainTimeoutMs;
}

void ServerLoop::OnRequest(Connection& c) {
  if (c.role == Role::kControl) {
    const size_t end = c.in.find('\n');
    std::string line = c.in.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    StartReply(c, handler_.HandleControl(line) + "\n", 0);
    return;
  }
  HttpRequest request;
  const ParseStatus status = ParseRequestHead(c.in, &request);
  if (status == ParseStatus::kIncomplete) return;
  if (status != ParseStatus::kComplete) {
    const int code = status == ParseStatus::kTooLarge ? 431 : 400;
    StartReply(c, SerializeResponse(TextResponse(code, "text/plain", "bad request\n")), 0);
    return;
  }
  log_.Write(c.first_bytes_us, c.port, request.method, request.target);
  const Fault fault = faults_.For(c.role);
  switch (fault.mode) {
    case FaultMode::kSilent:
      c.state = State::kHolding;
      c.deadline = MonotonicMs() + kHoldTimeoutMs;
      return;
    case FaultMode::kReset: {
      const linger hard{1, 0};
      setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      close(c.fd);
      c.fd = -1;
      return;
    }
    case FaultMode::kGarbage:
      StartReply(c, GarbageBytes(), 0);
      return;
    default:
      break;
  }
  HttpResponse response = handler_.HandleHttp(c.role, request);
  if (fault.mode == FaultMode::kNoBody) {
    response.body.clear();
    response.generated.reset();
    response.content_length = true;
  }
  if (response.generated && response.send_body) {
    c.generated = response.generated;
    c.generated_at = response.generated->begin;
  }
  StartReply(c, SerializeResponse(response),
             fault.mode == FaultMode::kDelay ? fault.delay_ms : 0);
}

void ServerLoop::OnReadable(Connection& c) {
  char buffer[4096];
  iovec io{buffer, sizeof buffer};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t n = recvmsg(c.fd, &message, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    // The client went away (or finished after our reply).
    close(c.fd);
    c.fd = -1;
    return;
  }
  if (c.state != State::kReading) return;  // input after the request is not looked at
  if (c.in.empty()) c.first_bytes_us = ReceivedAtUs(message);
  c.in.append(buffer, static_cast<size_t>(n));
  if (c.role == Role::kControl) {
    if (c.in.find('\n') != std::string::npos) {
      OnRequest(c);
    } else if (c.in.size() > kMaxControlLine) {
      StartReply(c, "error line too long\n", 0);
    }
    return;
  }
  OnRequest(c);
}

bool ServerLoop::RefillGenerated(Connection& c) {
  constexpr uint64_t kPiece = 256 * 1024;
  if (!c.generated || c.generated_at >= c.generated->end) return false;
  const size_t n = static_cast<size_t>(std::min(kPiece, c.generated->end - c.generated_at));
  c.out.resize(n);
  FillGenerated(*c.generated, c.generated_at, c.out.data(), n);
  c.generated_at += n;
  c.sent = 0;
  return true;
}

size_t ServerLoop::FlakyRoom(const Connection& c) {
  if (c.role == Role::kControl) return SIZE_MAX;
  const Fault& fault = faults_.For(c.role);
  if (fault.mode != FaultMode::kFlaky) return SIZE_MAX;
  if (flaky_next_ == 0) {
    flaky_next_ = flaky_sent_ + FlakyEveryBytes(fault);
  }
  return static_cast<size_t>(flaky_next_ - flaky_sent_);
}

void ServerLoop::DropFlaky(Connection& c) {
  // Every other drop is a reset; the others are an orderly close in the middle of the reply,
  // which a client can only tell from a complete one by counting the bytes.
  if (++flaky_drops_ % 2 == 0) {
    const linger hard{1, 0};
    setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  }
  close(c.fd);
  c.fd = -1;
  flaky_next_ = flaky_sent_ + FlakyEveryBytes(faults_.For(c.role));
}

void ServerLoop::OnWritable(Connection& c) {
  while (c.sent < c.out.size() || RefillGenerated(c)) {
    const size_t room = FlakyRoom(c);
    if (room == 0) {
      DropFlaky(c);
      return;
    }
    const size_t want = std::min(room, c.out.size() - c.sent);
    const ssize_t n = send(c.fd, c.out.data() + c.sent, want, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return;
      close(c.fd);  // the client aborted: that is how the program ends most replies
      c.fd = -1;
      return;
    }
    c.sent += static_cast<size_t>(n);
    if (room != SIZE_MAX) flaky_sent_ += static_cast<uint64_t>(n);
  }
  StartDraining(c);
}

void ServerLoop::CheckDeadline(Connection& c, int64_t now) {
  if (c.fd < 0 || now < c.deadline) return;
  if (c.state == State::kWaiting) {
    c.state = State::kWriting;
    OnWritable(c);
    return;
  }
  close(c.fd);
  c.fd = -1;
}

void ServerLoop::Stop(int code) {
  stop_ = true;
  exit_code_ = code;
}

int ServerLoop::Run() {
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  int64_t next_tick = MonotonicMs();
  std::vector<pollfd> fds;
  std::vector<Connection*> owners;
  while (!stop_ && g_signal == 0) {
    fds.clear();
    owners.clear();
    for (const Listener& l : listeners_) {
      if (l.fd >= 0) {
        fds.push_back({l.fd, POLLIN, 0});
        owners.push_back(nullptr);
      }
    }
    const size_t first_connection = fds.size();
    int64_t wake = next_tick;
    for (Connection& c : connections_) {
      const short events = c.state == State::kWriting ? POLLOUT : POLLIN;
      fds.push_back({c.fd, events, 0});
      owners.push_back(&c);
      if (c.state != State::kWriting) wake = std::min(wake, c.deadline);
    }
    const int timeout = static_cast<int>(std::clamp<int64_t>(wake - MonotonicMs(), 0, kTickMs));
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) return 1;

    // Listeners first; new connections join the next round.
    std::vector<Listener*> accepting;
    for (size_t i = 0, l = 0; i < first_connection; ++i) {
      while (listeners_[l].fd != fds[i].fd) ++l;
      if (ready > 0 && (fds[i].revents & POLLIN)) accepting.push_back(&listeners_[l]);
    }
    for (size_t i = first_connection; i < fds.size(); ++i) {
      Connection& c = *owners[i];
      if (ready <= 0 || c.fd < 0 || fds[i].revents == 0) continue;
      if (fds[i].revents & POLLOUT) {
        OnWritable(c);
      } else {
        OnReadable(c);
      }
    }
    const int64_t now = MonotonicMs();
    for (Connection& c : connections_) CheckDeadline(c, now);
    connections_.remove_if([](const Connection& c) { return c.fd < 0; });
    // A control command may have closed a listener meanwhile.
    for (Listener* l : accepting) {
      if (l->fd >= 0) Accept(*l);
    }
    if (now >= next_tick) {
      handler_.Tick();
      next_tick = now + kTickMs;
    }
  }
  return g_signal != 0 ? 0 : exit_code_;
}

}  // namespace kivo::camsim
