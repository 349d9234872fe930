// A private-profile settings file ("Kivo.ini"): "[Section]" lines followed by "Key=Value" lines.
// One object per use (open, read or write, UpdateFile, drop); not thread-safe, no callbacks.
// Comments, blank lines and keys the program does not know are kept exactly as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"

namespace kivo {

// A UTF-8 byte-order mark at the start of the file is skipped when reading and written back.
// Section and key names are matched without regard to ASCII case. A missing file, section or
// key reads as the default, and so does an integer that is not plain decimal. Booleans are
// written "1"/"0"; any integer other than 0 reads as true. Values are read with surrounding
// blanks removed and one pair of enclosing quotes stripped.
//
// Writes change the object at once (reads see them) and reach the disk in UpdateFile(), which
// applies them to the file as it is on disk at that moment (so another writer's keys in the same
// file are kept) and replaces it atomically. Time and memory are linear in the file's size: the
// text is held once, as read, with an index of its sections. An existing key keeps its place; a new key goes at
// the end of its section, a new section at the end of the file.
class IniFile {
 public:
  // Reads |path| now. A file that is missing or unreadable gives an empty profile.
  explicit IniFile(std::string path);
  // Writes changes that UpdateFile() was never asked to write; a failure is reported on standard
  // error, since a destructor cannot throw. After UpdateFile() (which reports its own failure)
  // the destructor writes nothing.
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

  // Whether the file is there but gives no settings: it cannot be read, or it holds text without
  // a single "[Section]" line (binary data, a file of another kind). Every read gives its default.
  bool Unusable() const;
  // Whether |path| is a file nobody may write (every write permission removed): it was made
  // read-only on purpose, and UpdateFile() leaves it alone (saying so on standard error).
  static bool ReadOnly(const std::string& path);

  // True while there are writes not yet on disk.
  bool Modified() const { return !pending_.empty(); }

  // Writes the pending changes to disk in one pass over the file's text. The text read at
  // construction is used unless the file changed on disk since (then it is read again). Throws
  // FileWriteError when the file cannot be replaced; the old file is then left as it was and the
  // changes stay pending.
  void UpdateFile();

  // The file's text as it would be written now (for tests and diagnostics).
  std::string Text() const;

 private:
  struct Change {
    std::string section;
    std::string key;
    std::string value;
  };
  // Byte offsets into text_: a section's header line, and the end of its last line.
  struct Section {
    std::size_t header;
    std::size_t end;
  };
  struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };

  static Stamp StampOf(const std::string& path);
  void Load();
  void IndexSections() const;
  const Section* FindSection(std::string_view section) const;
  const Change* FindPending(std::string_view section, std::string_view key) const;
  bool FindInFile(std::string_view section, std::string_view key, std::string_view* raw) const;
  // text_ with the pending changes applied, every line ended the file's way.
  std::string Render() const;

  std::string path_;
  std::string text_;  // the file as read (or as last written)
  Stamp stamp_;       // of the file text_ came from
  bool crlf_;         // keep the file's own line ends
  bool bom_ = false;  // the file starts with a UTF-8 byte-order mark (not part of text_)
  bool unreadable_ = false;  // the file exists but could not be read
  mutable bool indexed_ = false;
  mutable std::vector<Section> sections_;
  std::vector<Change> pending_;  // one per key, in the order first written
  bool update_asked_ = false;
};

}  // namespace kivo
