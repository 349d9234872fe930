#include "platform/ini_file.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>
#include <stdexcept>
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// "[Name]" (blanks allowed around and inside the brackets) gives Name.
bool SectionHeader(std::string_view line, std::string_view* name) {
  const std::string_view text = Trim(line);
  if (text.empty() || text.front() != '[') return false;
  const size_t close = text.find(']');
  if (close == std::string_view::npos) return false;
  *name = Trim(text.substr(1, close - 1));
  return true;
}

// "Key=Value" gives Key and the raw text after "=". Comments and lines without "=" are not keys.
bool KeyLine(std::string_view line, std::string_view* key, std::string_view* raw_value) {
  const std::string_view text = Trim(line);
  if (text.empty() || text.front() == ';' || text.front() == '#' || text.front() == '[') {
    return false;
  }
  const size_t eq = text.find('=');
  if (eq == std::string_view::npos) return false;
  *key = Trim(text.substr(0, eq));
  *raw_value = text.substr(eq + 1);
  return !key->empty();
}

std::string_view CleanValue(std::string_view raw) {
  std::string_view value = Trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// Index of the first header line of |section|, or lines.size().
size_t FindSection(const std::vector<std::string>& lines, std::string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionHeader(lines[i], &name) && SameName(name, section)) return i;
  }
  return lines.size();
}

// Index of the next header after |header|, or lines.size().
size_t SectionEnd(const std::vector<std::string>& lines, size_t header) {
  for (size_t i = header + 1; i < lines.size(); ++i) {
    std::string_view name;
    if (SectionHeader(lines[i], &name)) return i;
  }
  return lines.size();
}

void CheckName(std::string_view what, std::string_view name) {
  if (Trim(name).empty() || name.find_first_of("]=\r\n") != std::string_view::npos ||
      (what == "key" && (name.front() == ';' || name.front() == '#' || name.front() == '['))) {
    throw std::invalid_argument("unusable INI " + std::string(what) + " name \"" +
                                std::string(name) + "\"");
  }
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)), crlf_(NewTextFilesUseCrlf()) {
  std::string text;
  if (ReadWholeFile(path_, &text)) Parse(text, &lines_, &crlf_);
}

IniFile::~IniFile() {
  if (pending_.empty()) return;
  try {
    UpdateFile();
  } catch (const std::exception& error) {
    std::cerr << "Kivo: settings not saved: " << error.what() << '\n';
  }
}

void IniFile::Parse(std::string_view text, std::vector<std::string>* lines, bool* crlf) {
  lines->clear();
  // A file without any line end yet gets the system's own.
  *crlf = text.find('\n') == std::string_view::npos ? NewTextFilesUseCrlf()
                                                     : text.find("\r\n") != std::string_view::npos;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines->emplace_back(line);
    start = end + 1;
  }
}

std::string IniFile::Join(const std::vector<std::string>& lines, bool crlf) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += crlf ? "\r\n" : "\n";
  }
  return text;
}

std::string IniFile::Text() const { return Join(lines_, crlf_); }

const std::string* IniFile::FindValueLine(std::string_view section, std::string_view key) const {
  const size_t header = FindSection(lines_, section);
  if (header == lines_.size()) return nullptr;
  const size_t end = SectionEnd(lines_, header);
  for (size_t i = header + 1; i < end; ++i) {
    std::string_view name, raw;
    if (KeyLine(lines_[i], &name, &raw) && SameName(name, key)) return &lines_[i];
  }
  return nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  const std::string* line = FindValueLine(section, key);
  if (line == nullptr) return std::string(default_value);
  std::string_view name, raw;
  KeyLine(*line, &name, &raw);
  return std::string(CleanValue(raw));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key,
                         int default_value) const {
  const std::string text = ReadString(section, key, "");
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits.front() == '-') return default_value;
  }
  if (digits.empty() || digits.front() == '+') return default_value;
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return default_value;
  return value;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(lines_, section) != lines_.size();
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindValueLine(section, key) != nullptr;
}

void IniFile::Apply(const Change& change, std::vector<std::string>* lines) {
  const std::string new_line = change.key + "=" + change.value;
  const size_t header = FindSection(*lines, change.section);
  if (header == lines->size()) {
    lines->push_back("[" + change.section + "]");
    lines->push_back(new_line);
    return;
  }
  const size_t end = SectionEnd(*lines, header);
  size_t last_key = header;
  for (size_t i = header + 1; i < end; ++i) {
    std::string_view name, raw;
    if (!KeyLine((*lines)[i], &name, &raw)) continue;
    if (SameName(name, change.key)) {
      // Keep the key as the file spells it; only the value changes.
      (*lines)[i] = std::string(name) + "=" + change.value;
      return;
    }
    last_key = i;
  }
  // After the section's last key, so comments that lead into the next section stay with it.
  lines->insert(lines->begin() + static_cast<std::ptrdiff_t>(last_key + 1), new_line);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckName("section", section);
  CheckName("key", key);
  Change change{std::string(Trim(section)), std::string(Trim(key)), std::string(value)};
  for (char& c : change.value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  Apply(change, &lines_);
  pending_.push_back(std::move(change));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

namespace {

// A file nobody may write (every write permission removed) was made read-only on purpose: it is
// left as it is, and that is said once per file and process.
bool IsReadOnlyFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(PathFromUtf8(path), error);
  if (error || !fs::is_regular_file(status)) return false;
  constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & kAnyWrite) == fs::perms::none;
}

void TellReadOnlyOnce(const std::string& path) {
  static std::mutex mutex;
  static std::set<std::string> told;
  std::lock_guard<std::mutex> lock(mutex);
  if (told.insert(path).second)
    std::cerr << "Kivo: " << path << " is read-only; settings are not saved to it\n";
}

}  // namespace

void IniFile::UpdateFile() {
  if (pending_.empty()) return;
  if (IsReadOnlyFile(path_)) {
    TellReadOnlyOnce(path_);
    pending_.clear();
    return;
  }
  // Start from the file as it is now, so keys written meanwhile by someone else survive.
  std::vector<std::string> lines;
  bool crlf = crlf_;
  std::string text;
  if (ReadWholeFile(path_, &text)) {
    Parse(text, &lines, &crlf);
  } else {
    crlf = NewTextFilesUseCrlf();
  }
  for (const Change& change : pending_) Apply(change, &lines);
  WriteFileAtomically(path_, Join(lines, crlf));
  lines_ = std::move(lines);
  crlf_ = crlf;
  pending_.clear();
}

}  // namespace kivo
