// What the Download button takes from the camera's media listing and from the photo itself: the
// newest photo's name with the listing line that carries its date, and the name the photo is
// kept under. All of it arrives over the camera's network, where anyone may answer, so a name
// is checked before it goes into a URL or a file name. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

inline constexpr std::size_t kPhotoNameLength = 12;       // "GOPR0123.JPG"
inline constexpr std::size_t kDateLineOffset = 3;         // date line: three below the name
inline constexpr std::size_t kListingDateColumn = 21;     // 1-based, in the date line
inline constexpr std::size_t kListingDateLength = 18;
inline constexpr std::size_t kListingDateMinimum = 17;    // "DD-Mon-YYYY HH:MM"
inline constexpr std::size_t kPhotoHeadBytes = 2000;      // read from the photo's start
inline constexpr std::size_t kEmbeddedDateMinimum = 1500; // more than this: the embedded date
inline constexpr std::size_t kEmbeddedDateOffset = 1132;  // 0-based, "YYYY:MM:DD HH:MM:SS"
inline constexpr std::size_t kEmbeddedDateLength = 19;

struct ListingPick {
  std::string photo_name;                // passed IsPhotoFileName
  std::size_t line = 0;                  // index of the line it was found in
  std::optional<std::string> date_line;  // nullopt: the listing ends before it
};

// Eight letters or digits, then ".JPG": the only names that go into a download URL.
bool IsPhotoFileName(std::string_view name);

// The first line whose first ".JPG" has eight characters in front of it that make a photo name
// (a line whose ".JPG" starts nearer the line start, or whose name does not pass the check, is
// passed over), with the line three below. nullopt when no line qualifies.
std::optional<ListingPick> PickNewestPhoto(const std::vector<std::string>& lines);

// Digits, "-" and blanks only, and at least one digit: a name that cannot leave the folder,
// name a device or hide an extension.
bool IsSafeDateName(std::string_view name);

// The name (without ".jpg") for a photo whose first bytes are |head|: the embedded capture date
// with ":" made "-" when more than 1500 bytes arrived, otherwise — and when the embedded bytes
// are not a safe name — the listing date rule on |date_line| (which must hold all 17
// characters). nullopt when neither gives a safe name; the photo then keeps its temporary name.
std::optional<std::string> PhotoDateName(std::string_view head, std::string_view date_line);

}  // namespace kivo
