// Renaming a file without ever replacing another: the program names downloads after what the
// camera sends, and an existing file of that name must survive. Blocking; any thread.
#pragma once

#include <string>

namespace kivo {

// Renames |from| to |to| unless |to| exists; the check and the rename are one step where the
// file system allows it. Returns false (and changes nothing) when |to| exists or the rename
// fails otherwise.
bool RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace kivo
