// Whole-file reads and crash-safe whole-file replacement for settings and similar small files.
// Plain blocking functions, usable from any thread.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kivo {

// A file could not be written; what() names the file and the system's reason.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the whole file. Returns false when it does not exist or cannot be read.
bool ReadWholeFile(const std::string& path, std::string* contents);

// Replaces |path| with |contents| so that a crash or a full disk leaves either the old file or
// the new one, never a torn or empty one: the data goes to a temporary file created exclusively
// in the same directory, is flushed to disk, and is then renamed over |path|. An existing file's
// permission bits are kept. A symbolic link is written through: its final target is replaced,
// in the target's folder. Temporary files that an interrupted save left there (over a minute old)
// are removed. Throws FileWriteError on any failure (the old file is then
// untouched and the temporary file removed).
void WriteFileAtomically(const std::string& path, std::string_view contents);

// Whether a text file the program creates ends its lines with CR LF (Windows) rather than LF.
// Files that exist keep the line ends they have.
bool NewTextFilesUseCrlf();

}  // namespace kivo
