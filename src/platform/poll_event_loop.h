// The plain event loop used by tests, tools and the simulator: on POSIX poll(2) with a self-pipe
// for wake-ups; on Windows the thread's message queue, with a hidden window that receives the
// socket notifications (WSAAsyncSelect) and wake-ups, so it also drives the Win32 windows.
// Construct it on the thread that will run it. Post/InvokeAndWait are thread-safe; the rest is
// for the loop thread only.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/event_loop.h"

namespace kivo {

class PollEventLoop : public EventLoop {
 public:
  PollEventLoop();
  ~PollEventLoop() override;
  PollEventLoop(const PollEventLoop&) = delete;
  PollEventLoop& operator=(const PollEventLoop&) = delete;

  void Post(Task task) override;
  WatchId WatchFd(int fd, unsigned events, WatchCallback callback) override;
  void SetWatchEvents(WatchId id, unsigned events) override;
  void Unwatch(WatchId id) override;
  void ProcessPendingMessages() override;
  int Run() override;
  void Quit(int code = 0) override;
  bool IsLoopThread() const override;

  // Runs the loop until |done| returns true (checked after every dispatch round) or |timeout_ms|
  // passes. Returns whether |done| became true. For tests and tools.
  bool RunUntil(const std::function<bool()>& done, int timeout_ms);
  // Runs the loop for |ms| milliseconds.
  void RunFor(int ms);

 private:
  struct Watch {
    int fd;
    unsigned events;
    std::shared_ptr<WatchCallback> callback;
  };
  // One round: wait up to |timeout_ms| (-1 forever) then dispatch what is ready.
  void RunOnce(int timeout_ms);
  void DrainPosted();
  void Wake();

  // The system's wake-up device: the self-pipe, or the hidden window.
  struct Native;

  std::thread::id owner_;
  std::unique_ptr<Native> native_;
  std::mutex mutex_;
  std::deque<Task> posted_;
  bool shut_down_ = false;
  std::map<WatchId, Watch> watches_;
  WatchId next_watch_id_ = 1;
  bool quit_ = false;
  int quit_code_ = 0;
};

}  // namespace kivo
