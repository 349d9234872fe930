// In-process tests of the simulator's smaller pieces: parameter decoding, the request parser,
// photos, the clock, the card and the live stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "camera_clock.h"
#include "command_table.h"
#include "fake_time.h"
#include "http_message.h"
#include "jpeg_writer.h"
#include "live_stream.h"
#include "media_card.h"
#include "media_pages.h"

namespace kivo::camsim {
namespace {

// --- parameter decoding -----------------------------------------------------------------------

struct QueryRow {
  const char* name;
  const char* query;
  const char* password;
  bool has_parameter;
  std::string parameter;
};

class QueryTest : public ::testing::TestWithParam<QueryRow> {};

TEST_P(QueryTest, Decodes) {
  const CommandQuery q = ParseCommandQuery(GetParam().query);
  EXPECT_EQ(q.password, GetParam().password);
  EXPECT_EQ(q.has_parameter, GetParam().has_parameter);
  EXPECT_EQ(q.parameter, GetParam().parameter);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, QueryTest,
    ::testing::Values(
        QueryRow{"NoParameter", "t=cameralnk", "cameralnk", false, ""},
        QueryRow{"OneByte", "t=cameralnk&p=%01", "cameralnk", true, "\x01"},
        QueryRow{"ZeroByte", "t=x&p=%00", "x", true, std::string(1, '\0')},
        QueryRow{"UpperCaseHex", "t=x&p=%FF", "x", true, "\xff"},
        QueryRow{"SixClockBytes", "t=x&p=%0d%03%01%0c%00%00", "x", true,
                 std::string("\x0d\x03\x01\x0c\x00\x00", 6)},
        QueryRow{"CameraNameWithBlanksAndAmpersand", "t=x&p=%09My%20Cam%26Co", "x", true,
                 "\tMy Cam&Co"},
        QueryRow{"PasswordWithAmpersand", "t=a%26b&p=%01", "a&b", true, "\x01"},
        QueryRow{"PasswordDecodedByteForByte", "t=cameralnk%26p%3D%2501", "cameralnk&p=%01",
                 false, ""},
        QueryRow{"RawAmpersandEndsThePassword", "t=cameralnk&p=%01&p=%00", "cameralnk", true,
                 "\x01"},
        QueryRow{"ParameterBeforePassword", "p=%02&t=pw", "pw", true, "\x02"},
        QueryRow{"NonAsciiNameBytes", "t=x&p=%09K%C3%A4fer%FF", "x", true,
                 "\tK\xC3\xA4" "fer\xFF"},
        QueryRow{"BrokenEscapeKept", "t=x&p=%0", "x", true, "%0"},
        QueryRow{"EmptyParameter", "t=x&p=", "x", true, ""},
        QueryRow{"NoPassword", "p=%01", "", true, "\x01"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- request parser ---------------------------------------------------------------------------

TEST(RequestParserTest, WholeByteByByteAndRandomSplitsAgree) {
  const std::string request =
      "GET /camera/CN?t=cameralnk&p=%09My%20Cam HTTP/1.0\r\nHost: 10.5.5.9\r\n\r\n";
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    std::string received;
    HttpRequest parsed;
    ParseStatus status = ParseStatus::kIncomplete;
    size_t at = 0;
    while (at < request.size()) {
      const size_t step = round == 0 ? request.size() : round == 1 ? 1 : 1 + random() % 9;
      received += request.substr(at, step);
      at += step;
      status = ParseRequestHead(received, &parsed);
      if (at < request.size()) {
        ASSERT_EQ(status, ParseStatus::kIncomplete);
      }
    }
    ASSERT_EQ(status, ParseStatus::kComplete);
    EXPECT_EQ(parsed.method, "GET");
    EXPECT_EQ(parsed.target, "/camera/CN?t=cameralnk&p=%09My%20Cam");
    EXPECT_EQ(parsed.path, "/camera/CN");
    EXPECT_EQ(parsed.version, "HTTP/1.0");
  }
}

TEST(RequestParserTest, BareLineFeedsAndOldStyleRequests) {
  HttpRequest parsed;
  ASSERT_EQ(ParseRequestHead("HEAD / HTTP/1.1\n\n", &parsed), ParseStatus::kComplete);
  EXPECT_EQ(parsed.method, "HEAD");
  EXPECT_EQ(parsed.target, "/");
  ASSERT_EQ(ParseRequestHead("GET /live/\r\n\r\n", &parsed), ParseStatus::kComplete);
  EXPECT_EQ(parsed.target, "/live/");
  EXPECT_EQ(parsed.version, "");
  EXPECT_EQ(ParseRequestHead("GARBAGE\r\n\r\n", &parsed), ParseStatus::kMalformed);
  EXPECT_EQ(ParseRequestHead(std::string(kMaxRequestHead, 'x'), &parsed), ParseStatus::kTooLarge);
}

struct RequestLineRow {
  const char* name;
  const char* head;
  ParseStatus status;
};

class RequestLineTest : public ::testing::TestWithParam<RequestLineRow> {};

TEST_P(RequestLineTest, ATargetWithARawBlankIsMalformed) {
  HttpRequest parsed;
  EXPECT_EQ(ParseRequestHead(GetParam().head, &parsed), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RequestLineTest,
    ::testing::Values(
        RequestLineRow{"Encoded", "GET /camera/CN?t=pw&p=%09a%20b HTTP/1.0\r\n\r\n",
                       ParseStatus::kComplete},
        RequestLineRow{"BlankInName", "GET /camera/CN?t=pw&p=%09a b HTTP/1.0\r\n\r\n",
                       ParseStatus::kMalformed},
        RequestLineRow{"BlankInPassword", "GET /bacpac/se?t=my pass HTTP/1.0\r\n\r\n",
                       ParseStatus::kMalformed},
        RequestLineRow{"BlankWithoutVersion", "GET /camera/CN?t=pw&p=%09a b\r\n\r\n",
                       ParseStatus::kMalformed},
        RequestLineRow{"TwoBlanksBeforeVersion", "GET  / HTTP/1.0\r\n\r\n",
                       ParseStatus::kMalformed}),
    [](const auto& info) { return std::string(info.param.name); });

// --- photos -----------------------------------------------------------------------------------

uint32_t Read32(const std::string& s, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[at])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 8 |
         static_cast<uint8_t>(s[at + 3]);
}
unsigned Read16(const std::string& s, size_t at) {
  return static_cast<unsigned>(static_cast<uint8_t>(s[at])) << 8 | static_cast<uint8_t>(s[at + 1]);
}

TEST(JpegTest, DateAtOffset1132AndWellFormedSegments) {
  for (const CivilTime t : {CivilTime{2013, 5, 21, 23, 30, 0}, CivilTime{2099, 12, 31, 1, 2, 3}}) {
    const std::string jpeg = MakeJpeg({t, 1760, "HERO3 Black Edition"});
    ASSERT_GT(jpeg.size(), 1500u);
    EXPECT_EQ(jpeg.substr(kExifDateOffset, 19), FormatExifDate(t));
    // Walk the segments: SOI, marker segments with lengths, scan data, EOI at the very end.
    ASSERT_EQ(Read16(jpeg, 0), 0xffd8u);
    size_t at = 2;
    bool scan = false;
    while (at + 4 <= jpeg.size() && !scan) {
      ASSERT_EQ(static_cast<uint8_t>(jpeg[at]), 0xff) << "at " << at;
      scan = static_cast<uint8_t>(jpeg[at + 1]) == 0xda;
      at += 2 + Read16(jpeg, at + 2);
    }
    ASSERT_TRUE(scan);
    EXPECT_EQ(Read16(jpeg, jpeg.size() - 2), 0xffd9u);
    for (size_t i = at; i + 2 < jpeg.size(); ++i) {
      if (static_cast<uint8_t>(jpeg[i]) == 0xff) {
        ASSERT_EQ(jpeg[i + 1], '\0') << "unstuffed 0xff in scan data at " << i;
        ++i;
      }
    }
    // The Exif directory's DateTimeOriginal entry points at the same place.
    const size_t tiff = 12;
    const size_t exif_ifd = tiff + Read32(jpeg, tiff + 8 + 2 + 3 * 12 + 8);
    bool found = false;
    for (unsigned i = 0; i < Read16(jpeg, exif_ifd); ++i) {
      const size_t entry = exif_ifd + 2 + 12 * i;
      if (Read16(jpeg, entry) == 0x9003) {
        EXPECT_EQ(tiff + Read32(jpeg, entry + 8), kExifDateOffset);
        found = true;
      }
    }
    EXPECT_TRUE(found);
  }
}

// --- clock ------------------------------------------------------------------------------------

struct ClockRow {
  const char* name;
  CivilTime time;
  const char* rfc1123;
  const char* listing;
};

class ClockFormatTest : public ::testing::TestWithParam<ClockRow> {};

TEST_P(ClockFormatTest, Formats) {
  EXPECT_EQ(FormatRfc1123(GetParam().time), GetParam().rfc1123);
  EXPECT_EQ(FormatListingDate(GetParam().time), GetParam().listing);
  EXPECT_EQ(FromNaiveSeconds(ToNaiveSeconds(GetParam().time)).day, GetParam().time.day);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ClockFormatTest,
    ::testing::Values(
        ClockRow{"Sunday", {2015, 3, 1, 12, 0, 0}, "Sun, 01 Mar 2015 12:00:00 GMT",
                 "01-Mar-2015 12:00"},
        ClockRow{"LeapDay", {2016, 2, 29, 23, 59, 59}, "Mon, 29 Feb 2016 23:59:59 GMT",
                 "29-Feb-2016 23:59"},
        ClockRow{"Recorded", {2013, 5, 21, 23, 30, 0}, "Tue, 21 May 2013 23:30:00 GMT",
                 "21-May-2013 23:30"},
        ClockRow{"Epoch", {1970, 1, 1, 0, 0, 0}, "Thu, 01 Jan 1970 00:00:00 GMT",
                 "01-Jan-1970 00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClockTest, RunsOnFromWhereItWasSet) {
  FakeTime time;
  CameraClock clock(time.Source());
  clock.Set({2013, 12, 31, 23, 59, 58});
  time.ms += 2500;
  EXPECT_EQ(FormatIsoDate(clock.Now()), "2014-01-01 00:00:00");
}

TEST(ClockTest, AnOffsetFromTheHostKeepsTheHostsMilliseconds) {
  FakeTime time;
  CameraClock clock(time.Source());
  const int64_t before = HostLocalNaiveMs();
  clock.SetFromHost(-90'500);
  const int64_t after = HostLocalNaiveMs();
  time.ms += 1000;
  // The clock runs from the moment it was set: now it reads host-at-set - 89.5 s.
  EXPECT_GE(clock.NowNaiveSeconds(), (before - 89'500) / 1000);
  EXPECT_LE(clock.NowNaiveSeconds(), (after - 89'500) / 1000);
}

TEST(ClockTest, ParsesAndRejects) {
  EXPECT_TRUE(ParseCivilTime("2013-05-21 23:30:00"));
  EXPECT_FALSE(ParseCivilTime("2013-02-30 00:00:00"));
  EXPECT_FALSE(ParseCivilTime("2013-05-21"));
  EXPECT_FALSE(ParseCivilTime("2013-05-21 24:00:00"));
}

// --- card -------------------------------------------------------------------------------------

TEST(MediaCardTest, NamesGroupsCompanionsAndFolders) {
  MediaCard card("HERO3 Black Edition", uint64_t{1} << 40, 4);
  const CivilTime t{2013, 5, 21, 23, 30, 0};
  ASSERT_TRUE(card.AddPhoto(t, 10));
  ASSERT_TRUE(card.AddVideo(t, 10));
  const int group = card.StartGroup();
  ASSERT_TRUE(card.AddGroupPhoto(group, t, 10));
  ASSERT_TRUE(card.AddGroupPhoto(group, t, 10));
  std::vector<std::string> names;
  for (const MediaFile& f : card.files()) names.push_back(f.folder + "/" + f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"100GOPRO/GOPR0001.JPG", "100GOPRO/GOPR0002.MP4",
                                             "100GOPRO/GOPR0002.THM", "100GOPRO/GOPR0002.LRV",
                                             "101GOPRO/G0010003.JPG", "101GOPRO/G0010004.JPG"}));
  EXPECT_EQ(card.Folders(), (std::vector<std::string>{"100GOPRO", "101GOPRO"}));
  for (const char* folder : {"100GOPRO", "101GOPRO", "102GOPRO", "100GOPR", ""}) {
    const std::vector<std::string> all = card.Folders();
    EXPECT_EQ(card.HasFolder(folder), std::find(all.begin(), all.end(), folder) != all.end())
        << folder;
  }
  EXPECT_EQ(card.PhotoCount(), 3);
  EXPECT_EQ(card.VideoCount(), 1);
  const uint64_t free = card.free_bytes();
  ASSERT_TRUE(card.DeleteLast());  // the whole burst group
  EXPECT_EQ(card.PhotoCount(), 1);
  EXPECT_EQ(card.free_bytes(), free + 20);
  ASSERT_TRUE(card.DeleteLast());  // the video with its companions
  EXPECT_EQ(card.files().size(), 1u);
  card.DeleteAll();
  EXPECT_FALSE(card.DeleteLast());
}

// --- live stream -----------------------------------------------------------------------------

struct VideoPacket {
  int counter;
  bool unit_start;
  int64_t pts;  // -1 unless the packet starts a PES packet
  int nal_type;  // of the first NAL after the access unit delimiter, -1 unless a PES start
};

std::vector<VideoPacket> VideoPackets(const std::string& ts) {
  std::vector<VideoPacket> out;
  for (size_t at = 0; at + 188 <= ts.size(); at += 188) {
    const auto* p = reinterpret_cast<const uint8_t*>(ts.data() + at);
    if (p[0] != 0x47 || (((p[1] & 0x1f) << 8) | p[2]) != 0x100) continue;
    const bool start = p[1] & 0x40;
    const size_t payload = 4 + ((p[3] & 0x20) ? 1 + p[4] : 0);
    VideoPacket v{p[3] & 0x0f, start, -1, -1};
    if (start) {
      const uint8_t* t = p + payload + 9;
      v.pts = (int64_t(t[0] & 0x0e) << 29) | (t[1] << 22) | ((t[2] >> 1) << 15) | (t[3] << 7) |
              (t[4] >> 1);
      v.nal_type = p[payload + 14 + 6 + 4] & 0x1f;  // after the 6-byte delimiter and a start code
    }
    out.push_back(v);
  }
  return out;
}

TEST(LiveStreamTest, SegmentsFollowOnAndEachOpensWithAKeyFrame) {
  const std::string a = LiveSegment(41), b = LiveSegment(42);
  ASSERT_EQ(a.size() % 188, 0u);
  const auto first = VideoPackets(a), second = VideoPackets(b);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.front().counter, (first.back().counter + 1) & 0x0f);
  for (size_t i = 1; i < first.size(); ++i)
    EXPECT_EQ(first[i].counter, (first[i - 1].counter + 1) & 0x0f) << i;
  EXPECT_EQ(second.front().pts - first.front().pts, 90000);
  EXPECT_EQ(first.front().nal_type, 7);  // parameter sets, then the key frame
  int frames = 0;
  for (const VideoPacket& v : first) frames += v.unit_start;
  EXPECT_EQ(frames, kLiveFramesPerSegment);
  // The picture moves once a second; the nine repeats stay small.
  EXPECT_NE(LiveKeyFrame(1), LiveKeyFrame(2));
  EXPECT_LT(LiveRepeatFrame(3).size(), 32u);
}

TEST(LiveStreamTest, RingNamesMapToTheSecondNearNow) {
  EXPECT_EQ(LiveSegmentSequence(LiveSegmentName(100), 100), 100);
  EXPECT_EQ(LiveSegmentSequence(LiveSegmentName(102), 100), 102);
  EXPECT_EQ(LiveSegmentSequence(LiveSegmentName(95), 100), 95);
  EXPECT_EQ(LiveSegmentSequence(LiveSegmentName(1), 0), 1);
  EXPECT_EQ(LiveSegmentSequence("amba_hls-17.ts", 100), -1);
  EXPECT_EQ(LiveSegmentSequence("amba.m3u8", 100), -1);
}

}  // namespace
}  // namespace kivo::camsim
