#include "media/local_copies.h"

#include <utility>

#include "platform/file_path.h"

namespace kivo {
namespace {

// The form under which a name is stored and looked up.
std::string Key(std::string name) {
#ifdef _WIN32
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
#endif
  return name;
}

// Whether a file of |bytes| could be the one a listing shows rounded as |estimate|: "4.1M" stands
// for anything within a tenth of a unit, "190K" for anything within a unit, so within a tenth
// of the size (and a kilobyte for the smallest) is the last place the rounding can reach.
bool FitsRounded(std::uint64_t bytes, std::uint64_t estimate) {
  const std::uint64_t gap = bytes > estimate ? bytes - estimate : estimate - bytes;
  return gap <= estimate / 10 + 1024;
}

}  // namespace

std::string NameVariant(const std::string& name, int n) {
  if (n == 0) return name;
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
  return stem + "-" + std::to_string(n) + ext;
}

LocalCopies::LocalCopies(std::filesystem::path download_folder)
    : root_(std::move(download_folder)) {}

const std::unordered_set<std::string>& LocalCopies::NamesIn(const std::string& folder) {
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    std::unordered_set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(root_ / PathFromUtf8(folder), error), end;
         !error && entry != end; entry.increment(error)) {
      names.insert(Key(Utf8FromPath(entry->path().filename())));
    }
    it = folders_.emplace(folder, std::move(names)).first;
  }
  return it->second;
}

LocalMatch LocalCopies::Find(const std::string& folder, const ListingEntry& file) {
  const std::unordered_set<std::string>& names = NamesIn(folder);
  bool unsure = false;
  for (int n = 0; n <= kMaxNameVariants; ++n) {
    const std::string name = NameVariant(file.name, n);
    if (names.count(Key(name)) == 0) break;
    std::error_code error;
    const std::filesystem::path path = root_ / PathFromUtf8(folder) / PathFromUtf8(name);
    if (!std::filesystem::is_regular_file(path, error)) continue;
    const std::uint64_t bytes = std::filesystem::file_size(path, error);
    if (error) continue;
    if (!file.has_size) {
      unsure = true;
    } else if (file.size_exact) {
      if (bytes == file.size) return LocalMatch::kHere;
    } else if (FitsRounded(bytes, file.size)) {
      unsure = true;
    }
  }
  return unsure ? LocalMatch::kUnsure : LocalMatch::kMissing;
}

bool LocalCopies::AllHere(const MediaItem& item) {
  if (Find(item.folder, item.file) != LocalMatch::kHere) return false;
  for (const ListingEntry& e : item.companions)
    if (Find(item.folder, e) != LocalMatch::kHere) return false;
  return true;
}

}  // namespace kivo
