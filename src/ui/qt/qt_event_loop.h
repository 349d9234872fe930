// EventLoop on the Qt application's event loop: posted tasks wait in a queue of their own that one
// queued invocation drains, descriptor watches are QSocketNotifiers. Construct it after the QApplication, on the GUI thread.
// Post/InvokeAndWait are thread-safe; the rest is for the GUI thread only.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/event_loop.h"

namespace kivo {

class QtEventLoop : public EventLoop {
 public:
  QtEventLoop();
  ~QtEventLoop() override;

  void Post(Task task) override;
  WatchId WatchFd(int fd, unsigned events, WatchCallback callback) override;
  void SetWatchEvents(WatchId id, unsigned events) override;
  void Unwatch(WatchId id) override;
  void ProcessPendingMessages() override;
  int Run() override;
  void Quit(int code = 0) override;
  bool IsLoopThread() const override;

 private:
  struct Watch {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> read;  // made when first wanted
    std::unique_ptr<QSocketNotifier> write;
    std::shared_ptr<WatchCallback> callback;
  };
  void Enable(Watch& watch, QSocketNotifier::Type type, bool on);
  void Dispose(std::unique_ptr<QSocketNotifier> notifier);
  // Runs the tasks posted so far (loop thread).
  void DrainPosted();

  std::unique_ptr<QObject> receiver_;
  std::map<WatchId, Watch> watches_;
  WatchId next_watch_id_ = 1;
  QSocketNotifier* dispatching_ = nullptr;  // whose activation runs now (loop thread)
  std::mutex mutex_;
  bool shut_down_ = false;
  // Guarded by mutex_. Only the first task posted into an empty queue asks Qt for a turn: every
  // request wakes the GUI thread's event dispatcher (a write to its wake-up descriptor), and a
  // burst of tasks needs only one.
  std::deque<Task> posted_;
  bool drain_requested_ = false;
};

}  // namespace kivo
