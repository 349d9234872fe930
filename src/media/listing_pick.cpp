#include "media/listing_pick.h"

#include <algorithm>

#include "camera/clock_text.h"

namespace kivo {
namespace {

constexpr std::string_view kPhotoExtension = ".JPG";
constexpr std::size_t kNameStemLength = kPhotoNameLength - kPhotoExtension.size();

bool IsLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool IsPhotoFileName(std::string_view name) {
  return name.size() == kPhotoNameLength && name.substr(kNameStemLength) == kPhotoExtension &&
         std::all_of(name.begin(), name.begin() + kNameStemLength, IsLetterOrDigit);
}

std::optional<ListingPick> PickNewestPhoto(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t p = lines[i].find(kPhotoExtension);
    if (p == std::string::npos || p < kNameStemLength) continue;
    std::string name = lines[i].substr(p - kNameStemLength, kPhotoNameLength);
    if (!IsPhotoFileName(name)) continue;
    ListingPick pick{std::move(name), i, std::nullopt};
    if (i + kDateLineOffset < lines.size()) pick.date_line = lines[i + kDateLineOffset];
    return pick;
  }
  return std::nullopt;
}

bool IsSafeDateName(std::string_view name) {
  bool digit = false;
  for (char c : name) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '-' && c != ' ') {
      return false;
    }
  }
  return digit;
}

std::optional<std::string> PhotoDateName(std::string_view head, std::string_view date_line) {
  if (head.size() > kEmbeddedDateMinimum) {
    std::string embedded(head.substr(kEmbeddedDateOffset, kEmbeddedDateLength));
    std::replace(embedded.begin(), embedded.end(), ':', '-');
    if (IsSafeDateName(embedded)) return embedded;
  }
  // A date line too short to hold "DD-Mon-YYYY HH:MM" would give a name of empty fields.
  if (date_line.size() < kListingDateColumn - 1 + kListingDateMinimum) return std::nullopt;
  std::string from_listing =
      ListingDateToName(date_line.substr(kListingDateColumn - 1, kListingDateLength));
  if (IsSafeDateName(from_listing)) return from_listing;
  return std::nullopt;
}

}  // namespace kivo
