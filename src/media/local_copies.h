// Which of the card's files are already in the download folder. A card of 10,000 files asked
// one file at a time costs 10,000 look-ups on the window's thread; here each camera folder's
// counterpart under the download folder is read once, on the first question about it, and
// every later question is a look-up in memory. Names compare as the file system compares them:
// exactly on Linux, ignoring ASCII case on Windows. Plain type; one thread.
#pragma once

#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace kivo {

class LocalCopies {
 public:
  explicit LocalCopies(std::filesystem::path download_folder);

  // Whether download_folder/|folder|/|name| exists (a file or anything else of that name).
  // A folder that is missing or cannot be read holds nothing.
  bool Has(const std::string& folder, const std::string& name);

 private:
  std::filesystem::path root_;
  std::unordered_map<std::string, std::unordered_set<std::string>> folders_;
};

}  // namespace kivo
