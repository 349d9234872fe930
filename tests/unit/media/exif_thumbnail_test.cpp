// The Exif thumbnail finder on a camera-style photo, on every cut of it, and on offsets that
// point outside the data.
#include <gtest/gtest.h>

#include <string>

#include "jpeg_writer.h"
#include "media/exif_thumbnail.h"

namespace kivo {
namespace {

std::string Photo() {
  camsim::PhotoSpec spec{{2015, 3, 1, 12, 0, 0}, 7, "HERO3 Black Edition"};
  spec.exif_thumbnail = true;
  return camsim::MakeJpeg(spec);
}

// Offset of the IFD1 entry |tag|'s value in a big-endian photo from Photo().
std::size_t ValueOf(const std::string& photo, unsigned tag) {
  const std::string needle = {static_cast<char>(tag >> 8), static_cast<char>(tag & 0xff), 0, 4};
  return photo.find(needle) + 8;
}

TEST(ExifThumbnailTest, FindsTheEmbeddedJpeg) {
  const std::string photo = Photo();
  const auto span = FindExifThumbnail(photo);
  ASSERT_TRUE(span.has_value());
  const std::string thumb = photo.substr(span->offset, span->length);
  EXPECT_EQ(thumb.substr(0, 2), "\xff\xd8");
  EXPECT_EQ(thumb.substr(thumb.size() - 2), "\xff\xd9");
}

TEST(ExifThumbnailTest, EveryCutGivesNothingOrASpanInside) {
  const std::string photo = Photo();
  const std::size_t whole_at = FindExifThumbnail(photo)->offset + FindExifThumbnail(photo)->length;
  for (std::size_t n = 0; n < photo.size(); ++n) {
    const auto span = FindExifThumbnail(std::string_view(photo).substr(0, n));
    // Only a head that holds the whole Exif block (which ends after the thumbnail) finds it.
    EXPECT_EQ(span.has_value(), n >= whole_at) << n;
  }
}

struct BadCase {
  const char* name;
  unsigned tag;
  std::string value;
};

class BadOffsetTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadOffsetTest, GivesNothing) {
  std::string photo = Photo();
  photo.replace(ValueOf(photo, GetParam().tag), 4, GetParam().value);
  EXPECT_FALSE(FindExifThumbnail(photo).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, BadOffsetTest,
    ::testing::Values(BadCase{"OffsetFarBeyond", 0x0201, std::string("\xff\xff\xff\xf0", 4)},
                      BadCase{"LengthWraps", 0x0202, std::string("\xff\xff\xff\xff", 4)},
                      BadCase{"OffsetIntoText", 0x0201, std::string("\0\0\0\x10", 4)},
                      BadCase{"LengthTooShort", 0x0202, std::string("\0\0\0\x01", 4)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo
