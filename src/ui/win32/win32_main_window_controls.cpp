// The Win32 main window's own controls (file list, progress bar, picture), and what every
// component shows read back from its native control or menu entry, for tests and tools. UI
// thread only.
#include "ui/win32/win32_main_window.h"

#include <commctrl.h>

#include "platform/win32/wide_text.h"
#include "ui/win32/win32_control.h"

namespace kivo {
namespace {

using win32::Utf8;

std::string ClassOf(HWND window) {
  wchar_t name[128] = L"";
  GetClassNameW(window, name, 128);
  return Utf8(name);
}

// The entry of |menu| that opens |submenu| or carries |id|; false when there is none.
bool FindEntry(HMENU menu, HMENU submenu, UINT id, NativeControl& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 256;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (submenu != nullptr ? info.hSubMenu != submenu : info.wID != id || info.hSubMenu) continue;
    std::string caption = (info.fType & MFT_SEPARATOR) ? std::string() : Utf8(text);
    out.native_class = (info.fType & MFT_SEPARATOR) ? "MFT_SEPARATOR"
                       : submenu != nullptr        ? "MF_POPUP"
                                                   : "MFT_STRING";
    out.caption = caption.substr(0, caption.find('\t'));  // without the shortcut's text
    out.enabled = !(info.fState & MFS_GRAYED);
    out.checked = (info.fState & MFS_CHECKED) != 0;
    out.visible = true;
    return true;
  }
  return false;
}

}  // namespace

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return Utf8(text);
}

HWND Win32MainWindow::BuildOwnControl(Component& c, HWND parent) {
  std::unique_ptr<Win32Control> control;
  switch (c.Kind()) {
    case ComponentKind::kFileList:
      control = MakeWin32ListView(model_, c, parent);
      break;
    case ComponentKind::kProgressBar:
      control = MakeWin32ProgressBar(c, parent);
      break;
    case ComponentKind::kPicture:
      control = MakeWin32Picture(c, parent);
      break;
    case ComponentKind::kForm:
    case ComponentKind::kMainMenu:
    case ComponentKind::kMenu:
    case ComponentKind::kMenuItem:
    case ComponentKind::kSeparator:
    case ComponentKind::kBitBtn:
    case ComponentKind::kSpeedButton:
    case ComponentKind::kButton:
    case ComponentKind::kLabel:
    case ComponentKind::kGroupBox:
    case ComponentKind::kPanel:
    case ComponentKind::kListBox:
    case ComponentKind::kStatusBar:
      return nullptr;  // plain windows: BuildControl makes them
  }
  HWND window = control->Handle();
  // Made at the design's size; placed, like every control, for the window's DPI.
  const Bounds& b = c.GetBounds();
  MoveWindow(window, Px(b.left), Px(b.top), Px(b.width), Px(b.height), FALSE);
  if (c.Kind() == ComponentKind::kFileList) FitListColumns(c, window);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
  own_controls_[&c] = std::move(control);
  return window;
}

std::vector<std::pair<std::string, RECT>> Win32MainWindow::ControlRects() const {
  std::vector<std::pair<std::string, RECT>> rects;
  for (const auto& [c, control] : controls_) {
    RECT r;
    if (IsWindowVisible(control) && GetWindowRect(control, &r)) rects.emplace_back(c->Name(), r);
  }
  return rects;
}

bool Win32MainWindow::NotifyOwnControl(const NMHDR& header, LRESULT* result) {
  auto it = by_window_.find(header.hwndFrom);
  if (it == by_window_.end()) return false;
  auto own = own_controls_.find(it->second);
  return own != own_controls_.end() && own->second->Notify(header, result);
}

NativeControl Win32MainWindow::InspectMenuEntry(const Component& c) const {
  NativeControl out;
  out.component = c.Name();
  const Component* parent = c.Parent();
  auto holder = popup_of_.find(parent);
  HMENU menu = parent == main_menu_ ? menu_bar_
               : holder != popup_of_.end() ? holder->second
                                           : nullptr;
  auto popup = popup_of_.find(&c);
  auto command = command_of_.find(&c);
  const bool found =
      menu != nullptr &&
      FindEntry(menu, popup != popup_of_.end() ? popup->second : nullptr,
                command != command_of_.end() ? command->second : 0, out);
  if (!found) {
    // Win32 menus have no hidden entries: one that is not there is hidden, if it was made.
    const bool made = popup != popup_of_.end() || command != command_of_.end();
    out.native_class = made ? "hidden" : "";
    out.visible = false;
  }
  return out;
}

NativeControl Win32MainWindow::InspectControl(const Component& c, HWND control) const {
  NativeControl out;
  out.component = c.Name();
  out.native_class = ClassOf(control);
  out.enabled = IsWindowEnabled(control) != FALSE;
  out.visible = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
  if (control == status_bar_) {
    out.caption = StatusBarText();
  } else {
    out.caption = TextOf(control);
  }
  if (c.Kind() == ComponentKind::kListBox) {
    const LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring text(static_cast<size_t>(SendMessageW(control, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
      text.resize(static_cast<size_t>(
          SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
      out.items.push_back(Utf8(text));
    }
  }
  if (auto own = own_controls_.find(&c); own != own_controls_.end()) own->second->Inspect(out);
  return out;
}

std::vector<NativeControl> Win32MainWindow::Inspect() {
  for (const auto& [menu, component] : popups_) FillMenu(menu);
  std::vector<NativeControl> shown;
  for (const auto& owned : model_.All()) {
    const Component& c = *owned;
    if (&c == &form_ || &c == main_menu_) {
      NativeControl out;
      out.component = c.Name();
      if (&c == &form_ && window_ != nullptr) {
        out.native_class = ClassOf(window_);
        out.caption = TextOf(window_);
      } else if (&c == main_menu_ && menu_bar_ != nullptr) {
        out.native_class = "HMENU";
      }
      shown.push_back(std::move(out));
    } else if (c.Kind() == ComponentKind::kMenu || c.Kind() == ComponentKind::kMenuItem ||
               c.Kind() == ComponentKind::kSeparator) {
      shown.push_back(InspectMenuEntry(c));
    } else if (auto it = controls_.find(&c); it != controls_.end()) {
      shown.push_back(InspectControl(c, it->second));
    }
  }
  return shown;
}

bool Win32MainWindow::ClickControl(const std::string& name) {
  const Component* c = model_.Find(name);
  auto it = c != nullptr ? controls_.find(c) : controls_.end();
  if (it == controls_.end() || !IsWindowVisible(it->second) || !IsWindowEnabled(it->second) ||
      ClassOf(it->second) != "Button")
    return false;
  SendMessageW(it->second, BM_CLICK, 0, 0);
  return true;
}

bool Win32MainWindow::SelectRows(const std::string& name, const std::vector<int>& rows) {
  const Component* c = model_.Find(name);
  auto it = c != nullptr ? controls_.find(c) : controls_.end();
  if (it == controls_.end() || !IsWindowVisible(it->second) || !IsWindowEnabled(it->second) ||
      c->Kind() != ComponentKind::kFileList)
    return false;
  HWND list = it->second;
  SetFocus(list);
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED;
  for (int row : rows) SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  return true;
}

}  // namespace kivo
