// The one-line progress of kivo-cli's downloads on a terminal: which file of how many, bytes,
// rate and time left. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kivo {

struct ProgressView {
  std::string name;          // "100GOPRO/GOPR0001.MP4"
  std::size_t file = 0;      // 0-based index of the file
  std::size_t files = 0;     // how many in the batch
  std::uint64_t done = 0;    // bytes of this file on disk
  std::uint64_t total = 0;   // its length (0: not known yet)
  double bytes_per_second = 0;  // 0: no rate yet
  double seconds_left = -1;     // of the batch; negative: not known yet
};

// "[2/4] 100GOPRO/GOPR0002.MP4  12.0 MB of 256 MB (4%)  40.1 MB/s  6 s left"; the parts not
// known yet are left out.
std::string ProgressLineText(const ProgressView& view);

// What to write to the terminal to replace a line of |previous_length| characters by |line|:
// a carriage return, the line, and blanks over what is left of the previous one.
std::string OverwriteLine(const std::string& line, std::size_t previous_length);

}  // namespace kivo
