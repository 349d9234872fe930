// What the simulated camera answers on its two ports: the status records and commands on the
// command port, and the front page, SD card indexes, files, clock header and live preview on the
// media port. Record-level faults (short or text records, refused password) and hostile media
// are applied here.
// Loop thread only.
#pragma once

#include <string>

#include "camera_state.h"
#include "faults.h"
#include "http_message.h"
#include "media_layouts.h"

namespace kivo::camsim {

class CameraRoutes {
 public:
  CameraRoutes(CameraState& state, std::string password)
      : state_(state), password_(std::move(password)) {}

  const std::string& password() const { return password_; }
  void set_password(std::string password) { password_ = std::move(password); }

  HttpResponse CommandPort(const HttpRequest& request, const Fault& fault);
  HttpResponse MediaPort(const HttpRequest& request, const Fault& fault = {});
  // Directory-index layout and where the card's folders are served ("/videos/" by default,
  // "/videos/DCIM/" or "/DCIM/" on other firmware).
  void SetListing(ListingStyle style, std::string media_root) {
    style_ = style;
    media_root_ = std::move(media_root);
  }

 private:
  HttpResponse Binary(int status, std::string body) const;
  HttpResponse MediaReply(int status, std::string content_type, std::string body,
                          bool head) const;
  HttpResponse FolderIndex(const std::string& folder, const std::string& query, bool head,
                           bool hostile);
  std::string Index(const std::string& path, const std::vector<IndexEntry>& entries) const;
  HttpResponse FileReply(const MediaFile& file, const HttpRequest& request, bool head,
                         bool hostile) const;

  CameraState& state_;
  std::string password_;
  ListingStyle style_ = ListingStyle::kDefault;
  std::string media_root_ = "/videos/";
};

}  // namespace kivo::camsim
