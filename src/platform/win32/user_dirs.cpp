#include "platform/user_dirs.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

namespace kivo {

std::string UserPicturesDir() {
  wchar_t path[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) {
    char utf8[MAX_PATH * 3];
    const int n = WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (n > 1) return std::string(utf8, static_cast<std::size_t>(n - 1));
  }
  const char* profile = std::getenv("USERPROFILE");
  return profile ? std::string(profile) + "\\Pictures" : std::string("Pictures");
}

}  // namespace kivo
