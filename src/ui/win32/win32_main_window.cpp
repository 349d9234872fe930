#include "ui/win32/win32_main_window.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/message_filter.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/win32_accessible.h"
#include "ui/win32/win32_control.h"
#include "ui/win32/win32_dpi.h"

namespace kivo {
namespace {

using win32::Wide;

constexpr wchar_t kWindowClass[] = L"KivoMainWindow";
constexpr wchar_t kBoxClass[] = L"KivoBox";

COLORREF Ref(Rgb c) { return RGB(c.r, c.g, c.b); }

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The form's bounds hold the position of the window and the size inside its frame (menu bar,
// controls and status bar), as the Linux window keeps them, in 96-dpi pixels (see
// win32_main_window_layout.cpp).

bool IsMenuKind(ComponentKind kind) {
  return kind == ComponentKind::kMainMenu || kind == ComponentKind::kMenu ||
         kind == ComponentKind::kMenuItem || kind == ComponentKind::kSeparator;
}

void RegisterClasses(WNDPROC window_proc, WNDPROC box_proc) {
  static const bool once = [&] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW main_class{};
    main_class.lpfnWndProc = window_proc;
    main_class.hInstance = GetModuleHandleW(nullptr);
    main_class.lpszClassName = kWindowClass;
    main_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's icon (resource 1), the system's where the file has none.
    main_class.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (main_class.hIcon == nullptr) main_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    main_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassW(&main_class);
    WNDCLASSW box_class{};
    box_class.lpfnWndProc = box_proc;
    box_class.hInstance = GetModuleHandleW(nullptr);
    box_class.lpszClassName = kBoxClass;
    box_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&box_class);
    return true;
  }();
  (void)once;
}

}  // namespace

Win32MainWindow::Win32MainWindow(ComponentModel& model, const std::string& form,
                                 const std::string& main_menu)
    : model_(model), form_(model.Get(form)) {
  RegisterClasses(&WindowProc, &BoxProc);
  BuildMenus(model.Get(main_menu));
  // The DPI of the monitor the window will open on; checked again once it exists.
  dpi_ = win32::DpiOf(nullptr);
  const RECT r = WindowRectFor(form_.GetBounds());
  window_ = CreateWindowExW(0, kWindowClass, Wide(form_.Caption()).c_str(), kWindowStyle, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, nullptr,
                            main_menu_->Children().empty() ? nullptr : menu_bar_,
                            GetModuleHandleW(nullptr), this);
  dpi_ = win32::DpiOf(window_);
  BuildControls();
  SetUpFitting();
  BuildAccelerators();
  filter_ = win32::AddMessageFilter([this](MSG& message) { return FilterMessage(message); });
  observer_ = model_.Subscribe([this](Component& c, Property what) { Apply(c, what); });
}

Win32MainWindow::~Win32MainWindow() {
  model_.Unsubscribe(observer_);
  win32::RemoveMessageFilter(filter_);
  if (window_ != nullptr) DestroyWindow(window_);
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [key, brush] : brushes_) DeleteObject(brush);
}

void Win32MainWindow::BuildControls() {
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  // Hints wait for the user's pointer: a window that opens beneath a pointer at rest (in the
  // middle of the screen, where the window is centred) would otherwise show the hint of the
  // control that happens to be there, unasked, as the program starts.
  SendMessageW(tooltips_, TTM_ACTIVATE, FALSE, 0);
  for (const auto& owned : model_.All()) {
    Component& c = *owned;
    if (c.Kind() == ComponentKind::kForm || IsMenuKind(c.Kind())) continue;
    if (c.Kind() == ComponentKind::kStatusBar) {
      status_bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                                    WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                    0, 0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
      SendMessageW(status_bar_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), TRUE);
      controls_[&c] = status_bar_;
      by_window_[status_bar_] = &c;
      ApplyAll(c);
      continue;
    }
    HWND parent = window_;
    if (c.Parent() != nullptr) {
      auto it = controls_.find(c.Parent());
      if (it != controls_.end()) parent = it->second;
    }
    HWND control = BuildControl(c, parent);
    controls_[&c] = control;
    by_window_[control] = &c;
    ApplyAll(c);
  }
}

