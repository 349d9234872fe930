#include "media/media_catalog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <tuple>

namespace kivo {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string StemOf(std::string_view name) { return Upper(name.substr(0, name.rfind('.'))); }

std::string ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : Upper(name.substr(dot));
}

bool IsCompanion(const std::string& ext) { return ext == ".THM" || ext == ".LRV"; }

}  // namespace

std::vector<MediaItem> GroupMedia(std::string_view folder,
                                  const std::vector<ListingEntry>& files) {
  std::vector<MediaItem> items;
  std::vector<const ListingEntry*> companions;
  for (const ListingEntry& e : files) {
    if (e.is_folder) continue;
    const std::string ext = ExtensionOf(e.name);
    if (IsCompanion(ext)) {
      companions.push_back(&e);
      continue;
    }
    MediaItem item;
    item.folder = std::string(folder);
    item.file = e;
    item.kind = ext == ".JPG" ? MediaKind::kPhoto : ext == ".MP4" ? MediaKind::kVideo
                                                                  : MediaKind::kOther;
    items.push_back(std::move(item));
  }
  for (const ListingEntry* c : companions) {
    auto video = std::find_if(items.begin(), items.end(), [&](const MediaItem& item) {
      return item.kind == MediaKind::kVideo && StemOf(item.file.name) == StemOf(c->name);
    });
    if (video != items.end()) {
      video->companions.push_back(*c);
      // ".THM" before ".LRV", whatever order the listing had.
      std::sort(video->companions.begin(), video->companions.end(),
                [](const ListingEntry& a, const ListingEntry& b) {
                  return ExtensionOf(a.name) > ExtensionOf(b.name);
                });
    } else {  // a companion without its video is still a file on the card
      MediaItem item;
      item.folder = std::string(folder);
      item.file = *c;
      items.push_back(std::move(item));
    }
  }
  return items;
}

void SortNewestFirst(std::vector<MediaItem>& items) {
  auto key = [](const MediaItem& m) {
    const ListingEntry& f = m.file;
    return std::make_tuple(f.has_date, f.year, f.month, f.day, f.hour, f.minute, m.folder, f.name);
  };
  std::stable_sort(items.begin(), items.end(),
                   [&](const MediaItem& a, const MediaItem& b) { return key(a) > key(b); });
}

std::string_view KindText(MediaKind kind) {
  switch (kind) {
    case MediaKind::kPhoto: return "Photo";
    case MediaKind::kVideo: return "Video";
    case MediaKind::kOther: break;
  }
  return "Other";
}

std::string DateText(const ListingEntry& e) {
  if (!e.has_date) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", e.year % 10000, e.month, e.day,
                e.hour, e.minute);
  return text;
}

std::string SizeText(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.0f KB", bytes / 1024.0);
  } else if (bytes < 1024ULL * 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
  } else {
    std::snprintf(text, sizeof text, "%.2f GB", bytes / (1024.0 * 1024.0 * 1024.0));
  }
  return text;
}

std::string DurationText(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  if (s >= 3600) return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
  if (s >= 60) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
  return std::to_string(s) + " s";
}

}  // namespace kivo
