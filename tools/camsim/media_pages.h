// The pages of the camera's media server (port 8080): the front page, directory indexes laid out
// like the camera's embedded web server (one table row per entry, spread over tab-indented lines,
// the date three lines below the name at column 21), and the live preview's HLS playlist and
// the names of its segments (the segments themselves: live_stream.h). Pure functions of their
// inputs, loop thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "camera_clock.h"

namespace kivo::camsim {

inline constexpr int kLiveSegments = 16;  // amba_hls-1.ts ... amba_hls-16.ts, reused in turn

struct IndexEntry {
  std::string name;  // a folder's name ends with "/"
  CivilTime date;
  uint64_t size = 0;
  std::string raw_date;  // shown instead of |date| when not empty (hostile listings)
};

std::string IndexPage(std::string_view path, const std::vector<IndexEntry>& entries);

struct FrontPageInfo {
  std::string_view model;
  std::string_view camera_name;
  bool camera_on = false;
  bool streaming = false;
  std::string clock;
  int photos = 0;
  int videos = 0;
};
std::string FrontPage(const FrontPageInfo& info);

// The playlist at |sequence| names the three segments sequence, +1, +2 (modulo the ring).
std::string LivePlaylist(int64_t sequence);
std::string LiveSegmentName(int64_t sequence);
// The stream second that the ring's segment |name| stands for near stream second |sequence|;
// -1 when |name| is not one of the ring's.
int64_t LiveSegmentSequence(std::string_view name, int64_t sequence);

// "190K"-style size as the index shows it: number and unit.
std::pair<std::string, std::string> SizeCell(uint64_t bytes);

}  // namespace kivo::camsim
