// The Win32 main window's scaling, keyboard and assistive-technology side: 96-dpi design
// units to the window's DPI (at creation and on WM_DPICHANGED), Tab / Shift+Tab / Enter among
// the buttons, accessible names, menu hints on the status bar, and list boxes that scroll
// sideways to their widest line. UI thread only.
#include "ui/win32/win32_main_window.h"

#include <commctrl.h>

#include "platform/win32/wide_text.h"
#include "ui/window_fit.h"
#include "ui/win32/win32_accessible.h"
#include "ui/win32/win32_dpi.h"

namespace kivo {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kDesignMenuBar = 20;  // the design's menu bar, part of the form's height

bool IsButton(HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  return lstrcmpiW(name, L"BUTTON") == 0;
}

}  // namespace

int Win32MainWindow::Px(int design) const { return win32::Scale(design, dpi_); }

// The form's height counts the design's menu bar; the frame counts the real one (taller at a
// higher DPI, with the menu font of that DPI).
RECT Win32MainWindow::WindowRectFor(const Bounds& b) const {
  const SIZE frame = win32::FrameSize(kWindowStyle, 0, true, dpi_);
  const int width = Px(b.width) + frame.cx;
  const int height = Px(b.height - kDesignMenuBar) + frame.cy;
  return {b.left, b.top, b.left + width, b.top + height};
}

Bounds Win32MainWindow::FormBoundsOf(const RECT& window) const {
  const SIZE frame = win32::FrameSize(kWindowStyle, 0, true, dpi_);
  return {window.left, window.top,
          win32::Unscale(window.right - window.left - frame.cx, dpi_),
          win32::Unscale(window.bottom - window.top - frame.cy, dpi_) + kDesignMenuBar};
}

void Win32MainWindow::PlaceControl(Component& c) {
  auto it = controls_.find(&c);
  if (it == controls_.end() || it->second == status_bar_) return;
  if (follows_edges_ && c.Parent() == &form_) {
    FollowEdges();
    return;
  }
  const Bounds& b = c.GetBounds();
  MoveWindow(it->second, Px(b.left), Px(b.top), Px(b.width), Px(b.height), TRUE);
  if (c.Kind() == ComponentKind::kFileList) FitListColumns(c, it->second);
}

// A window keeps the minimum size its form asks for. One that asks for none (Browse and
// Download, Network Status) lets its controls follow its right and bottom edges instead, down
// to the smallest size at which they still stand apart.
void Win32MainWindow::SetUpFitting() {
  min_width_ = form_.min_width;
  min_height_ = form_.min_height;
  if (min_width_ > 0 || min_height_ > 0) return;
  follows_edges_ = true;
  design_ = form_.GetBounds();
  std::vector<Bounds> design;
  for (const auto& [c, control] : controls_) {
    if (c->Parent() == &form_ && control != status_bar_) design.push_back(c->GetBounds());
  }
  const Bounds smallest = SmallestFollowingParent(design, design_.width, design_.height);
  min_width_ = smallest.width;
  min_height_ = smallest.height;
}

// |window| (outer edges) inside the work area of the monitor it is on, or of the nearest one
// when it is on none (a place saved on a monitor that has gone): shrunk to it, never below the
// window's minimum, and moved onto it.
RECT Win32MainWindow::Fitted(const RECT& window) const {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &monitor))
    return window;
  const RECT smallest = WindowRectFor({0, 0, min_width_, min_height_});
  const RECT& work = monitor.rcWork;
  const ScreenRect fitted = FitToWorkArea(
      {window.left, window.top, window.right, window.bottom},
      {work.left, work.top, work.right, work.bottom},
      min_width_ > 0 ? smallest.right - smallest.left : 0,
      min_height_ > 0 ? smallest.bottom - smallest.top : 0);
  return {fitted.left, fitted.top, fitted.right, fitted.bottom};
}

void Win32MainWindow::FollowEdges() {
  if (window_ == nullptr) return;
  RECT r;
  GetWindowRect(window_, &r);
  const Bounds now = FormBoundsOf(r);
  std::vector<std::pair<Component*, HWND>> shown;
  std::vector<Bounds> design;
  for (const auto& [c, control] : controls_) {
    if (c->Parent() != &form_ || control == status_bar_) continue;
    shown.emplace_back(const_cast<Component*>(c), control);
    design.push_back(c->GetBounds());
  }
  const std::vector<Bounds> placed =
      FollowParent(design, design_.width, design_.height, now.width, now.height);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const Bounds& b = placed[i];
    MoveWindow(shown[i].second, Px(b.left), Px(b.top), Px(b.width), Px(b.height), TRUE);
    if (shown[i].first->Kind() == ComponentKind::kFileList)
      FitListColumns(*shown[i].first, shown[i].second);
  }
}

