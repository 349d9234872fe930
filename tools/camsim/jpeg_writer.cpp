#include "jpeg_writer.h"

#include <array>
#include <vector>

namespace kivo::camsim {
namespace {

// The standard luminance DC Huffman table; every component uses it. The pictures are flat-shaded
// 8x8 blocks, so each block is only a DC value followed by end-of-block, and the AC table needs a
// single symbol (end-of-block, code "0").
constexpr std::array<uint8_t, 16> kDcBits = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<uint8_t, 12> kDcValues = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

// 3x5 glyphs of the digits, one bit per cell, rows top to bottom, bit 2 = left column.
constexpr std::array<std::array<uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
}};

void Put16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v & 0xff));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xffff);
}

// A big-endian TIFF directory entry.
void PutEntry(std::string& out, unsigned tag, unsigned type, uint32_t count, uint32_t value) {
  Put16(out, tag);
  Put16(out, type);
  Put32(out, count);
  Put32(out, value);
}

constexpr unsigned kAscii = 2;
constexpr unsigned kLong = 4;
constexpr unsigned kUndefined = 7;

// APP1 Exif segment. Offsets inside the TIFF structure count from the TIFF header, which starts
// 12 bytes into the file (SOI 2, marker 2, length 2, "Exif\0\0" 6).
std::string ExifSegment(const PhotoSpec& spec) {
  constexpr uint32_t kTiffStart = 12;
  constexpr uint32_t kIfd0 = 8;
  constexpr uint32_t kIfd0Entries = 4;
  constexpr uint32_t kExifIfd = kIfd0 + 2 + 12 * kIfd0Entries + 4;
  constexpr uint32_t kExifEntries = 4;
  constexpr uint32_t kData = kExifIfd + 2 + 12 * kExifEntries + 4;
  constexpr uint32_t kOriginal = kExifDateOffset - kTiffStart;

  const std::string date = FormatExifDate(spec.taken);
  std::string make = "GoPro";
  make.push_back('\0');
  std::string model(spec.model);
  model.push_back('\0');
  std::string date_z = date;
  date_z.push_back('\0');

  const uint32_t make_at = kData;
  const uint32_t model_at = make_at + static_cast<uint32_t>(make.size());
  const uint32_t datetime_at = model_at + static_cast<uint32_t>(model.size());
  const uint32_t digitized_at = datetime_at + 20;
  const uint32_t comment_at = digitized_at + 20;
  const uint32_t comment_size = kOriginal - comment_at;  // fills the gap up to the fixed offset

  std::string tiff = "MM";
  Put16(tiff, 42);
  Put32(tiff, kIfd0);
  Put16(tiff, kIfd0Entries);
  PutEntry(tiff, 0x010f, kAscii, static_cast<uint32_t>(make.size()), make_at);
  PutEntry(tiff, 0x0110, kAscii, static_cast<uint32_t>(model.size()), model_at);
  PutEntry(tiff, 0x0132, kAscii, 20, datetime_at);
  PutEntry(tiff, 0x8769, kLong, 1, kExifIfd);
  const size_t next_ifd_at = tiff.size();  // IFD0's link to IFD1, patched below
  Put32(tiff, 0);
  Put16(tiff, kExifEntries);
  PutEntry(tiff, 0x9000, kUndefined, 4, 0x30323330);  // "0230", stored inline
  PutEntry(tiff, 0x9003, kAscii, 20, kOriginal);
  PutEntry(tiff, 0x9004, kAscii, 20, digitized_at);
  PutEntry(tiff, 0x9286, kUndefined, comment_size, comment_at);
  Put32(tiff, 0);
  tiff += make;
  tiff += model;
  tiff += date_z;
  tiff += date_z;
  std::string comment("ASCII\0\0\0", 8);
  comment += "Simulated camera photo " + std::to_string(spec.number) + ".";
  comment.resize(comment_size, ' ');
  tiff += comment;
  tiff += date_z;
  if (spec.exif_thumbnail) {
    // IFD1: where the thumbnail JPEG lies (offset and length), then the thumbnail itself.
    PhotoSpec small = spec;
    small.width_blocks = 20;
    small.height_blocks = 15;
    small.exif_thumbnail = false;
    const std::string thumbnail = MakeJpeg(small);
    const uint32_t ifd1 = static_cast<uint32_t>(tiff.size());
    tiff[next_ifd_at] = static_cast<char>(ifd1 >> 24);
    tiff[next_ifd_at + 1] = static_cast<char>(ifd1 >> 16);
    tiff[next_ifd_at + 2] = static_cast<char>(ifd1 >> 8);
    tiff[next_ifd_at + 3] = static_cast<char>(ifd1);
    Put16(tiff, 2);
    PutEntry(tiff, 0x0201, kLong, 1, ifd1 + 2 + 2 * 12 + 4);
    PutEntry(tiff, 0x0202, kLong, 1, static_cast<uint32_t>(thumbnail.size()));
    Put32(tiff, 0);
    tiff += thumbnail;
  }

  std::string segment;
  Put16(segment, 0xffe1);
  Put16(segment, static_cast<unsigned>(2 + 6 + tiff.size()));
  segment.append("Exif\0\0", 6);
  segment += tiff;
  return segment;
}

