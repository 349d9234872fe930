#include "platform/timer_thread.h"

#include <windows.h>

#include <mutex>

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

}  // namespace kivo
