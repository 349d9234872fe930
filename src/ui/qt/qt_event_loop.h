// EventLoop on the Qt application's event loop: posted tasks are queued invocations, descriptor
// watches are QSocketNotifiers. Construct it after the QApplication, on the GUI thread.
// Post/InvokeAndWait are thread-safe; the rest is for the GUI thread only.
#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <mutex>

#include "platform/event_loop.h"

class QSocketNotifier;

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
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
    std::shared_ptr<WatchCallback> callback;
  };
  void Dispose(std::unique_ptr<QSocketNotifier> notifier);

  std::unique_ptr<QObject> receiver_;
  std::map<WatchId, Watch> watches_;
  WatchId next_watch_id_ = 1;
  std::mutex mutex_;
  bool shut_down_ = false;
};

}  // namespace kivo
