// The simulated camera's byte ranges and the listing's short sizes: what the resuming download
// and the listing reader are tested against must itself be right.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "generated_body.h"
#include "http_message.h"
#include "media_layouts.h"

namespace kivo::camsim {
namespace {

struct RangeCase {
  const char* name;
  const char* header;
  uint64_t size;
  bool understood;
  uint64_t begin, end;
};

class RangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeTest, Parses) {
  const RangeCase& c = GetParam();
  const std::optional<ByteRange> r = ParseByteRange(c.header, c.size);
  ASSERT_EQ(r.has_value(), c.understood);
  if (r) {
    EXPECT_EQ(r->begin, c.begin);
    EXPECT_EQ(r->end, c.end);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RangeTest,
    ::testing::Values(RangeCase{"From", "bytes=100-", 1000, true, 100, 1000},
                      RangeCase{"FromTo", "bytes=0-499", 1000, true, 0, 500},
                      RangeCase{"ToBeyondEnd", "bytes=900-5000", 1000, true, 900, 1000},
                      RangeCase{"Suffix", "bytes=-10", 1000, true, 990, 1000},
                      RangeCase{"BeyondEnd", "bytes=1000-", 1000, true, 1000, 1000},
                      RangeCase{"Backwards", "bytes=5-4", 1000, false, 0, 0},
                      RangeCase{"Several", "bytes=0-1,5-6", 1000, false, 0, 0},
                      RangeCase{"OtherUnit", "items=0-1", 1000, false, 0, 0},
                      RangeCase{"Absent", "", 1000, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GeneratedBodyTest, AnyPieceEqualsTheSameBytesOfTheWhole) {
  const GeneratedBody body{"HEAD", 42, 100000, 0, 100000};
  std::string whole(body.size, '\0');
  FillGenerated(body, 0, whole.data(), whole.size());
  EXPECT_EQ(whole.substr(0, 4), "HEAD");
  for (uint64_t at : {0, 3, 7, 13, 4095, 99990}) {
    std::string piece(10, '\0');
    FillGenerated(body, at, piece.data(), piece.size());
    EXPECT_EQ(piece, whole.substr(at, 10)) << at;
  }
}

TEST(ShortSizeTest, UnitsAsTheCameraWritesThem) {
  EXPECT_EQ(ShortSize(512), "512");
  EXPECT_EQ(ShortSize(190 * 1024), "190K");
  EXPECT_EQ(ShortSize(4300000), "4.1M");
  EXPECT_EQ(ShortSize(1288490189), "1.2G");
}

}  // namespace
}  // namespace kivo::camsim
