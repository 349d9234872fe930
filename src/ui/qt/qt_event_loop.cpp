#include "ui/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>

namespace kivo {

QtEventLoop::QtEventLoop() : receiver_(std::make_unique<QObject>()) {}

QtEventLoop::~QtEventLoop() {
  ShutDownWaiters();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shut_down_ = true;
  }
  watches_.clear();
}

void QtEventLoop::Post(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_down_) return;
  }
  // Queued invocations on one receiver run in the order they were posted.
  QMetaObject::invokeMethod(receiver_.get(), std::move(task), Qt::QueuedConnection);
}

EventLoop::WatchId QtEventLoop::WatchFd(int fd, unsigned events, WatchCallback callback) {
  WatchId id = next_watch_id_++;
  Watch& watch = watches_[id];
  watch.callback = std::make_shared<WatchCallback>(std::move(callback));
  watch.read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  watch.write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
  std::weak_ptr<WatchCallback> weak = watch.callback;
  QObject::connect(watch.read.get(), &QSocketNotifier::activated, [weak] {
    if (auto callback = weak.lock()) (*callback)(kRead);
  });
  QObject::connect(watch.write.get(), &QSocketNotifier::activated, [weak] {
    if (auto callback = weak.lock()) (*callback)(kWrite);
  });
  watch.read->setEnabled(events & kRead);
  watch.write->setEnabled(events & kWrite);
  return id;
}

void QtEventLoop::SetWatchEvents(WatchId id, unsigned events) {
  auto it = watches_.find(id);
  if (it == watches_.end()) return;
  it->second.read->setEnabled(events & kRead);
  it->second.write->setEnabled(events & kWrite);
}

void QtEventLoop::Dispose(std::unique_ptr<QSocketNotifier> notifier) {
  // The notifier may be the one whose signal is being delivered right now: switch it off at
  // once (the descriptor may be closed next) and let Qt delete it when it is safe.
  notifier->setEnabled(false);
  notifier.release()->deleteLater();
}

void QtEventLoop::Unwatch(WatchId id) {
  auto it = watches_.find(id);
  if (it == watches_.end()) return;
  Dispose(std::move(it->second.read));
  Dispose(std::move(it->second.write));
  watches_.erase(it);
}

void QtEventLoop::ProcessPendingMessages() { QCoreApplication::processEvents(); }

int QtEventLoop::Run() { return QCoreApplication::exec(); }

void QtEventLoop::Quit(int code) {
  QMetaObject::invokeMethod(
      receiver_.get(), [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

bool QtEventLoop::IsLoopThread() const {
  return QThread::currentThread() == receiver_->thread();
}

}  // namespace kivo