class BitWriter {
 public:
  void Put(uint32_t bits, int count) {
    for (int i = count - 1; i >= 0; --i) {
      byte_ = static_cast<uint8_t>((byte_ << 1) | ((bits >> i) & 1));
      if (++filled_ == 8) Flush();
    }
  }
  std::string Finish() {
    while (filled_ != 0) Put(1, 1);  // pad the last byte with one bits
    return std::move(out_);
  }

 private:
  void Flush() {
    out_.push_back(static_cast<char>(byte_));
    if (byte_ == 0xff) out_.push_back('\0');  // byte stuffing
    byte_ = 0;
    filled_ = 0;
  }
  std::string out_;
  uint8_t byte_ = 0;
  int filled_ = 0;
};

struct HuffmanCode {
  uint16_t code = 0;
  int length = 0;
};

std::array<HuffmanCode, 12> DcCodes() {
  std::array<HuffmanCode, 12> codes{};
  uint16_t code = 0;
  size_t k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < kDcBits[length - 1]; ++i) codes[kDcValues[k++]] = {code++, length};
    code = static_cast<uint16_t>(code << 1);
  }
  return codes;
}

void PutDc(BitWriter& bits, const std::array<HuffmanCode, 12>& codes, int diff) {
  int magnitude = diff < 0 ? -diff : diff;
  int category = 0;
  while (magnitude != 0) {
    ++category;
    magnitude >>= 1;
  }
  bits.Put(codes[category].code, codes[category].length);
  if (category != 0) {
    const int value = diff < 0 ? diff + (1 << category) - 1 : diff;
    bits.Put(static_cast<uint32_t>(value), category);
  }
  bits.Put(0, 1);  // end of block
}

struct Colour {
  int y, cb, cr;
};

// Picture: a sky-to-ground gradient whose hue follows the file number, with the number drawn in
// large digits, so that two photos are easy to tell apart.
Colour BlockColour(const PhotoSpec& spec, int bx, int by) {
  const std::string digits = std::to_string(spec.number % 10000);
  constexpr int kScale = 2;
  const int glyph_w = 4 * kScale;
  const int text_w = static_cast<int>(digits.size()) * glyph_w - kScale;
  const int left = (spec.width_blocks - text_w) / 2;
  const int top = (spec.height_blocks - 5 * kScale) / 2;
  const int gx = bx - left;
  const int gy = by - top;
  if (gx >= 0 && gy >= 0 && gx < text_w && gy < 5 * kScale) {
    const int index = gx / glyph_w;
    const int column = gx % glyph_w / kScale;
    if (column < 3) {
      const uint8_t row = kDigits[digits[index] - '0'][gy / kScale];
      if ((row >> (2 - column)) & 1) return {235, 128, 128};
    }
  }
  const int hue = static_cast<int>(spec.number * 37 % 64) - 32;
  const int y = 60 + by * 120 / spec.height_blocks;
  return {y, 128 + hue, 128 - hue / 2 + bx / 4};
}

std::string ImageSegments(const PhotoSpec& spec) {
  std::string out;
  // Quantisation table 0: 8 for DC makes the coded DC value equal to the sample value - 128.
  Put16(out, 0xffdb);
  Put16(out, 67);
  out.push_back(0);
  out.push_back(8);
  out.append(63, '\x10');
  // Baseline frame, three components, no subsampling.
  Put16(out, 0xffc0);
  Put16(out, 17);
  out.push_back(8);
  Put16(out, static_cast<unsigned>(spec.height_blocks * 8));
  Put16(out, static_cast<unsigned>(spec.width_blocks * 8));
  out.push_back(3);
  for (int c = 1; c <= 3; ++c) {
    out.push_back(static_cast<char>(c));
    out.push_back(0x11);
    out.push_back(0);
  }
  // Huffman tables: DC 0 and AC 0.
  Put16(out, 0xffc4);
  Put16(out, static_cast<unsigned>(2 + 1 + 16 + kDcValues.size() + 1 + 16 + 1));
  out.push_back(0x00);
  for (uint8_t b : kDcBits) out.push_back(static_cast<char>(b));
  for (uint8_t v : kDcValues) out.push_back(static_cast<char>(v));
  out.push_back(0x10);
  out.push_back(1);
  out.append(15, '\0');
  out.push_back(0x00);  // the one AC symbol: end of block
  // Start of scan.
  Put16(out, 0xffda);
  Put16(out, 12);
  out.push_back(3);
  for (int c = 1; c <= 3; ++c) {
    out.push_back(static_cast<char>(c));
    out.push_back(0x00);
  }
  out.push_back(0);
  out.push_back(63);
  out.push_back(0);

  const auto codes = DcCodes();
  BitWriter bits;
  int previous[3] = {0, 0, 0};
  for (int by = 0; by < spec.height_blocks; ++by) {
    for (int bx = 0; bx < spec.width_blocks; ++bx) {
      const Colour colour = BlockColour(spec, bx, by);
      const int values[3] = {colour.y - 128, colour.cb - 128, colour.cr - 128};
      for (int c = 0; c < 3; ++c) {
        PutDc(bits, codes, values[c] - previous[c]);
        previous[c] = values[c];
      }
    }
  }
  out += bits.Finish();
  Put16(out, 0xffd9);
  return out;
}

}  // namespace

std::string MakeJpeg(const PhotoSpec& spec) {
  std::string file;
  Put16(file, 0xffd8);
  file += ExifSegment(spec);
  file += ImageSegments(spec);
  return file;
}

}  // namespace kivo::camsim
