#include "platform/event_loop.h"

#include <chrono>
#include <memory>

namespace kivo {

bool EventLoop::InvokeAndWait(Task task, const std::function<bool()>& abandon) {
  if (IsLoopThread()) {
    task();
    return true;
  }
  struct Hand {
    bool done = false;
    bool cancelled = false;
  };
  auto hand = std::make_shared<Hand>();
  {
    std::lock_guard<std::mutex> lock(waiters_mutex_);
    if (shut_down_) return false;
  }
  Post([this, task = std::move(task), hand] {
    {
      std::lock_guard<std::mutex> lock(waiters_mutex_);
      if (hand->cancelled) return;
    }
    task();
    {
      std::lock_guard<std::mutex> lock(waiters_mutex_);
      hand->done = true;
    }
    waiters_.notify_all();
  });
  std::unique_lock<std::mutex> lock(waiters_mutex_);
  while (!hand->done) {
    if (shut_down_ || (abandon && abandon())) {
      hand->cancelled = true;
      return false;
    }
    // The timed wait is a safety net; WakeWaiters and the task's completion notify.
    waiters_.wait_for(lock, std::chrono::milliseconds(100));
  }
  return true;
}

void EventLoop::WakeWaiters() {
  // Taking the lock orders this wake-up after a waiter's check of its predicate, so the
  // wake-up cannot fall between that check and the wait.
  std::lock_guard<std::mutex> lock(waiters_mutex_);
  waiters_.notify_all();
}

void EventLoop::ShutDownWaiters() {
  {
    std::lock_guard<std::mutex> lock(waiters_mutex_);
    shut_down_ = true;
  }
  waiters_.notify_all();
}

}  // namespace kivo
