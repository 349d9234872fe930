#include "platform/user_dirs.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/wide_text.h"

namespace kivo {

std::string UserPicturesDir() {
  wchar_t path[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) {
    char utf8[MAX_PATH * 3];
    const int n = WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (n > 1) return std::string(utf8, static_cast<std::size_t>(n - 1));
  }
  // getenv would give the local code page's spelling: the profile folder is asked for wide.
  wchar_t profile[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "Pictures";
  return win32::Utf8(std::wstring_view(profile, n)) + "\\Pictures";
}

}  // namespace kivo