HWND Win32MainWindow::BuildControl(Component& c, HWND parent) {
  const wchar_t* window_class = kBoxClass;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  switch (c.Kind()) {
    case ComponentKind::kBitBtn:
    case ComponentKind::kSpeedButton:
    case ComponentKind::kButton:
      // Drawn here: a standard push button cannot show the model's font colour.
      window_class = L"BUTTON";
      style |= BS_OWNERDRAW | WS_TABSTOP;
      break;
    case ComponentKind::kLabel:
      window_class = L"STATIC";
      style |= SS_NOPREFIX | SS_NOTIFY;
      style |= c.font.height_px >= 20 ? SS_CENTER | SS_CENTERIMAGE : SS_LEFT;
      break;
    case ComponentKind::kListBox:
      window_class = L"LISTBOX";
      style |= WS_VSCROLL | WS_HSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
      break;
    case ComponentKind::kFileList:
    case ComponentKind::kProgressBar:
    case ComponentKind::kPicture:
      return BuildOwnControl(c, parent);
    case ComponentKind::kGroupBox:
    case ComponentKind::kPanel:  // paint themselves (colour, frame, title)
    case ComponentKind::kForm:   // the rest never get here: the window, its menus and its
    case ComponentKind::kMainMenu:  // status bar are made by the constructor and BuildControls
    case ComponentKind::kMenu:
    case ComponentKind::kMenuItem:
    case ComponentKind::kSeparator:
    case ComponentKind::kStatusBar:
      style |= WS_CLIPCHILDREN;
      break;
  }
  const Bounds& b = c.GetBounds();
  // Group boxes and panels hold buttons of their own: Tab walks into them.
  const DWORD ex_style = window_class == kBoxClass ? WS_EX_CONTROLPARENT : 0;
  HWND control = CreateWindowExW(ex_style, window_class, Wide(c.Caption()).c_str(), style,
                                 Px(b.left), Px(b.top), Px(b.width), Px(b.height), parent,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
  return control;
}

void Win32MainWindow::ApplyAll(Component& c) {
  for (Property p : {Property::kCaption, Property::kChecked, Property::kEnabled,
                     Property::kVisible, Property::kHint, Property::kFontColor, Property::kLines,
                     Property::kValue, Property::kData, Property::kSelection})
    Apply(c, p);
  SetAccessibleName(c);
}

void Win32MainWindow::Apply(Component& c, Property what) {
  if (&c == &form_) {
    if (what == Property::kCaption) SetWindowTextW(window_, Wide(c.Caption()).c_str());
    if (what == Property::kBounds && !applying_geometry_) {
      const RECT r = Fitted(WindowRectFor(c.GetBounds()));
      applying_geometry_ = true;
      SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      applying_geometry_ = false;
    }
    return;
  }
  if (IsMenuKind(c.Kind())) {
    // Open menus are refilled as they open; only the menu bar shows changes at once.
    if (c.Parent() == main_menu_ &&
        (what == Property::kCaption || what == Property::kEnabled || what == Property::kVisible))
      FillMenuBar();
    return;
  }
  auto it = controls_.find(&c);
  if (it == controls_.end()) return;
  HWND control = it->second;
  if (auto own = own_controls_.find(&c); own != own_controls_.end() && own->second->Apply(what))
    return;
  if (control == status_bar_) {
    if (what == Property::kCaption)
      SendMessageW(status_bar_, SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(Wide(c.Caption()).c_str()));
    return;
  }
  switch (what) {
    case Property::kCaption:
      SetWindowTextW(control, Wide(c.Caption()).c_str());
      InvalidateRect(control, nullptr, TRUE);
      SetAccessibleName(c);
      for (const auto& [named, hwnd] : controls_) {  // value labels named after this one
        if (named->caption_label == c.Name()) SetAccessibleName(*model_.Find(named->Name()));
      }
      break;
    case Property::kEnabled:
      EnableWindow(control, c.Enabled());
      break;
    case Property::kVisible:
      ShowWindow(control, c.Visible() ? SW_SHOWNA : SW_HIDE);
      if (GetFocus() == nullptr && GetActiveWindow() == window_) FocusFirst();
      break;
    case Property::kFontColor:
      InvalidateRect(control, nullptr, TRUE);
      break;
    case Property::kHint:
      SetHint(c, control);
      break;
    case Property::kLines:
      if (c.Kind() == ComponentKind::kListBox) {
        // A log grows by one line at a time: add the new lines instead of refilling the list.
        const auto& lines = c.Lines();
        auto text_at = [control](LRESULT index) {
          std::wstring text(static_cast<size_t>(SendMessageW(control, LB_GETTEXTLEN, index, 0)) + 1,
                            L'\0');
          text.resize(static_cast<size_t>(
              SendMessageW(control, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
          return text;
        };
        LRESULT have = SendMessageW(control, LB_GETCOUNT, 0, 0);
        const bool grows = have > 0 && static_cast<size_t>(have) <= lines.size() &&
                           text_at(0) == Wide(lines[0]) &&
                           text_at(have - 1) == Wide(lines[have - 1]);
        if (!grows) {
          SendMessageW(control, LB_RESETCONTENT, 0, 0);
          have = 0;
        }
        for (size_t i = static_cast<size_t>(have); i < lines.size(); ++i)
          SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(lines[i]).c_str()));
        UpdateListWidth(c, control, static_cast<size_t>(have));
        if (grows) SendMessageW(control, LB_SETTOPINDEX, lines.empty() ? 0 : lines.size() - 1, 0);
      }
      break;
    case Property::kBounds:
      PlaceControl(c);
      break;
    default:
      break;
  }
}

// Keys typed anywhere in this window: its menu shortcuts, and Escape.
bool Win32MainWindow::FilterMessage(MSG& message) {
  if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd)))
    return false;
  if (message.message == WM_MOUSEMOVE && !hints_active_) {
    const DWORD at = GetMessagePos();
    if (at != pointer_at_show_ && tooltips_ != nullptr) {
      hints_active_ = true;
      SendMessageW(tooltips_, TTM_ACTIVATE, TRUE, 0);
    }
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && on_escape_) {
    on_escape_();
    return true;
  }
  if (accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, &message) != 0)
    return true;
  return HandleKey(message);
}

