#include "platform/user_dirs.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/win32/wide_text.h"

namespace kivo {

std::string UserPicturesDir() {
  wchar_t* path = nullptr;
  std::string dir;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &path)) && path != nullptr)
    dir = win32::Utf8(path);
  CoTaskMemFree(path);  // also when the call failed
  if (!dir.empty()) return dir;
  const char* profile = std::getenv("USERPROFILE");
  return profile ? std::string(profile) + "\\Pictures" : std::string("Pictures");
}

std::string UserPicturesSubdir(const std::string& name) {
  return UserPicturesDir() + "\\" + name;
}

}  // namespace kivo
