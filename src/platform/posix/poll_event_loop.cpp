#include "platform/poll_event_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace kivo {

struct PollEventLoop::Native {
  int wake_pipe[2] = {-1, -1};
};

PollEventLoop::PollEventLoop()
    : owner_(std::this_thread::get_id()), native_(std::make_unique<Native>()) {
  if (pipe2(native_->wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe2");
}

PollEventLoop::~PollEventLoop() {
  ShutDownWaiters();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shut_down_ = true;
    posted_.clear();
  }
  close(native_->wake_pipe[0]);
  close(native_->wake_pipe[1]);
}

void PollEventLoop::Wake() {
  char byte = 1;
  // A full pipe already guarantees a wake-up, so a failed write is harmless.
  [[maybe_unused]] ssize_t n = write(native_->wake_pipe[1], &byte, 1);
}

void PollEventLoop::Post(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_down_) return;
    posted_.push_back(std::move(task));
    // A queue that already held a task has had its wake-up: the loop drains the whole queue.
    if (posted_.size() > 1) return;
  }
  Wake();
}

EventLoop::WatchId PollEventLoop::WatchFd(int fd, unsigned events, WatchCallback callback) {
  WatchId id = next_watch_id_++;
  watches_[id] = Watch{fd, events, std::make_shared<WatchCallback>(std::move(callback))};
  return id;
}

void PollEventLoop::SetWatchEvents(WatchId id, unsigned events) {
  auto it = watches_.find(id);
  if (it != watches_.end()) it->second.events = events;
}

void PollEventLoop::Unwatch(WatchId id) { watches_.erase(id); }

void PollEventLoop::DrainPosted() {
  // Only what was posted before this round runs now; tasks posted by these tasks wait for the
  // next round, so a task that re-posts itself cannot starve descriptor events.
  std::deque<Task> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(posted_);
  }
  while (!batch.empty()) {
    Task task = std::move(batch.front());
    batch.pop_front();
    task();
  }
}

void PollEventLoop::RunOnce(int timeout_ms) {
  const int* wake_pipe_ = native_->wake_pipe;
  std::vector<pollfd> fds;
  std::vector<WatchId> ids;
  fds.push_back({wake_pipe_[0], POLLIN, 0});
  ids.push_back(0);
  for (const auto& [id, watch] : watches_) {
    short ev = 0;
    if (watch.events & kRead) ev |= POLLIN;
    if (watch.events & kWrite) ev |= POLLOUT;
    if (ev == 0) continue;
    fds.push_back({watch.fd, ev, 0});
    ids.push_back(id);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!posted_.empty()) timeout_ms = 0;
  }
  int n = poll(fds.data(), fds.size(), timeout_ms);
  if (n < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
  if (fds[0].revents & POLLIN) {
    char buf[256];
    while (read(wake_pipe_[0], buf, sizeof buf) > 0) {
    }
  }
  if (n > 0) {
    for (size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      // The watch may have been removed or changed by an earlier callback of this round.
      auto it = watches_.find(ids[i]);
      if (it == watches_.end() || it->second.fd != fds[i].fd) continue;
      unsigned ready = 0;
      if (fds[i].revents & POLLIN) ready |= kRead;
      if (fds[i].revents & POLLOUT) ready |= kWrite;
      if (fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) ready |= kError;
      ready &= it->second.events | kError;
      if (ready == 0) continue;
      auto callback = it->second.callback;  // keeps the callable alive if it unwatches itself
      (*callback)(ready);
    }
  }
  DrainPosted();
}

void PollEventLoop::ProcessPendingMessages() { RunOnce(0); }

}  // namespace kivo
