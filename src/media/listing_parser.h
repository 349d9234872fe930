// Reads the directory indexes the camera's media server sends (port 8080) into a list of
// entries: the table layout of later firmware (icon cell, link, "DD-Mon-YYYY HH:MM", "4.1M"),
// the older one without dates and with absolute links, and the default one of this family.
// What arrives over the camera's network is untrusted: a page that is not an index, or one cut
// short, gives a message and no list. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

struct ListingEntry {
  std::string name;        // the entry's own name, no slashes ("GOPR0001.JPG", "100GOPRO")
  bool is_folder = false;  // the link ended with "/"
  bool has_date = false;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  bool has_size = false;
  std::uint64_t size = 0;  // bytes; estimated from "4.1M" when the listing gives units
  bool size_exact = false; // the listing gave the size in bytes
};

struct ListingResult {
  bool ok = false;
  std::string error;  // why there is no list (ok false)
  std::vector<ListingEntry> entries;
};

// Texts of the failures, shown to the user.
inline constexpr char kListingNotIndex[] =
    "The camera sent a page that is not a file list Kivo can read";
inline constexpr char kListingTruncated[] = "The camera's file list arrived incomplete";

// |page| is the whole reply body for the directory at |dir_path| ("/videos/DCIM/100GOPRO/").
// Entries whose link leads anywhere but straight into that directory (the parent, sort links,
// icons, other hosts) are left out, as are names with characters outside letters, digits,
// "_", "-" and ".".
ListingResult ParseListing(std::string_view page, std::string_view dir_path);

// "190K" -> 194560, "4.1M", "1.2G", "512", "90B"; false when |text| is not a size.
bool ParseSizeText(std::string_view text, std::uint64_t* bytes, bool* exact);

// True when |name| may be used as a path element: 1-64 characters from letters, digits, "_",
// "-" and ".", not starting with "." (so never "." or ".."), no "/" or "\\" or blank.
bool IsSafeEntryName(std::string_view name);

}  // namespace kivo
