// The progress bar: a standard progress control over 0..1000 with the component's caption
// written across it (light on the filled part, dark on the rest). The caption is also the
// window text, which screen readers read with the value.
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/win32/win32_control.h"

namespace kivo {
namespace {

using win32::Wide;

constexpr int kRange = 1000;
constexpr wchar_t kSelfProperty[] = L"KivoProgressBar";

class Win32ProgressBar : public Win32Control {
 public:
  Win32ProgressBar(Component& c, HWND parent) : c_(c) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    const Bounds& b = c.GetBounds();
    window_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_CLIPSIBLINGS | PBS_SMOOTH,
                              b.left, b.top, b.width, b.height, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SendMessageW(window_, PBM_SETRANGE32, 0, kRange);
    // Subclassed the classic way (the control's own procedure kept and called), which every
    // comctl32 supports.
    SetPropW(window_, kSelfProperty, this);
    control_proc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }

  ~Win32ProgressBar() override {
    if (IsWindow(window_)) {
      SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_proc_));
      RemovePropW(window_, kSelfProperty);
    }
  }

  bool Apply(Property what) override {
    switch (what) {
      case Property::kValue:
        SendMessageW(window_, PBM_SETPOS, static_cast<WPARAM>(c_.Value()), 0);
        InvalidateRect(window_, nullptr, FALSE);
        return true;
      case Property::kCaption:
        SetWindowTextW(window_, Wide(c_.Caption()).c_str());
        InvalidateRect(window_, nullptr, FALSE);
        return true;
      case Property::kLines:
      case Property::kLine:
      case Property::kData:
      case Property::kSelection:
      case Property::kChecked:
      case Property::kFontColor:
        return true;
      case Property::kEnabled:
      case Property::kVisible:
      case Property::kHint:
      case Property::kBounds:
        return false;
    }
    return false;
  }

  void Inspect(NativeControl& out) const override {
    out.value = static_cast<int>(SendMessageW(window_, PBM_GETPOS, 0, 0));
    out.caption = TextOf(window_);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = static_cast<Win32ProgressBar*>(GetPropW(window, kSelfProperty));
    if (self == nullptr) return DefWindowProcW(window, message, w, l);
    switch (message) {
      case WM_SETFONT:
        self->font_ = reinterpret_cast<HFONT>(w);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(self->font_);
      case WM_PAINT: {
        const LRESULT result = CallWindowProcW(self->control_proc_, window, message, w, l);
        self->DrawCaption();
        return result;
      }
      case WM_NCDESTROY: {  // the last message: the control goes back to its own procedure
        const WNDPROC proc = self->control_proc_;
        RemovePropW(window, kSelfProperty);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        return CallWindowProcW(proc, window, message, w, l);
      }
      default:
        return CallWindowProcW(self->control_proc_, window, message, w, l);
    }
  }

  void DrawCaption() {
    const std::wstring text = Wide(c_.Caption());
    if (text.empty()) return;
    HDC dc = GetDC(window_);
    RECT r;
    GetClientRect(window_, &r);
    const int position = static_cast<int>(SendMessageW(window_, PBM_GETPOS, 0, 0));
    const int filled = r.left + (r.right - r.left) * position / kRange;
    HGDIOBJ old = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    // The filled part and the rest each clip the same text, in a colour readable on it.
    const RECT parts[] = {{r.left, r.top, filled, r.bottom}, {filled, r.top, r.right, r.bottom}};
    const COLORREF colours[] = {GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_WINDOWTEXT)};
    for (int i = 0; i < 2; ++i) {
      if (parts[i].right <= parts[i].left) continue;
      SaveDC(dc);
      IntersectClipRect(dc, parts[i].left, parts[i].top, parts[i].right, parts[i].bottom);
      SetTextColor(dc, colours[i]);
      RECT box = r;
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
      RestoreDC(dc, -1);
    }
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
  }

  Component& c_;
  WNDPROC control_proc_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<Win32Control> MakeWin32ProgressBar(Component& c, HWND parent) {
  return std::make_unique<Win32ProgressBar>(c, parent);
}

}  // namespace kivo
