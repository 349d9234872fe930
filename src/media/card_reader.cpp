#include "media/card_reader.h"

#include <algorithm>
#include <iterator>

namespace kivo {
namespace {

// A page beyond this is not a camera folder's index; reading stops there.
constexpr std::size_t kMaxListingBytes = 8 * 1024 * 1024;

}  // namespace

bool IsCameraFolder(const std::string& name) {
  if (name.size() != 8) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool digit = c >= '0' && c <= '9';
    if (i < 3 ? !digit : !(digit || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

CardReader::CardReader(EventLoop& loop) : http_(loop) {
  http_.OnDocData = [this](THttpCli& c, const char* data, int len) {
    body_.append(data, static_cast<std::size_t>(len));
    if (body_.size() > kMaxListingBytes) c.Abort();
  };
  http_.OnRequestDone = [this](THttpCli&, THttpRequest, std::uint16_t error) {
    ListingDone(error);
  };
}

void CardReader::Start(std::string base_url) {
  if (busy_) return;
  busy_ = true;
  base_url_ = std::move(base_url);
  listing_ = CardListing{};
  folders_.clear();
  root_index_ = 0;
  empty_root_.clear();
  listing_.root = kMediaRoots[0];
  Get(listing_.root);
}

void CardReader::Get(const std::string& path) {
  body_.clear();
  http_.URL = base_url_ + path;
  http_.GetASync();
}

void CardReader::ListingDone(std::uint16_t error) {
  const bool root = folders_.empty();
  const std::string path = root ? listing_.root : listing_.root + folders_[folder_index_] + "/";
  if (error != 0 && error != kHttpErrorAborted && root && http_.StatusCode() != 200) {
    // Nobody answers at all: trying other paths would only say the same.
    Finish(false, kCardCannotReach + std::to_string(error) + ")");
    return;
  }
  ListingResult result;
  if (http_.StatusCode() == 200 && error == 0) {
    result = ParseListing(body_, path);
  } else if (error != 0) {
    result.error = kCardCannotReach + std::to_string(error) + ")";
  } else {
    result.error = "HTTP " + std::to_string(http_.StatusCode()) + " " + path;
  }
  root ? RootDone(result) : FolderDone(result);
}

void CardReader::RootDone(const ListingResult& result) {
  for (const ListingEntry& e : result.entries) {
    if (e.is_folder && IsCameraFolder(e.name)) folders_.push_back(e.name);
  }
  if (folders_.empty()) {
    // A readable page without a camera folder is either another root of the server or a card
    // the camera has not written to yet (a freshly formatted one has no 100GOPRO); only when
    // no root has a folder is it the latter.
    if (result.ok && empty_root_.empty()) empty_root_ = listing_.root;
    if (++root_index_ < std::size(kMediaRoots)) {
      listing_.root = kMediaRoots[root_index_];
      Get(listing_.root);
      return;
    }
    if (!empty_root_.empty()) {
      listing_.root = empty_root_;
      Finish(true, "");
      return;
    }
    Finish(false, result.error);
    return;
  }
  std::sort(folders_.begin(), folders_.end());
  folder_index_ = 0;
  Get(listing_.root + folders_[0] + "/");
}

void CardReader::FolderDone(const ListingResult& result) {
  if (!result.ok) {
    // One unreadable folder must not hide the others; say which and go on.
    if (listing_.note.empty()) listing_.note = folders_[folder_index_] + ": " + result.error;
  } else {
    std::vector<MediaItem> items = GroupMedia(folders_[folder_index_], result.entries);
    listing_.items.insert(listing_.items.end(), items.begin(), items.end());
  }
  if (++folder_index_ < folders_.size()) {
    Get(listing_.root + folders_[folder_index_] + "/");
    return;
  }
  SortNewestFirst(listing_.items);
  Finish(true, "");
}

void CardReader::Finish(bool ok, std::string error) {
  busy_ = false;
  folders_.clear();
  listing_.ok = ok;
  listing_.error = std::move(error);
  // OnRequestDone already comes from the loop, so this never runs inside Start().
  if (OnDone) OnDone(listing_);
}

}  // namespace kivo
