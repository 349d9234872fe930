#include "media/exif_thumbnail.h"

#include <cstdint>

namespace kivo {
namespace {

class TiffReader {
 public:
  TiffReader(std::string_view tiff, bool little) : tiff_(tiff), little_(little) {}
  bool U16(std::size_t at, std::uint32_t* v) const {
    if (at > tiff_.size() || tiff_.size() - at < 2) return false;
    const auto b0 = static_cast<unsigned char>(tiff_[at]);
    const auto b1 = static_cast<unsigned char>(tiff_[at + 1]);
    *v = little_ ? (b1 << 8 | b0) : (b0 << 8 | b1);
    return true;
  }
  bool U32(std::size_t at, std::uint32_t* v) const {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    if (!U16(at, &a) || !U16(at + 2, &b)) return false;
    *v = little_ ? (b << 16 | a) : (a << 16 | b);
    return true;
  }
  // Value of a SHORT or LONG entry |tag| in the directory at |ifd|.
  bool Tag(std::size_t ifd, std::uint32_t tag, std::uint32_t* value) const {
    std::uint32_t count = 0;
    if (!U16(ifd, &count)) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t entry = ifd + 2 + 12 * static_cast<std::size_t>(i);
      std::uint32_t t = 0;
      std::uint32_t type = 0;
      if (!U16(entry, &t) || !U16(entry + 2, &type)) return false;
      if (t != tag) continue;
      if (type == 3) return U16(entry + 8, value);
      if (type == 4) return U32(entry + 8, value);
      return false;
    }
    return false;
  }
  // Offset of the directory after the one at |ifd| (0 when none).
  bool Next(std::size_t ifd, std::uint32_t* next) const {
    std::uint32_t count = 0;
    return U16(ifd, &count) && U32(ifd + 2 + 12 * static_cast<std::size_t>(count), next);
  }

 private:
  std::string_view tiff_;
  bool little_;
};

}  // namespace

std::optional<ByteSpan> FindExifThumbnail(std::string_view head) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  if (head.size() < 4 || byte(0) != 0xff || byte(1) != 0xd8) return std::nullopt;
  std::size_t at = 2;
  // Walk the segments before the picture data for the Exif APP1.
  while (at + 4 <= head.size() && byte(at) == 0xff) {
    const unsigned marker = byte(at + 1);
    const std::size_t length = byte(at + 2) << 8 | byte(at + 3);
    if (marker == 0xda || length < 2) return std::nullopt;
    const std::size_t body = at + 4;
    const std::size_t end = at + 2 + length;
    if (marker == 0xe1 && length >= 8 && head.substr(body, 6) == std::string_view("Exif\0\0", 6)) {
      if (end > head.size()) return std::nullopt;
      const std::size_t tiff_at = body + 6;
      const std::string_view tiff = head.substr(tiff_at, end - tiff_at);
      if (tiff.size() < 8) return std::nullopt;
      const bool little = tiff.substr(0, 2) == "II";
      if (!little && tiff.substr(0, 2) != "MM") return std::nullopt;
      const TiffReader r(tiff, little);
      std::uint32_t magic = 0;
      std::uint32_t ifd0 = 0;
      std::uint32_t ifd1 = 0;
      std::uint32_t offset = 0;
      std::uint32_t size = 0;
      if (!r.U16(2, &magic) || magic != 42 || !r.U32(4, &ifd0) || !r.Next(ifd0, &ifd1) ||
          ifd1 == 0 || !r.Tag(ifd1, 0x0201, &offset) || !r.Tag(ifd1, 0x0202, &size)) {
        return std::nullopt;
      }
      if (size < 4 || offset > tiff.size() || tiff.size() - offset < size) return std::nullopt;
      if (static_cast<unsigned char>(tiff[offset]) != 0xff ||
          static_cast<unsigned char>(tiff[offset + 1]) != 0xd8) {
        return std::nullopt;
      }
      return ByteSpan{tiff_at + offset, size};
    }
    at = end;
  }
  return std::nullopt;
}

}  // namespace kivo
