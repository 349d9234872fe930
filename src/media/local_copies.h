// Which of the card's files are already in the download folder. A camera file is here when the
// download folder's counterpart of its camera folder holds a file of its name, or of a name a
// download of another file of that name took ("GOPR0001-1.JPG", "GOPR0001-2.JPG"...), with
// exactly the camera's size: a name alone proves nothing once a card was formatted or a second
// camera used. A card of 10,000 files asked one file at a time costs 10,000 look-ups on the
// window's thread; here each folder is read once, on the first question about it, and only the
// files whose name fits are measured. Names compare as the file system compares them: exactly
// on Linux, ignoring ASCII case on Windows. Plain type; one thread.
#pragma once

#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "media/media_catalog.h"

namespace kivo {

// The names a camera file may have here: |name| itself (n == 0), then "GOPR0001-1.JPG" and on.
inline constexpr int kMaxNameVariants = 999;
std::string NameVariant(const std::string& name, int n);

enum class LocalMatch {
  kMissing,  // nothing here can be this file: it is new
  kHere,     // a file of its name, or of one of its variants, has exactly the camera's size
  kUnsure,   // the listing gave the size rounded (or not at all) and a file here fits it: only
             // the camera's exact size can tell (the download engine asks for it)
};

class LocalCopies {
 public:
  explicit LocalCopies(std::filesystem::path download_folder);

  // Looks at |folder|/NAME, then NAME-1, NAME-2... up to the first name that is not there, as
  // the download engine picks the name of a new copy. A folder that is missing or cannot be
  // read holds nothing.
  LocalMatch Find(const std::string& folder, const ListingEntry& file);
  // Whether the item's file and each of its companions is here for certain: an item that is
  // not new.
  bool AllHere(const MediaItem& item);

 private:
  const std::unordered_set<std::string>& NamesIn(const std::string& folder);

  std::filesystem::path root_;
  std::unordered_map<std::string, std::unordered_set<std::string>> folders_;
};

}  // namespace kivo
