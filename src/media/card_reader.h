// CardReader: reads every file on the camera's card from its media server (port 8080): finds the
// media root the firmware uses, lists each camera folder ("100GOPRO", "101GOPRO"...) in turn and
// hands back the files grouped and newest first (none for a card the camera has not written to
// yet: an empty list, not a failure). Loop thread only; OnDone runs from the loop,
// never inside Start().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/media_catalog.h"
#include "net/http_cli.h"

namespace kivo {

// Where the card's folders may be served, tried in this order (later and earlier firmware, then
// the path the window's single-photo download uses).
inline constexpr const char* kMediaRoots[] = {"/videos/DCIM/", "/DCIM/", "/videos/"};

inline constexpr char kCardCannotReach[] = "Cannot read the camera's card (error ";

// A camera folder: three digits and five letters or digits ("100GOPRO").
bool IsCameraFolder(const std::string& name);

struct CardListing {
  bool ok = false;
  std::string error;             // why there is no list (ok false)
  std::string note;              // the first folder that could not be read, with why
  std::string root;              // the media root in use, e.g. "/videos/DCIM/"
  std::vector<MediaItem> items;  // newest first
};

class CardReader {
 public:
  explicit CardReader(EventLoop& loop);
  CardReader(const CardReader&) = delete;
  CardReader& operator=(const CardReader&) = delete;

  // |base_url| is "http://ADDRESS:8080". Ignored while a reading is under way.
  void Start(std::string base_url);
  bool Busy() const { return busy_; }
  // The network interface the listing is read through (THttpCli::BindInterface); "" = any.
  void SetBindInterface(const std::string& name) { http_.BindInterface = name; }
  std::function<void(const CardListing&)> OnDone;

 private:
  void Get(const std::string& path);
  void ListingDone(std::uint16_t error);
  void RootDone(const ListingResult& result);
  void FolderDone(const ListingResult& result);
  void Finish(bool ok, std::string error);

  THttpCli http_;
  std::string base_url_;
  std::string body_;
  bool busy_ = false;
  std::size_t root_index_ = 0;
  std::string empty_root_;  // the first root whose page was an index without camera folders
  std::vector<std::string> folders_;
  std::size_t folder_index_ = 0;
  CardListing listing_;
};

}  // namespace kivo
