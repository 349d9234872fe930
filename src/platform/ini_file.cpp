#include "platform/ini_file.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>
#include <stdexcept>
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr std::string_view kBlanks = " \t";
// Notepad and other Windows editors start a UTF-8 file with this mark. It is not part of the
// first line: read as text it would hide the first section's header.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

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

// One line of a text: [begin, end) without its line end (LF or CR LF); next is where the
// following line starts.
struct Line {
  std::size_t begin, end, next;
};

Line LineAt(std::string_view text, std::size_t begin) {
  std::size_t end = text.find('\n', begin);
  const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
  if (end == std::string_view::npos) end = text.size();
  if (end > begin && text[end - 1] == '\r') --end;
  return {begin, end, next};
}

std::string Lowered(std::string_view name) {
  std::string lowered(name);
  for (char& c : lowered) c = Lower(c);
  return lowered;
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
  Load();
}

IniFile::~IniFile() {
  if (pending_.empty() || update_asked_) return;
  try {
    UpdateFile();
  } catch (const std::exception& error) {
    std::cerr << "Kivo: settings not saved: " << error.what() << '\n';
  }
}

IniFile::Stamp IniFile::StampOf(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path file(std::u8string(path.begin(), path.end()));
  std::error_code error;
  Stamp stamp;
  stamp.size = fs::file_size(file, error);
  if (error) return {};
  const auto modified = fs::last_write_time(file, error);
  if (error) return {};
  stamp.exists = true;
  stamp.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
  return stamp;
}

void IniFile::Load() {
  stamp_ = StampOf(path_);
  text_.clear();
  const bool read = ReadWholeFile(path_, &text_);
  std::error_code missing;
  unreadable_ = !read && std::filesystem::exists(PathFromUtf8(path_), missing);
  if (!read) text_.clear();
  // The mark is kept aside and written back in front of the text, so the file stays as its
  // editor made it.
  bom_ = text_.starts_with(kUtf8Bom);
  if (bom_) text_.erase(0, kUtf8Bom.size());
  if (!read) {
    stamp_ = {};
    crlf_ = NewTextFilesUseCrlf();
  } else if (text_.find('\n') == std::string::npos) {
    crlf_ = NewTextFilesUseCrlf();  // no line end yet: the system's own
  } else {
    crlf_ = text_.find("\r\n") != std::string::npos;
  }
  indexed_ = false;
  sections_.clear();
}

void IniFile::IndexSections() const {
  if (indexed_) return;
  sections_.clear();
  const std::string_view text = text_;
  for (std::size_t at = 0; at < text.size();) {
    const Line line = LineAt(text, at);
    std::string_view name;
    if (SectionHeader(text.substr(line.begin, line.end - line.begin), &name)) {
      if (!sections_.empty()) sections_.back().end = line.begin;
      sections_.push_back({line.begin, text.size()});
    }
    at = line.next;
  }
  sections_.shrink_to_fit();
  indexed_ = true;
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
  IndexSections();
  const std::string_view text = text_;
  for (const Section& s : sections_) {
    const Line header = LineAt(text, s.header);
    std::string_view name;
    SectionHeader(text.substr(header.begin, header.end - header.begin), &name);
    if (SameName(name, section)) return &s;
  }
  return nullptr;
}

const IniFile::Change* IniFile::FindPending(std::string_view section,
                                            std::string_view key) const {
  for (const Change& change : pending_) {
    if (SameName(change.section, Trim(section)) && SameName(change.key, Trim(key))) {
      return &change;
    }
  }
  return nullptr;
}

bool IniFile::FindInFile(std::string_view section, std::string_view key,
                         std::string_view* raw) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return false;
  const std::string_view text = text_;
  for (std::size_t at = LineAt(text, s->header).next; at < s->end;) {
    const Line line = LineAt(text, at);
    std::string_view name;
    if (KeyLine(text.substr(line.begin, line.end - line.begin), &name, raw) &&
        SameName(name, key)) {
      return true;
    }
    at = line.next;
  }
  return false;
}

