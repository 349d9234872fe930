#include <cstdio>

#include "platform/file_path.h"
#include "platform/win32/wide_text.h"

namespace kivo {

std::FILE* OpenFile(const std::string& utf8_path, const char* mode) {
  const std::string narrow_mode(mode);
  return _wfopen(win32::Wide(utf8_path).c_str(), win32::Wide(narrow_mode).c_str());
}

}  // namespace kivo
