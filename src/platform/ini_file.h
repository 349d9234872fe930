// A private-profile settings file ("Kivo.ini"): "[Section]" lines followed by "Key=Value" lines.
// One object per use (open, read or write, UpdateFile, drop); not thread-safe, no callbacks.
// Comments, blank lines and keys the program does not know are kept exactly as they were.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"

namespace kivo {

// Section and key names are matched without regard to ASCII case. A missing file, section or
// key reads as the default, and so does an integer that is not plain decimal. Booleans are
// written "1"/"0"; any integer other than 0 reads as true. Values are read with surrounding
// blanks removed and one pair of enclosing quotes stripped.
//
// Writes change the object at once (reads see them) and reach the disk in UpdateFile(), which
// applies them to the file as it is on disk at that moment (so another writer's keys in the same
// file are kept) and replaces it atomically. An existing key keeps its place; a new key goes at
// the end of its section, a new section at the end of the file.
class IniFile {
 public:
  // Reads |path| now. A file that is missing or unreadable gives an empty profile.
  explicit IniFile(std::string path);
  // Writes changes that UpdateFile() has not written; a failure is reported on standard error,
  // since a destructor cannot throw. Call UpdateFile() to get failures as exceptions.
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  const std::string& FileName() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  int ReadInteger(std::string_view section, std::string_view key, int default_value) const;
  bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  // Line breaks in |value| become blanks (a value is one line). A section or key name that is
  // empty or holds "]", "=" or a line break is a programming error: std::invalid_argument.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // True while there are writes not yet on disk.
  bool Modified() const { return !pending_.empty(); }

  // Writes the pending changes to disk. Throws FileWriteError when the file cannot be replaced;
  // the old file is then left as it was and the changes stay pending.
  void UpdateFile();

  // The file's text as it would be written now (for tests and diagnostics).
  std::string Text() const;

 private:
  struct Change {
    std::string section;
    std::string key;
    std::string value;
  };

  static void Parse(std::string_view text, std::vector<std::string>* lines, bool* crlf);
  static void Apply(const Change& change, std::vector<std::string>* lines);
  static std::string Join(const std::vector<std::string>& lines, bool crlf);
  const std::string* FindValueLine(std::string_view section, std::string_view key) const;

  std::string path_;
  std::vector<std::string> lines_;  // current view: the file as read plus the pending changes
  bool crlf_;                       // keep the file's own line ends
  std::vector<Change> pending_;
};

}  // namespace kivo
