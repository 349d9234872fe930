#include "media_layouts.h"

#include <cstdio>

namespace kivo::camsim {
namespace {

std::string_view IconOf(const IndexEntry& e) {
  if (e.name.ends_with('/')) return "folder.gif\" alt=\"[DIR]";
  if (e.name.ends_with(".JPG")) return "image2.gif\" alt=\"[IMG]";
  if (e.name.ends_with(".MP4") || e.name.ends_with(".LRV")) return "movie.gif\" alt=\"[VID]";
  return "unknown.gif\" alt=\"[   ]";
}

std::string ParentOf(std::string_view path) {
  std::string parent(path);
  if (parent.size() > 1) parent.pop_back();
  parent.erase(parent.rfind('/') + 1);
  return parent;
}

}  // namespace

std::optional<ListingStyle> ParseListingStyle(std::string_view name) {
  if (name == "default") return ListingStyle::kDefault;
  if (name == "table") return ListingStyle::kTable;
  if (name == "old") return ListingStyle::kOld;
  return std::nullopt;
}

std::string ShortSize(uint64_t bytes) {
  constexpr const char* kUnits = "KMG";
  if (bytes < 1024) return std::to_string(bytes);
  double value = static_cast<double>(bytes) / 1024.0;
  int unit = 0;
  while (value >= 1024.0 && unit < 2) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  if (value < 10.0) {
    std::snprintf(text, sizeof text, "%.1f%c", value, kUnits[unit]);
  } else {
    std::snprintf(text, sizeof text, "%.0f%c", value, kUnits[unit]);
  }
  return text;
}

std::string TableIndexPage(std::string_view path, const std::vector<IndexEntry>& entries) {
  std::string page = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n<html>\n <head>\n"
                     "  <title>Index of ";
  page += path;
  page += "</title>\n </head>\n <body>\n<h1>Index of ";
  page += path;
  page += "</h1>\n  <table>\n   <tr><th valign=\"top\"><img src=\"/icons/blank.gif\" "
          "alt=\"[ICO]\"></th><th><a href=\"?C=N;O=D\">Name</a></th><th><a href=\"?C=M;O=A\">"
          "Last modified</a></th><th><a href=\"?C=S;O=A\">Size</a></th></tr>\n"
          "   <tr><th colspan=\"4\"><hr></th></tr>\n";
  page += "<tr><td valign=\"top\"><img src=\"/icons/back.gif\" alt=\"[PARENTDIR]\"></td><td><a "
          "href=\"" + ParentOf(path) + "\">Parent Directory</a></td><td>&nbsp;</td><td "
          "align=\"right\">  - </td></tr>\n";
  for (const IndexEntry& e : entries) {
    page += "<tr><td valign=\"top\"><img src=\"/icons/";
    page += IconOf(e);
    page += "\"></td><td><a href=\"" + e.name + "\">" + e.name + "</a></td><td align=\"right\">" +
            FormatListingDate(e.date) + "  </td><td align=\"right\">" +
            (e.name.ends_with('/') ? std::string("  - ") : ShortSize(e.size)) + "</td></tr>\n";
  }
  page += "   <tr><th colspan=\"4\"><hr></th></tr>\n</table>\n</body></html>\n";
  return page;
}

std::string OldIndexPage(std::string_view path, const std::vector<IndexEntry>& entries) {
  std::string page = "<html><head><title>Index of ";
  page += path;
  page += "</title></head><body><h1>Index of ";
  page += path;
  page += "</h1>\n<table border=0>\n<tr><td><a href=\"" + ParentOf(path) +
          "\">Parent Directory</a></td><td></td></tr>\n";
  for (const IndexEntry& e : entries) {
    page += "<tr><td><a href=\"" + std::string(path) + e.name + "\">" + e.name +
            "</a></td><td align=right>" +
            (e.name.ends_with('/') ? std::string("-") : ShortSize(e.size)) + "</td></tr>\n";
  }
  page += "</table></body></html>\n";
  return page;
}

}  // namespace kivo::camsim
