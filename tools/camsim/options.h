// Command line of kivo-camsim: the simulated camera's addresses, ports, model, starting state,
// faults, and the files it writes. Parsed once in main().
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "camera_state.h"
#include "kivo_version.h"

namespace kivo::camsim {

struct Endpoint {
  std::string address;
  uint16_t port = 0;
};

struct Options {
  std::string address = "10.5.5.9";
  uint16_t command_port = 80;
  uint16_t media_port = 8080;
  std::optional<Endpoint> service;
  Endpoint control{"127.0.0.1", 0};
  std::string password = "cameralnk";
  std::string service_version = kivo::kProgramVersion;  // "no newer version"
  std::string reports_file;
  std::string log_file;
  std::string ports_file;
  std::vector<std::string> faults;  // each "NAME [MS] [SCOPE]"
  CameraConfig camera;
  std::string listing = "default";     // directory-index layout: default, table or old
  std::string media_root = "/videos/";  // where the card's folders are served
  // Files put on the card at start: photos (with an Exif thumbnail) and large generated videos.
  int fill_photos = 0;
  int fill_videos = 0;
  uint64_t fill_video_bytes = 0;
  bool help = false;
  // Client mode: send these words to the control port at control_target.
  std::string control_target;
  std::vector<std::string> control_words;
};

// Fills |options|; returns an error text on bad input.
std::optional<std::string> ParseOptions(int argc, char** argv, Options* options);
bool ParseEndpoint(const std::string& text, Endpoint* endpoint);
std::string HelpText();

}  // namespace kivo::camsim
