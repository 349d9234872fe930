// The picture: an encoded image (a photo's JPEG thumbnail) decoded with the Windows Imaging
// Component, scaled to fit the control with its proportions kept, and drawn centred on the
// control's sunken frame; without an image (or one that does not decode) the caption shows.
#include <wincodec.h>

#include <algorithm>
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/win32/win32_control.h"

namespace kivo {
namespace {

using win32::Wide;

constexpr wchar_t kPictureClass[] = L"KivoPicture";
constexpr int kFrame = 2;  // the sunken edge around the image

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// |bytes| decoded and scaled to fit |max_width| x |max_height|; nullptr when it cannot be.
HBITMAP DecodeToFit(const std::string& bytes, int max_width, int max_height) {
  if (bytes.empty() || max_width <= 0 || max_height <= 0) return nullptr;
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))))
    return nullptr;
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      FAILED(stream->InitializeFromMemory(
          reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
          static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                              WICDecodeMetadataCacheOnDemand, decoder.Out())) ||
      FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)) ||
      width == 0 || height == 0)
    return nullptr;
  const double scale = std::min(static_cast<double>(max_width) / width,
                                static_cast<double>(max_height) / height);
  const UINT out_width = std::max(1u, static_cast<UINT>(width * scale));
  const UINT out_height = std::max(1u, static_cast<UINT>(height * scale));
  ComRef<IWICBitmapScaler> scaler;
  ComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateBitmapScaler(scaler.Out())) ||
      FAILED(scaler->Initialize(frame.Get(), out_width, out_height,
                                WICBitmapInterpolationModeFant)) ||
      FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(scaler.Get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)))
    return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(out_width);
  info.bmiHeader.biHeight = -static_cast<LONG>(out_height);  // top-down rows, as WIC copies
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  const UINT stride = out_width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * out_height,
                                   static_cast<BYTE*>(bits)))) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

class Win32Picture : public Win32Control {
 public:
  Win32Picture(Component& c, HWND parent) : c_(c) {
    static const bool registered = [] {
      WNDCLASSW picture_class{};
      picture_class.lpfnWndProc = &Proc;
      picture_class.cbWndExtra = sizeof(LONG_PTR);
      picture_class.hInstance = GetModuleHandleW(nullptr);
      picture_class.lpszClassName = kPictureClass;
      picture_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      return RegisterClassW(&picture_class) != 0;
    }();
    (void)registered;
    const Bounds& b = c.GetBounds();
    window_ = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_CLIPSIBLINGS, b.left, b.top,
                              b.width, b.height, parent, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    SetWindowLongPtrW(window_, 0, reinterpret_cast<LONG_PTR>(this));
  }

  ~Win32Picture() override {
    if (IsWindow(window_)) SetWindowLongPtrW(window_, 0, 0);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }

  bool Apply(Property what) override {
    switch (what) {
      case Property::kData:
        Decode();
        return true;
      case Property::kBounds:
        Decode();
        return false;  // the window moves it
      case Property::kCaption:
        SetWindowTextW(window_, Wide(c_.Caption()).c_str());
        InvalidateRect(window_, nullptr, TRUE);
        return true;
      case Property::kLines:
      case Property::kLine:
      case Property::kValue:
      case Property::kSelection:
      case Property::kChecked:
      case Property::kFontColor:
        return true;
      case Property::kEnabled:
      case Property::kVisible:
      case Property::kHint:
        return false;
    }
    return false;
  }

  void Inspect(NativeControl& out) const override {
    out.caption = TextOf(window_);
    BITMAP info{};
    out.shows_picture =
        bitmap_ != nullptr && GetObjectW(bitmap_, sizeof info, &info) == sizeof info &&
        info.bmWidth > 0;
  }

 private:
  void Decode() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    RECT r;
    GetClientRect(window_, &r);
    bitmap_ = DecodeToFit(c_.Data(), r.right - 2 * kFrame, r.bottom - 2 * kFrame);
    InvalidateRect(window_, nullptr, TRUE);
  }

  void Paint(HDC dc) {
    RECT r;
    GetClientRect(window_, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    BITMAP info{};
    if (bitmap_ != nullptr && GetObjectW(bitmap_, sizeof info, &info) == sizeof info) {
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, bitmap_);
      BitBlt(dc, (r.right - info.bmWidth) / 2, (r.bottom - info.bmHeight) / 2, info.bmWidth,
             info.bmHeight, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
      return;
    }
    const std::wstring text = Wide(c_.Caption());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(window_) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<Win32Picture*>(GetWindowLongPtrW(window, 0));
    switch (message) {
      case WM_SETFONT:
        if (self != nullptr) self->font_ = reinterpret_cast<HFONT>(w);
        return 0;
      case WM_GETFONT:
        return self != nullptr ? reinterpret_cast<LRESULT>(self->font_) : 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_SIZE:  // a new size (another DPI): the image is scaled again to fit
        if (self != nullptr) self->Decode();
        return 0;
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (self != nullptr) self->Paint(dc);
        EndPaint(window, &paint);
        return 0;
      }
      default:
        return DefWindowProcW(window, message, w, l);
    }
  }

  Component& c_;
  HBITMAP bitmap_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<Win32Control> MakeWin32Picture(Component& c, HWND parent) {
  return std::make_unique<Win32Picture>(c, parent);
}

}  // namespace kivo