std::string IniFile::Render() const {
  IndexSections();
  const std::string_view text = text_;
  const std::string_view eol = crlf_ ? "\r\n" : "\n";
  // The section each change goes to: the first one of its name, or a new one at the end.
  constexpr std::size_t kNew = static_cast<std::size_t>(-1);
  std::vector<std::size_t> target(pending_.size(), kNew);
  std::unordered_map<std::string, std::size_t> first_of;  // only the names being written
  for (const Change& change : pending_) first_of.emplace(Lowered(change.section), kNew);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Line header = LineAt(text, sections_[i].header);
    std::string_view name;
    SectionHeader(text.substr(header.begin, header.end - header.begin), &name);
    auto it = first_of.find(Lowered(name));
    if (it != first_of.end() && it->second == kNew) it->second = i;
  }
  std::vector<std::pair<std::size_t, std::size_t>> by_section;  // (section, change), in order
  for (std::size_t c = 0; c < pending_.size(); ++c) {
    target[c] = first_of[Lowered(pending_[c].section)];
    by_section.emplace_back(target[c], c);
  }
  std::stable_sort(by_section.begin(), by_section.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  std::size_t extra = 0;
  for (const Change& change : pending_) extra += change.section.size() + change.key.size() +
                                                 change.value.size() + 8;
  std::string out;
  out.reserve(text.size() + extra + (crlf_ ? text.size() / 16 : 0));
  auto emit = [&](std::size_t begin, std::size_t end) {
    out.append(text, begin, end - begin);
    out += eol;
  };
  auto emit_change = [&](const Change& change, std::string_view key) {
    out += key;
    out += '=';
    out += change.value;
    out += eol;
  };
  std::vector<bool> done(pending_.size(), false);
  const std::size_t body_start = sections_.empty() ? text.size() : sections_.front().header;
  for (std::size_t at = 0; at < body_start;) {  // lines before the first section
    const Line line = LineAt(text, at);
    emit(line.begin, line.end);
    at = line.next;
  }
  auto next = by_section.begin();
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const auto first = next;
    while (next != by_section.end() && next->first == i) ++next;
    const Line header = LineAt(text, sections_[i].header);
    emit(header.begin, header.end);
    std::size_t after_last_key = out.size();
    for (std::size_t at = header.next; at < sections_[i].end;) {
      const Line line = LineAt(text, at);
      at = line.next;
      std::string_view name, raw;
      if (first == next || !KeyLine(text.substr(line.begin, line.end - line.begin), &name, &raw)) {
        emit(line.begin, line.end);
        continue;
      }
      auto match = std::find_if(first, next, [&](const auto& entry) {
        return !done[entry.second] && SameName(name, pending_[entry.second].key);
      });
      if (match == next) {
        emit(line.begin, line.end);
      } else {
        // Keep the key as the file spells it; only the value changes.
        done[match->second] = true;
        emit_change(pending_[match->second], name);
      }
      after_last_key = out.size();
    }
    // New keys go after the section's last key, so comments that lead into the next section
    // stay with it.
    std::string added;
    for (auto it = first; it != next; ++it) {
      if (done[it->second]) continue;
      const Change& change = pending_[it->second];
      added += change.key + "=" + change.value;
      added += eol;
    }
    if (!added.empty()) out.insert(after_last_key, added);
  }
  // Sections the file does not have yet, in the order they were first written.
  for (auto it = next; it != by_section.end();) {
    const std::string lowered = Lowered(pending_[it->second].section);
    out += "[" + pending_[it->second].section + "]";
    out += eol;
    for (std::size_t c = 0; c < pending_.size(); ++c) {
      if (target[c] == kNew && !done[c] && Lowered(pending_[c].section) == lowered) {
        done[c] = true;
        emit_change(pending_[c], pending_[c].key);
      }
    }
    while (it != by_section.end() && done[it->second]) ++it;
  }
  return out;
}

std::string IniFile::Text() const { return bom_ ? std::string(kUtf8Bom) + Render() : Render(); }

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  if (const Change* change = FindPending(section, key)) {
    return std::string(CleanValue(change->value));
  }
  std::string_view raw;
  if (!FindInFile(section, key, &raw)) return std::string(default_value);
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
  for (const Change& change : pending_) {
    if (SameName(change.section, Trim(section))) return true;
  }
  return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  std::string_view raw;
  return FindPending(section, key) != nullptr || FindInFile(section, key, &raw);
}

bool IniFile::Unusable() const {
  if (unreadable_) return true;
  IndexSections();
  if (!sections_.empty()) return false;
  const std::string_view text = text_;
  for (std::size_t at = 0; at < text.size();) {
    const Line line = LineAt(text, at);
    const std::string_view content = Trim(text.substr(line.begin, line.end - line.begin));
    if (!content.empty() && content.front() != ';' && content.front() != '#') return true;
    at = line.next;
  }
  return false;  // empty, or only comments: nothing is wrong with it
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckName("section", section);
  CheckName("key", key);
  std::string clean(value);
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  // A key written again keeps its first place; only the value changes.
  for (Change& change : pending_) {
    if (SameName(change.section, Trim(section)) && SameName(change.key, Trim(key))) {
      change.value = std::move(clean);
      return;
    }
  }
  pending_.push_back({std::string(Trim(section)), std::string(Trim(key)), std::move(clean)});
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

bool IniFile::ReadOnly(const std::string& path) { return IsReadOnlyFile(path); }

void IniFile::UpdateFile() {
  if (pending_.empty()) return;
  update_asked_ = true;
  if (IsReadOnlyFile(path_)) {
    TellReadOnlyOnce(path_);
    pending_.clear();
    return;
  }
  // Another writer changed the file since it was read: start from its text, so their keys
  // survive. Otherwise the text read at the start is the file.
  if (!(StampOf(path_) == stamp_)) Load();
  std::string text = Render();
  WriteFileAtomically(path_, bom_ ? std::string(kUtf8Bom) + text : text);
  text_ = std::move(text);
  stamp_ = StampOf(path_);
  indexed_ = false;
  sections_.clear();
  pending_.clear();
}

}  // namespace kivo
