// The media server (port 8080) against a running simulator: the listing read by the program's
// own rules, the photo's embedded date, the clock in the Date header, the live preview and the
// pages a person opens.
#include <gtest/gtest.h>

#include "camsim_harness.h"

namespace kivo::camsim::testing {
namespace {

// The program's reading of a listing: the first line holding ".JPG", the 12 characters ending
// with it, and the 17 characters at column 21 of the line three below.
struct ListingPick {
  std::string name;
  std::string date;
};

std::optional<ListingPick> PickNewestPhoto(const std::string& page) {
  const std::vector<std::string> lines = Lines(page);
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t p = lines[i].find(".JPG");
    if (p == std::string::npos) continue;
    if (p < 8 || i + 3 >= lines.size() || lines[i + 3].size() < 37) return std::nullopt;
    return ListingPick{lines[i].substr(p - 8, 12), lines[i + 3].substr(20, 17)};
  }
  return std::nullopt;
}

// The program's reading of a HEAD reply: the third line, characters 7 to 32.
std::string DateFromHead(const RawReply& r) {
  if (r.head_lines.size() < 3) return {};
  return r.head_lines[2].substr(6, 26);
}

TEST(ListingTest, NewestPhotoFirstWithItsDateThreeLinesBelow) {
  Camsim sim({"--clock", "2013-05-21 23:30:00"});
  ASSERT_TRUE(sim.ok());
  ASSERT_EQ(sim.Command("/camera/CM", "01").status, 200);
  ASSERT_EQ(sim.Command("/bacpac/SH", "01").status, 200);
  ASSERT_EQ(sim.Command("/camera/TM", "0e%02%03%04%05%06").status, 200);
  ASSERT_EQ(sim.Command("/bacpac/SH", "01").status, 200);
  ASSERT_EQ(sim.Command("/camera/CM", "00").status, 200);
  ASSERT_EQ(sim.Command("/bacpac/SH", "01").status, 200);
  ASSERT_EQ(sim.Command("/bacpac/SH", "00").status, 200);  // a newer video must be passed over

  const RawReply listing = Http(sim.media(), "/videos/100GOPRO/?order=D");
  ASSERT_EQ(listing.status, 200);
  const auto pick = PickNewestPhoto(listing.body);
  ASSERT_TRUE(pick);
  EXPECT_EQ(pick->name, "GOPR0005.JPG");
  EXPECT_EQ(pick->date, "03-Feb-2014 04:05");
  EXPECT_NE(listing.body.find("GOPR0006.MP4"), std::string::npos);
  EXPECT_LT(listing.body.find("GOPR0006.MP4"), listing.body.find("GOPR0005.JPG"));

  const RawReply photo = Http(sim.media(), "/videos/100GOPRO/" + pick->name);
  ASSERT_EQ(photo.status, 200);
  ASSERT_GT(photo.body.size(), 1500u);
  EXPECT_EQ(photo.body.substr(1132, 19), "2014:02:03 04:05:06");
  EXPECT_EQ(photo.body.substr(0, 2), "\xff\xd8");

  // Without ?order=D the index is in name order, oldest name first.
  const auto by_name = PickNewestPhoto(Http(sim.media(), "/videos/100GOPRO/").body);
  ASSERT_TRUE(by_name);
  EXPECT_EQ(by_name->name, "GOPR0001.JPG");
}

TEST(ListingTest, BurstNamesAndFolderRollover) {
  Camsim sim({"--folder-files", "5"});
  ASSERT_TRUE(sim.ok());
  ASSERT_EQ(sim.Command("/camera/CM", "02").status, 200);
  ASSERT_EQ(sim.Command("/bacpac/SH", "01").status, 200);
  // 5 files were on the card, the burst's ten go to 101GOPRO as one group.
  const RawReply folders = Http(sim.media(), "/videos/");
  EXPECT_NE(folders.body.find("href=\"100GOPRO/\""), std::string::npos);
  EXPECT_NE(folders.body.find("href=\"101GOPRO/\""), std::string::npos);
  const RawReply second = Http(sim.media(), "/videos/101GOPRO/?order=D");
  EXPECT_NE(second.body.find("G0010004.JPG"), std::string::npos);
  EXPECT_NE(second.body.find("G0010013.JPG"), std::string::npos);
  EXPECT_EQ(Http(sim.media(), "/videos/101GOPRO/G0010004.JPG").status, 200);
  EXPECT_EQ(Http(sim.media(), "/videos/100GOPRO/G0010004.JPG").status, 404);
}

TEST(ListingTest, DeletedFilesLeaveTheListing) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  ASSERT_EQ(sim.Command("/camera/DA").status, 200);
  const RawReply listing = Http(sim.media(), "/videos/100GOPRO/?order=D");
  EXPECT_EQ(listing.status, 200);
  EXPECT_FALSE(PickNewestPhoto(listing.body));
  EXPECT_EQ(Http(sim.media(), "/videos/100GOPRO/GOPR0001.JPG").status, 404);
}

