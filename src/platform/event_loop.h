// The message loop every component runs on: posted tasks, descriptor watches, the synchronous
// hand-over from worker threads. Post() and InvokeAndWait() may be called from any thread; all
// other members only from the loop's own thread. Callbacks always run on the loop thread, one at
// a time, and a posted task never runs inside the call that posted it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kivo {

class EventLoop {
 public:
  using Task = std::function<void()>;
  using WatchId = std::uint64_t;
  // Readiness bits for WatchFd / SetWatchEvents and the callback's argument.
  static constexpr unsigned kRead = 1;
  static constexpr unsigned kWrite = 2;
  // Passed to the callback (never requested) when the descriptor reports an error or hang-up.
  static constexpr unsigned kError = 4;
  using WatchCallback = std::function<void(unsigned ready)>;

  virtual ~EventLoop() = default;

  // Queues |task| to run on the loop thread, after everything posted before it. Thread-safe.
  virtual void Post(Task task) = 0;

  // From a worker thread: runs |task| on the loop thread and returns once it has run. Returns
  // false, without running it, when the loop has been shut down or |abandon| (if given) becomes
  // true while waiting — the caller must then not rely on the task having run. Called on the
  // loop thread itself it simply runs the task.
  // Built on Post(), the same for every loop.
  bool InvokeAndWait(Task task, const std::function<bool()>& abandon = nullptr);

  // Wakes every thread blocked in InvokeAndWait so it can re-check its |abandon| predicate.
  void WakeWaiters();

  // Watches |fd| for the readiness bits in |events| (which may be 0: watched but silent).
  // Watches may be added, changed and removed from inside any callback.
  virtual WatchId WatchFd(int fd, unsigned events, WatchCallback callback) = 0;
  virtual void SetWatchEvents(WatchId id, unsigned events) = 0;
  virtual void Unwatch(WatchId id) = 0;

  // Runs what is ready now (posted tasks, ready descriptors) without blocking, then returns.
  virtual void ProcessPendingMessages() = 0;

  // Runs until Quit(); returns the code given to Quit.
  virtual int Run() = 0;
  virtual void Quit(int code = 0) = 0;

  virtual bool IsLoopThread() const = 0;

 protected:
  // Called first thing by an implementation's destructor: every InvokeAndWait still waiting
  // returns false, and later ones fail at once.
  void ShutDownWaiters();

 private:
  std::mutex waiters_mutex_;
  std::condition_variable waiters_;
  bool shut_down_ = false;
};

}  // namespace kivo
