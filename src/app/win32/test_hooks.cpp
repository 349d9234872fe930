// kivo.exe's test options at work: one-shot timers, keys typed into the window, dialogs
// closed, and where windows, controls and hints are on the screen, told on standard error
// (which a user never sees). UI thread only.
#include "app/win32/test_hooks.h"

#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <map>

#include "platform/win32/wide_text.h"

namespace kivo::app {
namespace {

// One-shot thread timers; the loop's DispatchMessage runs their procedure.
std::map<UINT_PTR, std::function<void()>>& Pending() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Pending().find(id);
  if (it == Pending().end()) return;
  auto task = std::move(it->second);
  Pending().erase(it);
  task();
}

}  // namespace

void After(int ms, std::function<void()> task) {
  const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), &OnTimer);
  if (id != 0) Pending()[id] = std::move(task);
}

// Types the blank-separated |keys| (Tab, Space, Enter, Escape, Down; Alt+LETTER opens a menu)
// into the focused control from |ms| on, one key every 400 ms, each as a key press and release
// through the thread's queue (as the keyboard's would come), and logs where the focus is after
// each.
void TypeKeys(const Win32MainWindow& window, const std::string& keys, int ms) {
  static const std::map<std::string, WPARAM> kKeys = {
      {"Tab", VK_TAB},       {"Space", VK_SPACE}, {"Enter", VK_RETURN},
      {"Escape", VK_ESCAPE}, {"Down", VK_DOWN}};
  size_t start = 0;
  for (int n = 0; start < keys.size(); ++n) {
    size_t end = keys.find(' ', start);
    if (end == std::string::npos) end = keys.size();
    const std::string name = keys.substr(start, end - start);
    auto key = kKeys.find(name);
    start = end + 1;
    // Alt+LETTER opens a menu by its letter; Alt alone selects the menu bar, as pressing and
    // releasing Alt does.
    if (name == "Alt" || (name.size() == 5 && name.rfind("Alt+", 0) == 0)) {
      const WPARAM letter = name == "Alt" ? 0 : static_cast<WPARAM>(std::tolower(name[4]));
      After(ms + 400 * n, [&window, letter] {
        PostMessageW(window.Handle(), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(letter));
      });
      continue;
    }
    if (key == kKeys.end()) continue;
    const WPARAM code = key->second;
    After(ms + 400 * n, [&window, code] {
      // Inside an open menu the menu takes the keys, whatever window they are posted to.
      HWND target = GetFocus() != nullptr ? GetFocus() : window.Handle();
      const UINT scan = MapVirtualKeyW(static_cast<UINT>(code), MAPVK_VK_TO_VSC);
      PostMessageW(target, WM_KEYDOWN, code, 1 | (scan << 16));
      PostMessageW(target, WM_KEYUP, code, 1 | (scan << 16) | 0xC0000000u);
    });
    After(ms + 400 * n + 200, [&window] {
      std::fprintf(stderr, "kivo: focus on %s\n", window.FocusedName().c_str());
    });
  }
}


// Closes the message boxes and dialogs this thread shows, as their close box would.
void DismissDialogs() {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window)) {
          std::fprintf(stderr, "kivo: dismissing a dialog\n");
          PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        }
        return TRUE;
      },
      0);
}


void LogPlaces(const std::string& name, const Win32MainWindow& shown) {
  auto log = [&name](const std::string& what, const RECT& r) {
    std::fprintf(stderr, "kivo: rect %s %s %ld %ld %ld %ld\n", name.c_str(), what.c_str(),
                 r.left, r.top, r.right, r.bottom);
  };
  RECT r;
  GetWindowRect(shown.Handle(), &r);
  log(name, r);
  for (const auto& [control, place] : shown.ControlRects()) log(control, place);
  // And any hint showing: none should until the user moves the pointer.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t kind[32] = {};
        GetClassNameW(window, kind, 32);
        if (lstrcmpiW(kind, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(window)) {
          wchar_t text[256] = {};
          GetWindowTextW(window, text, 256);
          std::fprintf(stderr, "kivo: hint showing: %s\n", win32::Utf8(text).c_str());
        }
        return TRUE;
      },
      0);
}

}  // namespace kivo::app
