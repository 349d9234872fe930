#include "platform/timer_thread.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <system_error>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

// Thread names for debuggers arrived with Windows 10 1607; on older systems the call is absent.
using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
using TimePeriodFn = UINT(WINAPI*)(UINT);

TimePeriodFn WinmmFunction(const char* name) {
  static HMODULE winmm = LoadLibraryW(L"winmm.dll");
  if (winmm == nullptr) return nullptr;
  return reinterpret_cast<TimePeriodFn>(reinterpret_cast<void*>(GetProcAddress(winmm, name)));
}

// 1 ms timer resolution for as long as any thread holds one of these.
class PreciseTimerUse {
 public:
  PreciseTimerUse() {
    std::lock_guard<std::mutex> lock(Mutex());
    if (Users()++ == 0) Call("timeBeginPeriod");
  }
  ~PreciseTimerUse() {
    std::lock_guard<std::mutex> lock(Mutex());
    if (--Users() == 0) Call("timeEndPeriod");
  }
  PreciseTimerUse(const PreciseTimerUse&) = delete;
  PreciseTimerUse& operator=(const PreciseTimerUse&) = delete;

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static int& Users() {
    static int users = 0;
    return users;
  }
  static void Call(const char* name) {
    if (TimePeriodFn fn = WinmmFunction(name)) fn(1);
  }
};

}  // namespace

void PrepareTimerThread(const char* name) {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    auto set_name = reinterpret_cast<SetThreadDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")));
    if (set_name != nullptr) set_name(GetCurrentThread(), win32::Wide(name).c_str());
  }
  // The system timer's default resolution is 15.6 ms; the timers' waits ask for 1 ms while a
  // timer thread lives (per process since Windows 10 2004, system-wide before) and hand it back
  // when the last one ends.
  thread_local PreciseTimerUse use;
  (void)use;
}

void ApplyThreadPriority(ThreadPriorityLevel level) {
  static constexpr int kPriority[] = {
      THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
      THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
      THREAD_PRIORITY_TIME_CRITICAL};
  SetThreadPriority(GetCurrentThread(), kPriority[static_cast<int>(level)]);
}

namespace {

HANDLE Handle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

// High-resolution waitable timers (Windows 10 1803) keep the 1 ms precision without the
// system timer's resolution; older systems fall back to an ordinary synchronization timer.
HANDLE CreateSleepTimer() {
  constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS);
  if (timer == nullptr) timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  return timer;
}

}  // namespace

TimerSleep::TimerSleep() {
  HANDLE timer = CreateSleepTimer();
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // auto-reset
  if (timer == nullptr || wake == nullptr) {
    const DWORD error = GetLastError();
    if (timer != nullptr) CloseHandle(timer);
    if (wake != nullptr) CloseHandle(wake);
    throw std::system_error(static_cast<int>(error), std::system_category(), "timer");
  }
  timer_ = reinterpret_cast<std::intptr_t>(timer);
  wake_ = reinterpret_cast<std::intptr_t>(wake);
}

TimerSleep::~TimerSleep() {
  CloseHandle(Handle(timer_));
  CloseHandle(Handle(wake_));
}

void TimerSleep::SetDeadline(Clock::time_point deadline) {
  if (deadline == Clock::time_point::max()) {
    // A timer that fired and was not waited for stays signalled; the waiter then returns early
    // and finds nothing due, which it is prepared for.
    CancelWaitableTimer(Handle(timer_));
    return;
  }
  // Waitable timers take absolute times on the wall clock, which can be set; a relative time
  // (negative, in 100 ns units) from the monotonic clock cannot jump.
  const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
  LARGE_INTEGER due;
  due.QuadPart = -std::max<long long>(1, left.count() / 100);
  SetWaitableTimer(Handle(timer_), &due, 0, nullptr, nullptr, FALSE);
}

void TimerSleep::Wake() { SetEvent(Handle(wake_)); }

void TimerSleep::Wait() {
  const HANDLE handles[2] = {Handle(timer_), Handle(wake_)};
  WaitForMultipleObjects(2, handles, FALSE, INFINITE);
}

}  // namespace kivo
