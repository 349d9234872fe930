// What the Browse window lists: the card's files grouped the way the camera makes them — a
// photo, or a video with its small companion files (".THM" thumbnail, ".LRV" low-resolution
// copy) — sorted newest first across folders. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "media/listing_parser.h"

namespace kivo {

enum class MediaKind { kPhoto, kVideo, kOther };

struct MediaItem {
  std::string folder;                   // "100GOPRO"
  ListingEntry file;                    // the photo, the video, or the other file
  MediaKind kind = MediaKind::kOther;
  std::vector<ListingEntry> companions; // a video's .THM and .LRV
};

// Groups one folder's entries (folders among them are ignored).
std::vector<MediaItem> GroupMedia(std::string_view folder, const std::vector<ListingEntry>& files);
// Newest first by the listing's date (undated last), then by folder and name, newest first.
void SortNewestFirst(std::vector<MediaItem>& items);
// "Photo", "Video", "Other".
std::string_view KindText(MediaKind kind);
// "05-Dec-2013 14:23"-derived "2013-12-05 14:23", or "" without a date.
std::string DateText(const ListingEntry& entry);
// "4.1 MB", "190 KB", "512 B".
std::string SizeText(std::uint64_t bytes);
// A time left as people say it: "42 s", "5 min 10 s", "1 h 3 min".
std::string DurationText(double seconds);

}  // namespace kivo
