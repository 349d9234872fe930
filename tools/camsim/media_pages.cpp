#include "media_pages.h"

#include <array>
#include <cstdio>

namespace kivo::camsim {
namespace {

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:2em}td{padding:0 1.5em 0 0}"
    "a.link{text-decoration:none}span.unit{color:#888}";

}  // namespace

std::pair<std::string, std::string> SizeCell(uint64_t bytes) {
  if (bytes < 1024) return {std::to_string(bytes), "B"};
  if (bytes < 1024 * 1024) return {std::to_string((bytes + 1023) / 1024), "K"};
  char number[32];
  std::snprintf(number, sizeof number, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return {number, "M"};
}

std::string IndexPage(std::string_view path, const std::vector<IndexEntry>& entries) {
  // Nothing above the rows may mention a file name: the program takes the first ".JPG" it sees.
  std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<title>Index of ";
  page += Escape(path);
  page += "</title>\n<style>";
  page += kStyle;
  page += "</style>\n</head>\n<body>\n<h1>Index of ";
  page += Escape(path);
  page += "</h1>\n<table>\n";
  page += "\t<tr>\n\t<td>\n\t<a class=\"link\" href=\"../\">Parent Directory</a>\n\t</td>\n"
          "\t<td>\n\t</td>\n\t<td>\n\t</td>\n\t</tr>\n";
  for (const IndexEntry& e : entries) {
    const auto [number, unit] = SizeCell(e.size);
    page += "\t<tr>\n";
    page += "\t<td>\n";
    page += "\t<a class=\"link\" href=\"" + Escape(e.name) + "\">" + Escape(e.name) + "</a>\n";
    page += "\t</td>\n";
    page += "\t<td>\n";
    const std::string date = e.raw_date.empty() ? FormatListingDate(e.date) : e.raw_date;
    page += "\t<span class=\"date\">" + date + "</span>\n";
    page += "\t</td>\n";
    page += "\t<td>\n";
    if (e.name.ends_with('/')) {
      page += "\t<span class=\"size\">-</span>\n";
    } else {
      page += "\t<span class=\"size\">" + number + "</span><span class=\"unit\">" + unit +
              "</span>\n";
    }
    page += "\t</td>\n";
    page += "\t</tr>\n";
  }
  page += "</table>\n</body>\n</html>\n";
  return page;
}

std::string FrontPage(const FrontPageInfo& info) {
  std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<title>";
  page += Escape(info.camera_name);
  page += "</title>\n<style>";
  page += kStyle;
  page += "</style>\n</head>\n<body>\n<h1>" + Escape(info.camera_name) + "</h1>\n";
  page += "<p>" + Escape(info.model) + " (simulated by kivo-camsim)</p>\n<ul>\n";
  page += std::string("<li>Camera: ") + (info.camera_on ? "on" : "off") + "</li>\n";
  page += "<li>Camera clock: " + Escape(info.clock) + "</li>\n";
  page += "<li>Photos on the card: " + std::to_string(info.photos) + "</li>\n";
  page += "<li>Videos on the card: " + std::to_string(info.videos) + "</li>\n";
  page += std::string("<li>Live preview: ") + (info.streaming ? "on" : "off") + "</li>\n";
  page += "</ul>\n<p><a href=\"videos/\">Media on the SD card</a></p>\n";
  if (info.streaming) {
    page += "<p><a href=\"live/amba.m3u8\">Live preview stream (HLS)</a></p>\n";
  }
  page += "</body>\n</html>\n";
  return page;
}

std::string LiveSegmentName(int64_t sequence) {
  return "amba_hls-" + std::to_string(sequence % kLiveSegments + 1) + ".ts";
}

int64_t LiveSegmentSequence(std::string_view name, int64_t sequence) {
  for (int64_t k = 0; k < kLiveSegments; ++k) {
    if (name != LiveSegmentName(k)) continue;
    // The one within half a ring of now: a player asks for the segments it was just offered.
    int64_t base = sequence - kLiveSegments / 2;
    int64_t found = base + ((k - base) % kLiveSegments + kLiveSegments) % kLiveSegments;
    return found < 0 ? found + kLiveSegments : found;
  }
  return -1;
}

std::string LivePlaylist(int64_t sequence) {
  std::string list = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n";
  list += "#EXT-X-MEDIA-SEQUENCE:" + std::to_string(sequence) + "\n";
  for (int i = 0; i < 3; ++i) {
    list += "#EXTINF:1.0,\n" + LiveSegmentName(sequence + i) + "\n";
  }
  return list;
}

}  // namespace kivo::camsim
