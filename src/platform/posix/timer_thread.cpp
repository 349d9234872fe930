#include "platform/timer_thread.h"

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace kivo {

void PrepareTimerThread(const char* name) {
  pthread_setname_np(pthread_self(), name);
  // The default 50 µs slack is harmless, but asking for none keeps tick lateness at the
  // scheduler's own latency.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void ApplyThreadPriority(ThreadPriorityLevel level) {
  // Linux keeps a nice value per thread; the levels map onto nice values, and idle onto the
  // scheduler's own idle class, which runs only when nothing else wants the processor.
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -15};
  const pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  sched_param param{};
  param.sched_priority = 0;
  if (level == ThreadPriorityLevel::kIdle) {
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0) return;
  } else {
    int policy = SCHED_OTHER;
    sched_param current{};
    if (pthread_getschedparam(pthread_self(), &policy, &current) == 0 && policy == SCHED_IDLE) {
      pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);  // may be refused; ignored
    }
  }
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kNice[static_cast<int>(level)]);
}

TimerSleep::TimerSleep() {
  // steady_clock is CLOCK_MONOTONIC here, so its time points are the timer's absolute times.
  timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (timer_ < 0 || wake_ < 0) {
    const int error = errno;
    if (timer_ >= 0) close(static_cast<int>(timer_));
    if (wake_ >= 0) close(static_cast<int>(wake_));
    throw std::system_error(error, std::generic_category(), "timer");
  }
}

TimerSleep::~TimerSleep() {
  close(static_cast<int>(timer_));
  close(static_cast<int>(wake_));
}

void TimerSleep::SetDeadline(Clock::time_point deadline) {
  itimerspec spec{};  // all zero: disarmed
  if (deadline != Clock::time_point::max()) {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    // An absolute time of zero would disarm; anything in the past fires at once.
    const std::int64_t at = ns > 0 ? ns : 1;
    spec.it_value.tv_sec = static_cast<time_t>(at / 1000000000);
    spec.it_value.tv_nsec = static_cast<long>(at % 1000000000);
  }
  timerfd_settime(static_cast<int>(timer_), TFD_TIMER_ABSTIME, &spec, nullptr);
}

void TimerSleep::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(static_cast<int>(wake_), &one, sizeof one);
}

void TimerSleep::Wait() {
  pollfd fds[2] = {{static_cast<int>(timer_), POLLIN, 0}, {static_cast<int>(wake_), POLLIN, 0}};
  if (poll(fds, 2, -1) <= 0) return;  // a signal: the caller looks again
  std::uint64_t count = 0;
  if (fds[0].revents != 0) {
    [[maybe_unused]] const ssize_t n = read(static_cast<int>(timer_), &count, sizeof count);
  }
  if (fds[1].revents != 0) {
    [[maybe_unused]] const ssize_t n = read(static_cast<int>(wake_), &count, sizeof count);
  }
}

}  // namespace kivo
