// Finds the small JPEG that cameras embed in a photo's Exif block (IFD1, tags 0x0201 offset and
// 0x0202 length), given the photo's first bytes — enough to show a picture of a photo without
// fetching all of it. The bytes come from the camera's network: every offset is checked against
// the data. Pure; any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kivo {

// How many bytes of a photo the program asks for to find its thumbnail.
inline constexpr std::size_t kThumbnailHeadBytes = 64 * 1024;

struct ByteSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// Where in |head| the embedded thumbnail lies; nullopt when |head| holds none whole (no Exif
// block, no IFD1, an offset beyond the data, or bytes that do not start a JPEG).
std::optional<ByteSpan> FindExifThumbnail(std::string_view head);

}  // namespace kivo
