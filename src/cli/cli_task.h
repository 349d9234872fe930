// Task<T>: a kivo-cli command written as straight-line code that waits for the camera with
// co_await. A task starts when it is first awaited (or Start()ed), runs on the loop thread
// until it waits, and is resumed from the loop when what it waits for has come; awaiting a
// finished task gives its value or throws what it threw. Many tasks share one loop, which is
// how one command runs on every camera of a rig at once. Loop thread only.
#pragma once

#include <coroutine>
#include <exception>
#include <optional>
#include <utility>

namespace kivo {

namespace task_detail {

struct PromiseBase {
  std::coroutine_handle<> continuation;
  std::exception_ptr error;

  std::suspend_always initial_suspend() noexcept { return {}; }
  struct FinalAwait {
    bool await_ready() noexcept { return false; }
    template <typename P>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<P> done) noexcept {
      std::coroutine_handle<> next = done.promise().continuation;
      return next ? next : std::noop_coroutine();
    }
    void await_resume() noexcept {}
  };
  FinalAwait final_suspend() noexcept { return {}; }
  void unhandled_exception() { error = std::current_exception(); }
};

template <typename T>
struct Promise : PromiseBase {
  std::optional<T> value;
  void return_value(T v) { value = std::move(v); }
  T Take() {
    if (error) std::rethrow_exception(error);
    return std::move(*value);
  }
};

template <>
struct Promise<void> : PromiseBase {
  void return_void() {}
  void Take() {
    if (error) std::rethrow_exception(error);
  }
};

}  // namespace task_detail

template <typename T = void>
class [[nodiscard]] Task {
 public:
  struct promise_type : task_detail::Promise<T> {
    Task get_return_object() { return Task(Handle::from_promise(*this)); }
  };
  using Handle = std::coroutine_handle<promise_type>;

  Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Task& operator=(Task&& other) noexcept {
    if (this != &other) {
      if (handle_) handle_.destroy();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;
  ~Task() {
    if (handle_) handle_.destroy();
  }

  // Awaiting runs the task until it waits; the awaiter goes on when the task has finished.
  bool await_ready() const noexcept { return false; }
  std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
    handle_.promise().continuation = awaiting;
    return handle_;
  }
  T await_resume() { return handle_.promise().Take(); }

  // For the task at the top: runs it until it first waits.
  void Start() { handle_.resume(); }
  bool Done() const { return handle_.done(); }
  // The value of a finished task, or what it threw.
  T Result() { return handle_.promise().Take(); }

 private:
  explicit Task(Handle handle) : handle_(handle) {}
  Handle handle_;
};

}  // namespace kivo
