#include "media_fixture.h"

namespace kivo {
namespace {

using Download = MediaFixture;

constexpr const char* kListingUrl = "http://10.5.5.9:8080/videos/100GOPRO/?order=D";
constexpr const char* kPhotoUrl = "http://10.5.5.9:8080/videos/100GOPRO/GOPR0005.JPG";

// Rows as the camera's server lays them out: the date three lines below the name, column 21.
std::string Listing(const std::string& name, const std::string& date) {
  return "<html>\n<table>\n\t<tr>\n\t<td>\n\t<a class=\"link\" href=\"" + name + "\">" + name +
         "</a>\n\t</td>\n\t<td>\n\t<span class=\"date\">" + date + "</span>\n\t</td>\n</table>\n";
}

std::string Photo(std::size_t size, const std::string& date) {
  std::string bytes(size, '\x55');
  if (size >= 1132 + date.size()) bytes.replace(1132, date.size(), date);
  return bytes;
}

TEST_F(Download, ViewOpensTheMediaServer) {
  Create();
  form_->camera_address = "10.5.5.7";
  form_->Model().Click("View1");
  ASSERT_EQ(shell_.urls.size(), 1u);
  EXPECT_EQ(shell_.urls[0], "http://10.5.5.7:8080");
}

struct ListingCase {
  const char* test_name;
  std::string listing;  // empty: the pool left no file
  bool debug;
  std::uint16_t error;
  const char* photo_url;  // nullptr: no photo request
  bool listing_kept;
  const char* status;
  const char* logged;  // line in ErrorLog.txt, or nullptr
};

class ListingDone : public Download, public ::testing::WithParamInterface<ListingCase> {};

TEST_P(ListingDone, PicksTheNewestPhoto) {
  const ListingCase& c = GetParam();
  Create();
  form_->Debug = c.debug;
  form_->Model().Click("DownloadBtn");
  ASSERT_EQ(pool_.requests.size(), 1u);
  EXPECT_EQ(pool_.requests[0].url, kListingUrl);
  Answer(0, "TMP0001.txt", c.listing.empty() ? nullptr : &c.listing, c.error);
  // Only requests to the camera: a logged error also goes out as a problem report.
  std::vector<std::string> photo_urls;
  for (std::size_t i = 1; i < pool_.requests.size(); ++i)
    if (pool_.requests[i].url.rfind("http://10.5.5.9:", 0) == 0)
      photo_urls.push_back(pool_.requests[i].url);
  if (c.photo_url) {
    EXPECT_EQ(photo_urls, std::vector<std::string>{c.photo_url});
    EXPECT_EQ(form_->download_photo_name, "GOPR0005.JPG");
  } else {
    EXPECT_TRUE(photo_urls.empty());
  }
  EXPECT_EQ(Exists("TMP0001.txt"), c.listing_kept);
  EXPECT_EQ(Status(), c.status);
  EXPECT_EQ(Read("ErrorLog.txt").find(c.logged ? c.logged : "\x01") != std::string::npos,
            c.logged != nullptr);
  if (!c.listing.empty()) {
    EXPECT_FALSE((*form_)["ListBox1"].Lines().empty());
  }
  EXPECT_TRUE(errors_.empty());
}

const std::string kGood = Listing("GOPR0005.JPG", "05-Dec-2013 14:23");
const std::string kNoDateLine = "a\nb\n\t<a href=\"GOPR0005.JPG\">\n\t</td>\n\t<td>\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ListingDone,
    ::testing::Values(
        ListingCase{"Newest", kGood, false, 0, kPhotoUrl, false, "", nullptr},
        ListingCase{"DebugKeepsTheListing", kGood, true, 0, kPhotoUrl, true, "", nullptr},
        ListingCase{"TwoLinesNothing", "GOPR0005.JPG\n1\n", false, 0, nullptr, false, "", nullptr},
        ListingCase{"NoDateLineNoRequest", kNoDateLine, false, 0, nullptr, false,
                    "Download: the listing shows no date for GOPR0005.JPG", nullptr},
        ListingCase{"PartialListingStillRead", kGood, false, 10054, kPhotoUrl, false,
                    "Error: 10054", nullptr},
        ListingCase{"TimeoutLogged", "", false, 10060, nullptr, false,
                    "Get Time Unable to connect to camera", "Get Time Unable to connect to camera"},
        ListingCase{"RefusedLogged", "", false, 10061, nullptr, false,
                    "Get Time Connection Refused", "Get Time Connection Refused"}),
    [](const auto& info) { return std::string(info.param.test_name); });

struct PhotoCase {
  const char* test_name;
  std::string photo;
  const char* existing;  // a file already in the folder under the new name, or nullptr
  std::uint16_t error;
  const char* kept_as;  // the photo's file name afterwards
  const char* message;  // nullptr: none
};

class PhotoDone : public Download, public ::testing::WithParamInterface<PhotoCase> {};

TEST_P(PhotoDone, NamesThePhotoSafely) {
  const PhotoCase& c = GetParam();
  Create();
  form_->Model().Click("DownloadBtn");
  Answer(0, "TMP0001.txt", &kGood);
  ASSERT_EQ(pool_.requests.size(), 2u);
  if (c.existing) Write(c.existing, "older");
  Answer(1, "TMP0002.txt", &c.photo, c.error);
  EXPECT_TRUE(Exists(c.kept_as)) << c.kept_as;
  EXPECT_EQ(Read(c.kept_as), c.photo);
  if (c.existing) {
    EXPECT_EQ(Read(c.existing), "older");
  }
  EXPECT_EQ(Files().size(), c.existing ? 2u : 1u);
  if (c.message) {
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
  } else {
    EXPECT_TRUE(Messages().empty());
  }
  EXPECT_TRUE(errors_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PhotoDone,
    ::testing::Values(
        PhotoCase{"Embedded1501", Photo(1501, "2014:02:03 04:05:06"), nullptr, 0,
                  "2014-02-03 04-05-06.jpg", "GOPR0005.JPG downloaded as 2014-02-03 04-05-06.jpg"},
        PhotoCase{"Listing1500", Photo(1500, "2014:02:03 04:05:06"), nullptr, 0,
                  "2013-12-05-1423.jpg", "GOPR0005.JPG downloaded as 2013-12-05-1423.jpg"},
        PhotoCase{"TargetExistsKeepsTemporary", Photo(1800, "2014:02:03 04:05:06"),
                  "2014-02-03 04-05-06.jpg", 0, "TMP0002.txt",
                  "GOPR0005.JPG downloaded as TMP0002.txt"},
        PhotoCase{"HostileEmbeddedDateUsesListing", Photo(1800, "../../../../../tmp/x"), nullptr,
                  0, "2013-12-05-1423.jpg", "GOPR0005.JPG downloaded as 2013-12-05-1423.jpg"},
        PhotoCase{"EndedEarlyNotRenamed", Photo(1800, "2014:02:03 04:05:06"), nullptr, 10054,
                  "TMP0002.txt", nullptr}),
    [](const auto& info) { return std::string(info.param.test_name); });

TEST_F(Download, HostileListingDateKeepsTheTemporaryName) {
  Create();
  form_->Model().Click("DownloadBtn");
  const std::string listing = Listing("GOPR0005.JPG", std::string("../../x\x01\x1b[2J\0/..", 16));
  Answer(0, "TMP0001.txt", &listing);
  ASSERT_EQ(pool_.requests.size(), 2u);
  const std::string photo = Photo(1000, "");
  Answer(1, "TMP0002.txt", &photo);
  EXPECT_EQ(Files(), std::vector<std::string>{"TMP0002.txt"});
  EXPECT_EQ(Messages(), std::vector<std::string>{"GOPR0005.JPG downloaded as TMP0002.txt"});
}

}  // namespace
}  // namespace kivo
