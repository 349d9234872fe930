#include "platform/user_dirs.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/win32/wide_text.h"

namespace kivo {

std::string UserPicturesDir() {
  wchar_t* path = nullptr;
  std::string dir;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &path)) && path != nullptr)
    dir = win32::Utf8(path);
  CoTaskMemFree(path);  // also when the call failed
  if (!dir.empty()) return dir;
  // getenv would give the local code page's spelling: the profile folder is asked for wide.
  wchar_t profile[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "Pictures";
  return win32::Utf8(std::wstring_view(profile, n)) + "\\Pictures";
}

std::string UserPicturesSubdir(const std::string& name) {
  return UserPicturesDir() + "\\" + name;
}

}  // namespace kivo
