// Other directory-index layouts that cameras of this family serve, for trying the program's
// listing reader: a table with an icon cell, link, "DD-Mon-YYYY HH:MM" date and sizes such as
// "190K" / "4.1M" / "1.2G" (later firmware), and an older one without a date column whose links
// are absolute paths. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "media_pages.h"

namespace kivo::camsim {

enum class ListingStyle { kDefault, kTable, kOld };

std::optional<ListingStyle> ParseListingStyle(std::string_view name);
// "190K", "4.1M", "1.2G", "512" — the size column of the table layouts.
std::string ShortSize(uint64_t bytes);
// |path| is the directory's own path ("/videos/DCIM/100GOPRO/").
std::string TableIndexPage(std::string_view path, const std::vector<IndexEntry>& entries);
std::string OldIndexPage(std::string_view path, const std::vector<IndexEntry>& entries);

}  // namespace kivo::camsim
