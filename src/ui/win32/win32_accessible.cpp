#include "ui/win32/win32_accessible.h"

#include <initguid.h>
#include <oleacc.h>

#include "platform/win32/wide_text.h"

namespace kivo::win32 {
namespace {

IAccPropServices* Services() {
  static IAccPropServices* services = [] {
    IAccPropServices* made = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&made))))
      return static_cast<IAccPropServices*>(nullptr);
    return made;  // kept for the life of the process
  }();
  return services;
}

}  // namespace

std::string AccessibleText(const std::string& caption) {
  std::string text;
  bool blank = false;
  for (size_t i = 0; i < caption.size(); ++i) {
    char c = caption[i];
    if (c == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        ++i;
      } else {
        continue;
      }
    }
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    if (c == ' ') {
      blank = !text.empty();
      continue;
    }
    if (blank) text += ' ';
    blank = false;
    text += c;
  }
  return text;
}

bool SetAccessibleName(HWND control, const std::string& name) {
  IAccPropServices* services = Services();
  if (services == nullptr || control == nullptr) return false;
  std::wstring wide = Wide(name);
  return SUCCEEDED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                            CHILDID_SELF, PROPID_ACC_NAME, wide.c_str()));
}

}  // namespace kivo::win32