// A control's hint is its tooltip.
void Win32MainWindow::SetHint(Component& c, HWND control) {
  if (tooltips_ == nullptr || control == status_bar_) return;
  std::wstring text = Wide(c.Hint());
  TOOLINFOW tool{};
  // The older size: the comctl32 a program without a manifest gets refuses the newer one.
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!text.empty()) SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32MainWindow::ShowForm() {
  POINT pointer{};
  GetCursorPos(&pointer);
  pointer_at_show_ = MAKELONG(static_cast<SHORT>(pointer.x), static_cast<SHORT>(pointer.y));
  const RECT r = Fitted(WindowRectFor(form_.GetBounds()));
  applying_geometry_ = true;
  SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  applying_geometry_ = false;
  StoreGeometry();
  FocusFirst();
}

void Win32MainWindow::Close() {
  if (window_ != nullptr) SendMessageW(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::StoreGeometry() {
  if (applying_geometry_ || window_ == nullptr || !IsWindowVisible(window_) || IsIconic(window_))
    return;
  RECT r;
  GetWindowRect(window_, &r);
  applying_geometry_ = true;
  form_.SetBounds(FormBoundsOf(r));
  applying_geometry_ = false;
}

void Win32MainWindow::LayOutStatusBar() {
  if (status_bar_ != nullptr) SendMessageW(status_bar_, WM_SIZE, 0, 0);
}

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, w, l);
  return self->Handle(window, message, w, l);
}

LRESULT Win32MainWindow::Handle(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_INITMENUPOPUP: {
      auto it = popups_.find(reinterpret_cast<HMENU>(w));
      if (it == popups_.end()) break;
      // A menu's opening is an event of its own (the Options menu refreshes a check mark).
      Component* menu = it->second;
      if (menu->OnClick) model_.Dispatch(menu->OnClick);
      FillMenu(it->first);
      return 0;
    }
    case WM_COMMAND: {
      if (l == 0) {  // a menu pick (HIWORD 0) or an accelerator (HIWORD 1)
        auto it = by_command_.find(LOWORD(w));
        if (it != by_command_.end() && UserCanChoose(*it->second))
          model_.Click(it->second->Name());
        return 0;
      }
      if (HIWORD(w) == BN_CLICKED) {
        auto it = by_window_.find(reinterpret_cast<HWND>(l));
        if (it != by_window_.end()) {
          const std::string name = it->second->Name();
          if (on_click_trace) on_click_trace(name);
          model_.Click(name);
        }
      }
      return 0;
    }
    case WM_MENUSELECT:
      ShowMenuHint(w, l);
      break;
    case WM_ENTERMENULOOP:
      in_menu_loop_ = true;
      break;
    case WM_EXITMENULOOP:
      in_menu_loop_ = false;
      if (status_bar_ != nullptr) SendMessageW(status_bar_, SB_SIMPLE, FALSE, 0);
      if (menu_bar_stale_) {  // what changed while the menu was open
        menu_bar_stale_ = false;
        FillMenuBar();
        RedrawMenuBar();
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(l);
      const RECT smallest = WindowRectFor({0, 0, min_width_, min_height_});
      if (min_width_ > 0) limits->ptMinTrackSize.x = smallest.right - smallest.left;
      if (min_height_ > 0) limits->ptMinTrackSize.y = smallest.bottom - smallest.top;
      return 0;
    }
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(l);
      ApplyDpi(HIWORD(w));
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) focus_ = focus;
      } else if (focus_ != nullptr && IsWindow(focus_) && IsWindowEnabled(focus_) &&
                 IsWindowVisible(focus_)) {
        SetFocus(focus_);
        return 0;
      } else {
        FocusFirst();
        return 0;
      }
      break;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (NotifyOwnControl(*reinterpret_cast<const NMHDR*>(l), &result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC: {
      auto it = by_window_.find(reinterpret_cast<HWND>(l));
      if (it == by_window_.end()) break;
      const Component& c = *it->second;
      HDC dc = reinterpret_cast<HDC>(w);
      SetTextColor(dc, Ref(c.FontColor()));
      SetBkMode(dc, TRANSPARENT);
      const Component* parent = c.Parent();
      if (parent != nullptr && parent->color)
        return reinterpret_cast<LRESULT>(BrushFor(*parent->color));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_MOVE:
      StoreGeometry();
      return 0;
    case WM_SIZE:
      LayOutStatusBar();
      if (follows_edges_) FollowEdges();
      StoreGeometry();
      return 0;
    case WM_ENDSESSION:  // logoff or shutdown: save as File > Exit does
      if (w && on_close) on_close();
      return 0;
    case WM_CLOSE:
      StoreGeometry();
      if (on_close) on_close();
      if (hide_on_close) {
        ShowWindow(window, SW_HIDE);
      } else {
        DestroyWindow(window);
      }
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      status_bar_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace kivo
