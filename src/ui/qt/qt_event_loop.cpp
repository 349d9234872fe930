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
    posted_.clear();
  }
  watches_.clear();
}

void QtEventLoop::Post(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_down_) return;
    posted_.push_back(std::move(task));
    if (drain_requested_) return;
    drain_requested_ = true;
  }
  QMetaObject::invokeMethod(
      receiver_.get(), [this] { DrainPosted(); }, Qt::QueuedConnection);
}

void QtEventLoop::DrainPosted() {
  // What was posted before this turn runs now, in order; tasks that these post wait for the next
  // turn, so a task that re-posts itself cannot starve the window's own events.
  std::deque<Task> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(posted_);
    drain_requested_ = false;
  }
  while (!batch.empty()) {
    Task task = std::move(batch.front());
    batch.pop_front();
    try {
      task();
    } catch (...) {
      // The rest of the batch still runs, first thing on the next turn, before anything posted
      // since.
      {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = batch.rbegin(); it != batch.rend(); ++it) posted_.push_front(std::move(*it));
        if (!posted_.empty() && !drain_requested_) {
          drain_requested_ = true;
          QMetaObject::invokeMethod(
              receiver_.get(), [this] { DrainPosted(); }, Qt::QueuedConnection);
        }
      }
      throw;
    }
  }
}

EventLoop::WatchId QtEventLoop::WatchFd(int fd, unsigned events, WatchCallback callback) {
  WatchId id = next_watch_id_++;
  Watch& watch = watches_[id];
  watch.fd = fd;
  watch.callback = std::make_shared<WatchCallback>(std::move(callback));
  SetWatchEvents(id, events);
  return id;
}

void QtEventLoop::Enable(Watch& watch, QSocketNotifier::Type type, bool on) {
  std::unique_ptr<QSocketNotifier>& notifier =
      type == QSocketNotifier::Read ? watch.read : watch.write;
  // Every change of a notifier's state re-registers it with the event dispatcher, which with
  // GLib also wakes the dispatcher's own loop: a notifier is made only when first wanted, and
  // switched only when its state really changes.
  if (!notifier) {
    if (!on) return;
    notifier = std::make_unique<QSocketNotifier>(type);
    notifier->setSocket(watch.fd);
    std::weak_ptr<WatchCallback> weak = watch.callback;
    QSocketNotifier* raw = notifier.get();
    const unsigned bit = type == QSocketNotifier::Read ? kRead : kWrite;
    QObject::connect(raw, &QSocketNotifier::activated, [this, weak, raw, bit] {
      auto callback = weak.lock();
      if (!callback) return;
      QSocketNotifier* outer = dispatching_;
      dispatching_ = raw;
      try {
        (*callback)(bit);
      } catch (...) {
        dispatching_ = outer;
        throw;
      }
      dispatching_ = outer;
    });
  }
  if (notifier->isEnabled() != on) notifier->setEnabled(on);
}

void QtEventLoop::SetWatchEvents(WatchId id, unsigned events) {
  auto it = watches_.find(id);
  if (it == watches_.end()) return;
  Enable(it->second, QSocketNotifier::Read, events & kRead);
  Enable(it->second, QSocketNotifier::Write, events & kWrite);
}

void QtEventLoop::Dispose(std::unique_ptr<QSocketNotifier> notifier) {
  if (!notifier) return;
  // Switch it off at once (the descriptor may be closed next). The notifier whose signal is
  // being delivered right now goes when Qt is done with it; any other goes now, which spares
  // the dispatcher a posted deletion (and its wake-up).
  if (notifier->isEnabled()) notifier->setEnabled(false);
  if (notifier.get() == dispatching_) {
    notifier.release()->deleteLater();
  }
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
