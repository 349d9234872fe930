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

namespace kivo::camsim {

class CameraRoutes {
 public:
  CameraRoutes(CameraState& state, std::string password)
      : state_(state), password_(std::move(password)) {}

  const std::string& password() const { return password_; }
  void set_password(std::string password) { password_ = std::move(password); }

  HttpResponse CommandPort(const HttpRequest& request, const Fault& fault);
  HttpResponse MediaPort(const HttpRequest& request, const Fault& fault = {});

 private:
  HttpResponse Binary(int status, std::string body) const;
  HttpResponse MediaReply(int status, std::string content_type, std::string body,
                          bool head) const;
  HttpResponse FolderIndex(const std::string& folder, const std::string& query, bool head,
                           bool hostile);

  CameraState& state_;
  std::string password_;
};

}  // namespace kivo::camsim
