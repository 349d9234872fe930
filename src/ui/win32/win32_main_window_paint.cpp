// The Win32 main window's drawing: owner-drawn buttons, group boxes and panels, fonts and
// brushes, and the screenshot. UI thread only.
#include "ui/win32/win32_main_window.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <cstdio>
#include <vector>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

using win32::Wide;

constexpr wchar_t kDefaultFont[] = L"Tahoma";
constexpr int kDefaultFontPx = 11;

COLORREF Ref(Rgb c) { return RGB(c.r, c.g, c.b); }

bool IsFixedPitchFamily(const std::string& family) {
  static const char* const kFixed[] = {"Courier New", "Courier", "Consolas", "Lucida Console"};
  for (const char* fixed : kFixed) {
    if (family == fixed) return true;
  }
  return false;
}

}  // namespace

HFONT Win32MainWindow::FontFor(const Component& c) {
  const std::string family = c.font.family.empty() ? std::string() : c.font.family;
  const int px = Px(c.font.height_px > 0 ? c.font.height_px : kDefaultFontPx);
  const std::string key = family + "/" + std::to_string(px) + (c.font.bold ? "b" : "");
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  const std::wstring face = family.empty() ? std::wstring(kDefaultFont) : Wide(family);
  // A fixed-pitch family asks for fixed pitch, so that where it is missing the system gives
  // another fixed-pitch font rather than a proportional one.
  const DWORD pitch = IsFixedPitchFamily(family) ? FIXED_PITCH | FF_MODERN
                                                 : DEFAULT_PITCH | FF_DONTCARE;
  HFONT font = CreateFontW(-px, 0, 0, 0, c.font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, pitch, face.c_str());
  fonts_[key] = font;
  return font;
}

HBRUSH Win32MainWindow::BrushFor(Rgb color) {
  const std::uint32_t key = Ref(color);
  auto it = brushes_.find(key);
  if (it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(Ref(color));
  brushes_[key] = brush;
  return brush;
}

void Win32MainWindow::DrawButton(const DRAWITEMSTRUCT& item) {
  auto it = by_window_.find(item.hwndItem);
  if (it == by_window_.end()) return;
  const Component& c = *it->second;
  RECT r = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  // The system's themed push button where visual styles are on; the classic one otherwise.
  HTHEME theme = OpenThemeData(item.hwndItem, L"BUTTON");
  const bool themed = theme != nullptr;
  if (themed) {
    const int state = (item.itemState & ODS_DISABLED) ? PBS_DISABLED
                      : pushed                         ? PBS_PRESSED
                      : (item.itemState & ODS_FOCUS)   ? PBS_DEFAULTED
                                                       : PBS_NORMAL;
    if (IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, state))
      DrawThemeParentBackground(item.hwndItem, item.hDC, &r);
    DrawThemeBackground(theme, item.hDC, BP_PUSHBUTTON, state, &r, nullptr);
    CloseThemeData(theme);
  } else {
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  }
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                                                         : Ref(c.FontColor()));
  HGDIOBJ old = SelectObject(item.hDC, FontFor(c));
  if (pushed && !themed) OffsetRect(&r, 1, 1);
  const std::wstring text = Wide(c.Caption());
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, old);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -Px(4), -Px(4));
    DrawFocusRect(item.hDC, &focus);
  }
}

bool Win32MainWindow::SaveScreenshot(const std::string& path) {
  if (window_ == nullptr) return false;
  RECT r;
  GetWindowRect(window_, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetWindowDC(window_);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows, as BMP files keep them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int row = ((width * 3 + 3) / 4) * 4;
  std::vector<unsigned char> pixels(static_cast<size_t>(row) * height);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window_, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(Wide(path).c_str(), L"wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&info, sizeof info, 1, out) == 1 &&
            std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

std::string Win32MainWindow::StatusBarText() const {
  if (status_bar_ == nullptr) return {};
  const LRESULT length = LOWORD(SendMessageW(status_bar_, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(status_bar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return win32::Utf8(text);
}

// Group boxes and panels: their own background, frame and title; their children's
// notifications go on to the main window.
LRESULT CALLBACK Win32MainWindow::BoxProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, w, l);
  switch (message) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(self->window_, message, w, l);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      const Component& c = *self->by_window_[window];
      RECT r;
      GetClientRect(window, &r);
      FillRect(dc, &r, c.color ? self->BrushFor(*c.color) : GetSysColorBrush(COLOR_BTNFACE));
      if (c.Kind() == ComponentKind::kGroupBox) {
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
        const std::wstring title = Wide(c.Caption());
        if (!title.empty()) {
          HGDIOBJ old = SelectObject(dc, self->FontFor(c));
          SetBkMode(dc, TRANSPARENT);
          SetTextColor(dc, Ref(c.FontColor()));
          RECT text = r;
          text.top += self->Px(2);
          DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &text,
                    DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
          SelectObject(dc, old);
        }
      } else {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
      }
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

}  // namespace kivo
