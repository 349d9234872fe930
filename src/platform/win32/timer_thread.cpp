#include "platform/timer_thread.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

// Thread names for debuggers arrived with Windows 10 1607; on older systems the call is absent.
using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);

}  // namespace

void PrepareTimerThread(const char* name) {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    auto set_name = reinterpret_cast<SetThreadDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")));
    if (set_name != nullptr) set_name(GetCurrentThread(), win32::Wide(name).c_str());
  }
  // The system timer's default resolution is 15.6 ms; the timers' waits ask for 1 ms while the
  // program runs (the setting is per process since Windows 10 2004, system-wide before).
  static const bool once = [] {
    using TimeBeginPeriodFn = UINT(WINAPI*)(UINT);
    if (HMODULE winmm = LoadLibraryW(L"winmm.dll")) {
      auto begin = reinterpret_cast<TimeBeginPeriodFn>(
          reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
      if (begin != nullptr) begin(1);
    }
    return true;
  }();
  (void)once;
}

void ApplyThreadPriority(ThreadPriorityLevel level) {
  static constexpr int kPriority[] = {
      THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
      THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
      THREAD_PRIORITY_TIME_CRITICAL};
  SetThreadPriority(GetCurrentThread(), kPriority[static_cast<int>(level)]);
}

}  // namespace kivo
