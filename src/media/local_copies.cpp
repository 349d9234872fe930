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

}  // namespace

LocalCopies::LocalCopies(std::filesystem::path download_folder)
    : root_(std::move(download_folder)) {}

bool LocalCopies::Has(const std::string& folder, const std::string& name) {
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
  return it->second.count(Key(name)) != 0;
}

}  // namespace kivo
