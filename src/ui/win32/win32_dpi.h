// DPI for the Win32 renderer: the windows are designed in 96-dpi pixels and scaled by the DPI
// of the monitor they are on. Per-monitor functions arrived with Windows 10 1607 and are looked
// up at run time; before that the system DPI (LOGPIXELSY of the screen) holds everywhere.
// UI thread only.
#pragma once

#include <windows.h>

namespace kivo::win32 {

inline constexpr int kDesignDpi = 96;

// The DPI of |window|, or of the system when |window| is null or the system cannot say.
int DpiOf(HWND window);
// |design| 96-dpi pixels at |dpi|, rounded to the nearest pixel; and back.
int Scale(int design, int dpi);
int Unscale(int pixels, int dpi);
// What the frame (borders, caption and one line of menu bar when |menu|) adds to a client
// area at |dpi|.
SIZE FrameSize(DWORD style, DWORD ex_style, bool menu, int dpi);
// GetSystemMetrics at |dpi| where the system can say.
int SystemMetric(int index, int dpi);

}  // namespace kivo::win32
