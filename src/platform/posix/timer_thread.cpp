#include "platform/timer_thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

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

}  // namespace kivo