// The file list's columns fill its rows, the list's width less a vertical scroll bar (there or
// to come), so no sideways scroll bar shows while they fit.
void Win32MainWindow::FitListColumns(Component& c, HWND list) {
  RECT client;
  GetClientRect(list, &client);
  int width = client.right - client.left;
  if (!(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL))
    width -= win32::SystemMetric(SM_CXVSCROLL, dpi_);
  std::vector<int> designed;
  for (int w : c.column_widths) designed.push_back(Px(w));
  const std::vector<int> widths = FitColumns(designed, width);
  for (std::size_t i = 0; i < widths.size(); ++i)
    SendMessageW(list, LVM_SETCOLUMNWIDTH, i, widths[i]);
}

void Win32MainWindow::ApplyDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  std::map<std::string, HFONT> old_fonts;
  old_fonts.swap(fonts_);
  for (auto& [component, control] : controls_) {
    Component& c = *model_.Find(component->Name());
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
    PlaceControl(c);
    if (c.Kind() == ComponentKind::kListBox) UpdateListWidth(c, control, 0);
    InvalidateRect(control, nullptr, TRUE);
  }
  for (auto& [key, font] : old_fonts) DeleteObject(font);
  LayOutStatusBar();
}

// Tab and Shift+Tab go to the next or previous button that can take the focus; Enter presses
// the focused button (Space is the button's own key).
bool Win32MainWindow::HandleKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  HWND focus = GetFocus();
  if (message.wParam == VK_TAB) {
    const bool back = GetKeyState(VK_SHIFT) < 0;
    HWND from = focus != nullptr && IsChild(window_, focus) ? focus : nullptr;
    HWND next = GetNextDlgTabItem(window_, from, back);
    if (next != nullptr) SetFocus(next);
    // Keyboard use from here on: focus rectangles are drawn.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return true;
  }
  if (message.wParam == VK_RETURN && focus != nullptr && by_window_.count(focus) &&
      IsButton(focus)) {
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

void Win32MainWindow::FocusFirst() {
  if (window_ == nullptr) return;
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window_, focus) && IsWindowVisible(focus) &&
      IsWindowEnabled(focus))
    return;
  HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
  if (first != nullptr && (GetWindowLongW(first, GWL_STYLE) & WS_TABSTOP)) SetFocus(first);
}

std::string Win32MainWindow::FocusedName() const {
  auto it = by_window_.find(GetFocus());
  return it == by_window_.end() ? std::string() : it->second->Name();
}

// The same names the Linux window gives assistive technology: the visible text; a value label
// is read after the label that names it; a control without text has a name of its own.
void Win32MainWindow::SetAccessibleName(Component& c) {
  auto it = controls_.find(&c);
  if (it == controls_.end()) return;
  std::string name = win32::AccessibleText(c.Caption());
  if (!c.caption_label.empty()) {
    if (const Component* label = model_.Find(c.caption_label))
      name = win32::AccessibleText(label->Caption()) + " " + name;
  } else if (name.empty()) {
    name = c.accessible_name;
  }
  if (!name.empty()) win32::SetAccessibleName(it->second, name);
}

// A menu item's hint shows on the status bar while the menu is open, as Windows programs do.
void Win32MainWindow::ShowMenuHint(WPARAM w, LPARAM l) {
  if (status_bar_ == nullptr) return;
  const UINT flags = HIWORD(w);
  if (flags == 0xFFFF && l == 0) {  // the menu closed
    SendMessageW(status_bar_, SB_SIMPLE, FALSE, 0);
    return;
  }
  std::string hint;
  if (flags & MF_POPUP) {
    HMENU popup = GetSubMenu(reinterpret_cast<HMENU>(l), LOWORD(w));
    auto it = popups_.find(popup);
    if (it != popups_.end()) hint = it->second->Hint();
  } else {
    auto it = by_command_.find(LOWORD(w));
    if (it != by_command_.end()) hint = it->second->Hint();
  }
  // An item without a hint leaves the status bar as it is.
  SendMessageW(status_bar_, SB_SIMPLE, hint.empty() ? FALSE : TRUE, 0);
  if (!hint.empty())
    SendMessageW(status_bar_, SB_SETTEXTW, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(win32::Wide(hint).c_str()));
}

// A list box scrolls sideways as far as its widest line (URLs in the Network Status window);
// lines from |first| on are new and measured, the others were measured before.
void Win32MainWindow::UpdateListWidth(Component& c, HWND list, size_t first) {
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, FontFor(c));
  int& widest = list_widths_[list];
  if (first == 0) widest = 0;
  const auto& lines = c.Lines();
  for (size_t i = first; i < lines.size(); ++i) {
    const std::wstring text = win32::Wide(lines[i]);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (size.cx > widest) widest = size.cx;
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Px(8)), 0);
}

}  // namespace kivo
