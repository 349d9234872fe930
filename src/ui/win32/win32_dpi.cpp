#include "ui/win32/win32_dpi.h"

namespace kivo::win32 {
namespace {

template <typename Fn>
Fn User32Function(const char* name) {
  static HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 == nullptr
             ? nullptr
             : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using MetricForDpiFn = int(WINAPI*)(int, UINT);

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int DpiOf(HWND window) {
  static const auto for_window = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (window != nullptr && for_window != nullptr) {
    const UINT dpi = for_window(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int Scale(int design, int dpi) { return MulDiv(design, dpi, kDesignDpi); }

int Unscale(int pixels, int dpi) { return MulDiv(pixels, kDesignDpi, dpi); }

SIZE FrameSize(DWORD style, DWORD ex_style, bool menu, int dpi) {
  static const auto adjust = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, 0, 0};
  if (adjust != nullptr) {
    adjust(&r, style, menu, ex_style, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&r, style, menu, ex_style);
  }
  return {r.right - r.left, r.bottom - r.top};
}

int SystemMetric(int index, int dpi) {
  static const auto for_dpi = User32Function<MetricForDpiFn>("GetSystemMetricsForDpi");
  return for_dpi != nullptr ? for_dpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

}  // namespace kivo::win32
