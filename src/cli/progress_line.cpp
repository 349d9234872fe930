#include "cli/progress_line.h"

#include "media/media_catalog.h"

namespace kivo {

std::string ProgressLineText(const ProgressView& v) {
  std::string line = "[" + std::to_string(v.file + 1) + "/" + std::to_string(v.files) + "] " +
                     v.name + "  " + SizeText(v.done);
  if (v.total > 0) {
    const std::uint64_t done = v.done < v.total ? v.done : v.total;
    line += " of " + SizeText(v.total) + " (" + std::to_string(done * 100 / v.total) + "%)";
  }
  if (v.bytes_per_second > 0)
    line += "  " + SizeText(static_cast<std::uint64_t>(v.bytes_per_second)) + "/s";
  if (v.seconds_left >= 0) line += "  " + DurationText(v.seconds_left) + " left";
  return line;
}

std::string OverwriteLine(const std::string& line, std::size_t previous_length) {
  std::string out = "\r" + line;
  if (previous_length > line.size()) out.append(previous_length - line.size(), ' ');
  return out;
}

}  // namespace kivo
