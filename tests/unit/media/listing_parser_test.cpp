// The listing reader on each layout the camera family serves, on hostile and truncated pages,
// and the grouping of a video with its companion files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/listing_parser.h"
#include "media/media_catalog.h"

namespace kivo {
namespace {

// Later firmware: a table with an icon cell, relative links, dates and unit sizes.
constexpr char kTablePage[] = R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">
<html><head><title>Index of /videos/DCIM/100GOPRO</title></head><body>
<h1>Index of /videos/DCIM/100GOPRO</h1>
<table><tr><th valign="top"><img src="/icons/blank.gif" alt="[ICO]"></th><th><a href="?C=N;O=D">Name</a></th><th><a href="?C=M;O=A">Last modified</a></th><th><a href="?C=S;O=A">Size</a></th></tr>
<tr><td valign="top"><img src="/icons/back.gif" alt="[PARENTDIR]"></td><td><a href="/videos/DCIM/">Parent Directory</a></td><td>&nbsp;</td><td align="right">  - </td></tr>
<tr><td valign="top"><img src="/icons/image2.gif" alt="[IMG]"></td><td><a href="GOPR0001.JPG">GOPR0001.JPG</a></td><td align="right">05-Dec-2013 14:23  </td><td align="right">190K</td></tr>
<tr><td valign="top"><img src="/icons/movie.gif" alt="[VID]"></td><td><a href="GOPR0002.MP4">GOPR0002.MP4</a></td><td align="right">06-Dec-2013 09:05  </td><td align="right">1.2G</td></tr>
<tr><td valign="top"><img src="/icons/unknown.gif" alt="[   ]"></td><td><a href="GOPR0002.THM">GOPR0002.THM</a></td><td align="right">06-Dec-2013 09:05  </td><td align="right">8.1K</td></tr>
<tr><td valign="top"><img src="/icons/movie.gif" alt="[VID]"></td><td><a href="GOPR0002.LRV">GOPR0002.LRV</a></td><td align="right">06-Dec-2013 09:05  </td><td align="right">4.1M</td></tr>
</table></body></html>
)";

// Earlier firmware: no date column, absolute links.
constexpr char kOldPage[] = R"(<html><head><title>Index of /DCIM/100GOPRO/</title></head><body><h1>Index of /DCIM/100GOPRO/</h1>
<table border=0>
<tr><td><a href="/DCIM/">Parent Directory</a></td><td></td></tr>
<tr><td><a href="/DCIM/100GOPRO/GOPR0007.JPG">GOPR0007.JPG</a></td><td align=right>2.6M</td></tr>
<tr><td><a href="/DCIM/100GOPRO/GOPR0008.MP4">GOPR0008.MP4</a></td><td align=right>512</td></tr>
</table></body></html>)";

// The family's default index: one cell per line, the unit in its own span.
constexpr char kDefaultPage[] =
    "<!DOCTYPE html>\n<html>\n<head>\n<title>Index of /videos/100GOPRO/</title>\n</head>\n<body>\n"
    "<table>\n\t<tr>\n\t<td>\n\t<a class=\"link\" href=\"../\">Parent Directory</a>\n\t</td>\n"
    "\t<td>\n\t</td>\n\t<td>\n\t</td>\n\t</tr>\n\t<tr>\n\t<td>\n"
    "\t<a class=\"link\" href=\"GOPR0003.JPG\">GOPR0003.JPG</a>\n\t</td>\n\t<td>\n"
    "\t<span class=\"date\">01-Mar-2015 12:00</span>\n\t</td>\n\t<td>\n"
    "\t<span class=\"size\">2.7</span><span class=\"unit\">K</span>\n\t</td>\n\t</tr>\n"
    "</table>\n</body>\n</html>\n";

struct Expected {
  std::string name;
  std::uint64_t size;
  int year, month, day, hour, minute;  // year 0: no date
};

struct LayoutCase {
  const char* test_name;
  const char* page;
  const char* dir;
  std::vector<Expected> entries;
};

class LayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, ReadsEveryEntry) {
  const LayoutCase& c = GetParam();
  const ListingResult r = ParseListing(c.page, c.dir);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.entries.size(), c.entries.size());
  for (std::size_t i = 0; i < c.entries.size(); ++i) {
    const Expected& x = c.entries[i];
    const ListingEntry& e = r.entries[i];
    EXPECT_EQ(e.name, x.name);
    EXPECT_TRUE(e.has_size) << x.name;
    EXPECT_EQ(e.size, x.size) << x.name;
    EXPECT_EQ(e.has_date, x.year != 0) << x.name;
    if (x.year != 0) {
      EXPECT_EQ(std::vector<int>({e.year, e.month, e.day, e.hour, e.minute}),
                std::vector<int>({x.year, x.month, x.day, x.hour, x.minute}));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutTest,
    ::testing::Values(
        LayoutCase{"TableWithVideosPrefix", kTablePage, "/videos/DCIM/100GOPRO/",
                   {{"GOPR0001.JPG", 190 * 1024, 2013, 12, 5, 14, 23},
                    {"GOPR0002.MP4", 1288490189, 2013, 12, 6, 9, 5},
                    {"GOPR0002.THM", 8294, 2013, 12, 6, 9, 5},
                    {"GOPR0002.LRV", 4299162, 2013, 12, 6, 9, 5}}},
        LayoutCase{"OldAbsoluteLinks", kOldPage, "/DCIM/100GOPRO/",
                   {{"GOPR0007.JPG", 2726298, 0, 0, 0, 0, 0}, {"GOPR0008.MP4", 512, 0, 0, 0, 0, 0}}},
        LayoutCase{"DefaultLayout", kDefaultPage, "/videos/100GOPRO/",
                   {{"GOPR0003.JPG", 2765, 2015, 3, 1, 12, 0}}}),
    [](const auto& info) { return std::string(info.param.test_name); });

struct HostileCase {
  const char* test_name;
  std::string page;
  bool ok;
  std::vector<std::string> names;
};

class HostileTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileTest, GivesMessageOrSafeNamesOnly) {
  const HostileCase& c = GetParam();
  const ListingResult r = ParseListing(c.page, "/DCIM/100GOPRO/");
  EXPECT_EQ(r.ok, c.ok) << r.error;
  if (!r.ok) {
    EXPECT_FALSE(r.error.empty());
  }
  std::vector<std::string> names;
  for (const ListingEntry& e : r.entries) names.push_back(e.name);
  EXPECT_EQ(names, c.names);
}

std::string Row(const std::string& href) {
  return "<tr><td><a href=\"" + href + "\">x</a></td><td>1.0M</td></tr>\n";
}
std::string Page(const std::string& rows) { return "<html><body><table>" + rows + "</table></body></html>"; }

INSTANTIATE_TEST_SUITE_P(
    Pages, HostileTest,
    ::testing::Values(
        HostileCase{"ParentAndRoot",
                    Page(Row("../") + Row("../../etc/passwd") + Row("/etc/passwd") + Row("/") +
                         Row("GOPR0001.JPG")),
                    true, {"GOPR0001.JPG"}},
        HostileCase{"OtherHostsAndSchemes",
                    Page(Row("http://evil.example/GOPR0001.JPG") + Row("javascript:alert(1)") +
                         Row("//evil/x.JPG")),
                    true, {}},
        HostileCase{"EscapedSlashesAndDots",
                    Page(Row("..%2F..%2Fx.JPG") + Row("a%2Fb.JPG") + Row("%2E%2E") + Row(".hidden") +
                         Row("a\\b.JPG") + Row("GOPR 0001.JPG")),
                    true, {}},
        HostileCase{"OtherDirectoryAbsolute", Page(Row("/DCIM/101GOPRO/GOPR0001.JPG")), true, {}},
        HostileCase{"UnterminatedQuote", Page("<a href=\"GOPR0001.JPG>x</a>"), true, {}},
        HostileCase{"TruncatedInARow",
                    "<html><body><table><tr><td><a href=\"GOPR0001.JPG\">GOPR0001.JPG</a></td><td>4.", false,
                    {}},
        HostileCase{"NotAPage", "\x01\x02 HTTP garbage", false, {}},
        HostileCase{"Empty", "", false, {}},
        HostileCase{"NoLinksIsAnEmptyCard", Page(""), true, {}}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST(ListingParserTest, FolderLinksAreFolders) {
  const ListingResult r = ParseListing(Page(Row("100GOPRO/") + Row("101GOPRO/")), "/videos/DCIM/");
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_TRUE(r.entries[0].is_folder);
  EXPECT_EQ(r.entries[1].name, "101GOPRO");
}

TEST(MediaCatalogTest, VideoKeepsItsCompanionsAndNewestComesFirst) {
  const ListingResult r = ParseListing(kTablePage, "/videos/DCIM/100GOPRO/");
  std::vector<ListingEntry> entries = r.entries;
  ListingEntry lone;  // a thumbnail whose video is gone stays visible
  lone.name = "GOPR0009.THM";
  entries.push_back(lone);
  std::vector<MediaItem> items = GroupMedia("100GOPRO", entries);
  SortNewestFirst(items);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].file.name, "GOPR0002.MP4");
  EXPECT_EQ(items[0].kind, MediaKind::kVideo);
  ASSERT_EQ(items[0].companions.size(), 2u);
  EXPECT_EQ(items[1].file.name, "GOPR0001.JPG");
  EXPECT_EQ(items[2].file.name, "GOPR0009.THM");
  EXPECT_EQ(items[2].kind, MediaKind::kOther);
}

}  // namespace
}  // namespace kivo
