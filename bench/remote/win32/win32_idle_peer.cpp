// A bare Win32 window whose only work is a clock label updated every second: what any Windows
// desktop program with a ticking clock costs at rest. The at-rest benchmark measures kivo.exe
// against it under Wine. No Kivo code is linked in.
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kClockTimer = 1;
HWND g_label = nullptr;

void ShowTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t text[16];
  std::swprintf(text, 16, L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
  SetWindowTextW(g_label, text);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      g_label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24,
                                window, nullptr, nullptr, nullptr);
      ShowTime();
      SetTimer(window, kClockTimer, 1000, nullptr);
      return 0;
    case WM_TIMER:
      if (wparam == kClockTimer) ShowTime();
      return 0;
    case WM_DESTROY:
      KillTimer(window, kClockTimer);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = L"KivoIdlePeer";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, L"KivoIdlePeer", L"Idle peer", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 434, 245, nullptr, nullptr,
                                instance, nullptr);
  ShowWindow(window, SW_SHOWDEFAULT);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
