#include "media/listing_pick.h"

#include <gtest/gtest.h>

#include <random>

#include "media/text_lines.h"

namespace kivo {
namespace {

struct PickCase {
  const char* test_name;
  const char* listing;
  const char* photo;      // nullptr: no photo
  const char* date_line;  // nullptr: none
};

class PickNewest : public ::testing::TestWithParam<PickCase> {};

TEST_P(PickNewest, TakesTheFirstUsableName) {
  const PickCase& c = GetParam();
  std::optional<ListingPick> pick = PickNewestPhoto(SplitLines(c.listing));
  if (!c.photo) {
    EXPECT_FALSE(pick);
    return;
  }
  ASSERT_TRUE(pick);
  EXPECT_EQ(pick->photo_name, c.photo);
  if (c.date_line) {
    ASSERT_TRUE(pick->date_line);
    EXPECT_EQ(*pick->date_line, c.date_line);
  } else {
    EXPECT_FALSE(pick->date_line);
  }
}

// ".JPG" at position 38 (1-based): the name starts at 30.
constexpr const char* kAt38 = "x\n\t<td><a class=\"link\" href=\"xxGOPR0123.JPG\">\n1\n2\nDATE\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, PickNewest,
    ::testing::Values(
        PickCase{"Position38NameFrom30", kAt38, "GOPR0123.JPG", "DATE"},
        PickCase{"OnlyTheFirstJpgLine", "a\nGOPR0002.JPG\nb\nc\nd1\nGOPR0001.JPG\n", "GOPR0002.JPG",
                 "d1"},
        PickCase{"OtherTypesPassedOver", "GOPR0009.MP4\nGOPR0008.jpg\nGOPR0007.JPG\n\n\nD\n",
                 "GOPR0007.JPG", "D"},
        PickCase{"TooNearTheLineStartPassedOver", "0123.JPG\nabcdefgh.JPG\n1\n2\nD\n",
                 "abcdefgh.JPG", "D"},
        PickCase{"PathInFrontPassedOver", "href=\"../../x/.JPG\"\nhref=\"GOPR0001.JPG\"\n1\n2\nD\n",
                 "GOPR0001.JPG", "D"},
        PickCase{"ControlByteInNamePassedOver", "GOPR\x01" "123.JPG\n1\n2\n3\n", nullptr, nullptr},
        PickCase{"OnlyFirstJpgOfALineCounts", "../.JPG GOPR0001.JPG\n1\n2\n3\n", nullptr, nullptr},
        PickCase{"TwoLinesAfterNoDate", "a\nb\nGOPR0001.JPG\n1\n2\n", "GOPR0001.JPG", nullptr},
        PickCase{"CrLfListing", "a\r\nGOPR0001.JPG\r\n1\r\n2\r\n05-Dec\r\n", "GOPR0001.JPG",
                 "05-Dec"},
        PickCase{"NoJpg", "a\nb\nc\nd\n", nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.test_name); });

std::string Head(std::size_t size, std::string_view date) {
  std::string head(size, 'x');
  if (size >= kEmbeddedDateOffset + date.size())
    head.replace(kEmbeddedDateOffset, date.size(), date);
  return head;
}

constexpr const char* kDateLine = "\t<span class=\"date\">05-Dec-2013 14:23</span>";

struct NameCase {
  const char* test_name;
  std::string head;
  std::string date_line;
  const char* name;  // nullptr: keep the temporary name
};

class PhotoName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PhotoName, OnlyDigitsDashesAndBlanks) {
  const NameCase& c = GetParam();
  std::optional<std::string> name = PhotoDateName(c.head, c.date_line);
  if (!c.name) {
    EXPECT_FALSE(name) << *name;
    return;
  }
  ASSERT_TRUE(name);
  EXPECT_EQ(*name, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PhotoName,
    ::testing::Values(
        NameCase{"Embedded1501", Head(1501, "2014:02:03 04:05:06"), kDateLine,
                 "2014-02-03 04-05-06"},
        NameCase{"Listing1500", Head(1500, "2014:02:03 04:05:06"), kDateLine, "2013-12-05-1423"},
        NameCase{"UnknownMonth", Head(10, ""), "\t<span class=\"date\">05-Foo-2013 14:23</span>",
                 "2013-00-05-1423"},
        NameCase{"EmbeddedPathFallsBackToListing", Head(2000, "../../x:02:03 04:05"), kDateLine,
                 "2013-12-05-1423"},
        NameCase{"EmbeddedNulFallsBackToListing",
                 Head(2000, std::string("2014:02:03\0 04:05:06", 20)), kDateLine,
                 "2013-12-05-1423"},
        NameCase{"EmbeddedBlankFallsBackToListing", Head(2000, std::string(19, ' ')), kDateLine,
                 "2013-12-05-1423"},
        NameCase{"BothHostileKeepsTemporary", Head(2000, "../../x\x01\x1b"),
                 "\t<span class=\"date\">../../x\x01\x1b[2J..</span>", nullptr},
        NameCase{"SlashInListingKeepsTemporary", Head(100, ""),
                 "\t<span class=\"date\">05-Dec-20/3 14:23</span>", nullptr},
        NameCase{"ShortDateLineKeepsTemporary", Head(100, ""), "\t<span", nullptr}),
    [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace kivo

namespace kivo {
namespace {

// Whatever the camera's network sends, a name that comes out has passed its check.
TEST(CameraBytes, RandomListingsAndPhotosGiveOnlyCheckedNames) {
  std::mt19937 random(20261208);
  const std::string alphabet = "GOPR0123456789.JPG/\\:-. \t\r\n\x01\x7f<>\"";
  auto text = [&](std::size_t size) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) s += alphabet[random() % alphabet.size()];
    if (random() % 2) s[random() % size] = '\0';
    return s;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string listing = text(1 + random() % 400);
    if (std::optional<ListingPick> pick = PickNewestPhoto(SplitLines(listing))) {
      EXPECT_TRUE(IsPhotoFileName(pick->photo_name)) << pick->photo_name;
    }
    const std::string head = text(1 + random() % 2000);
    if (std::optional<std::string> name = PhotoDateName(head, text(1 + random() % 60))) {
      EXPECT_TRUE(IsSafeDateName(*name)) << *name;
    }
  }
}

}  // namespace
}  // namespace kivo
