#include "platform/file_rename.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace kivo {

// Without MOVEFILE_REPLACE_EXISTING the move fails, in one step, when |to| exists.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  return MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), 0) != 0;
}

}  // namespace kivo