TEST(ClockHeaderTest, DateIsTheSecondHeaderLineAndFollowsTheClockCommand) {
  Camsim sim({"--clock", "2013-05-21 23:30:00"});
  ASSERT_TRUE(sim.ok());
  RawReply head = Http(sim.media(), "/", "HEAD");
  ASSERT_EQ(head.status, 200);
  EXPECT_TRUE(head.body.empty());
  ASSERT_GE(head.head_lines.size(), 3u);
  EXPECT_TRUE(head.head_lines[2].starts_with("Date: ")) << head.head_lines[2];
  EXPECT_TRUE(DateFromHead(head).starts_with("Tue, 21 May 2013 23:3")) << DateFromHead(head);

  ASSERT_EQ(sim.Command("/camera/TM", "0f%03%01%0c%00%00").status, 200);
  head = Http(sim.media(), "/", "HEAD");
  // The program cuts day 6-7, month 9-11, year 15-16 and time 18-25 out of this text.
  const std::string cut = DateFromHead(head);
  ASSERT_EQ(cut.size(), 26u);
  EXPECT_EQ(cut.substr(0, 17), "Sun, 01 Mar 2015 ");
  EXPECT_EQ(cut.substr(17, 6), "12:00:");
  // Every reply of the media server carries it in the same place, a missing page too.
  const RawReply missing = Http(sim.media(), "/nothing-here");
  EXPECT_EQ(missing.status, 404);
  ASSERT_GE(missing.head_lines.size(), 3u);
  EXPECT_TRUE(missing.head_lines[2].starts_with("Date: Sun, 01 Mar 2015 12:00:"));
}

TEST(LiveTest, LiveDirectoryOnlyWhileStreaming) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  EXPECT_EQ(Http(sim.media(), "/live/").status, 404);
  EXPECT_EQ(Http(sim.media(), "/live/amba.m3u8").status, 404);
  ASSERT_EQ(sim.Command("/camera/PV", "02").status, 200);
  const RawReply live = Http(sim.media(), "/live/");
  ASSERT_EQ(live.status, 200);
  EXPECT_GE(Lines(live.body).size(), 3u);
  const RawReply playlist = Http(sim.media(), "/live/amba.m3u8");
  ASSERT_EQ(playlist.status, 200);
  EXPECT_TRUE(playlist.body.starts_with("#EXTM3U\n"));
  size_t segments = 0;
  for (const std::string& line : Lines(playlist.body)) {
    if (line.starts_with("amba_hls-") && line.ends_with(".ts")) {
      ++segments;
      const int n = std::stoi(line.substr(9));
      EXPECT_GE(n, 1);
      EXPECT_LE(n, 16);
      const RawReply segment = Http(sim.media(), "/live/" + line);
      EXPECT_EQ(segment.status, 200);
      ASSERT_FALSE(segment.body.empty());
      EXPECT_EQ(segment.body.size() % 188, 0u);
      EXPECT_EQ(segment.body[0], 0x47);
    }
  }
  EXPECT_EQ(segments, 3u);
  ASSERT_EQ(sim.Command("/bacpac/PW", "00").status, 200);
  EXPECT_EQ(Http(sim.media(), "/live/").status, 404);
}

TEST(PagesTest, FrontPageAndFolderIndexAreReadable) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  const RawReply root = Http(sim.media(), "/");
  ASSERT_EQ(root.status, 200);
  EXPECT_NE(root.body.find("HERO3 Black Edition"), std::string::npos);
  EXPECT_NE(root.body.find("href=\"videos/\""), std::string::npos);
  const RawReply moved = Http(sim.media(), "/videos", "HEAD");
  EXPECT_EQ(moved.status, 301);
  bool location = false;
  for (const std::string& line : moved.head_lines) location |= line == "Location: /videos/";
  EXPECT_TRUE(location);
}

}  // namespace
}  // namespace kivo::camsim::testing
