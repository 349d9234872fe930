// The reply parser fed through the client's test seam: every input whole, byte by byte and in
// random splits must give the same events, header, status and body.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "http_recorder.h"
#include "support/http_cli_feed.h"
#include "net_test_util.h"

namespace kivo {
namespace {

using testing::HttpRecorder;

struct ReplyCase {
  const char* name;
  std::string reply;
  int status;
  std::string body;
  int error;                  // OnRequestDone's error
  std::string content_type;
  std::size_t header_lines;   // size of RcvdHeader
};

struct Outcome {
  std::vector<std::string> events;
  std::string body;
  int status = -1;
  std::string reason;
  std::string content_type;
  std::vector<std::string> header;
  long long content_length = 0;
  int error = -1;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
  *os << "status " << o.status << " error " << o.error << " body[" << o.body.size() << "] events:";
  for (const auto& e : o.events) *os << " " << e;
}

// Feeds |reply| cut at |cuts| (offsets), then closes, and runs the loop until done.
Outcome Feed(const std::string& reply, const std::vector<std::size_t>& cuts) {
  PollEventLoop loop;
  THttpCliFeed cli(loop);
  HttpRecorder rec;
  rec.Attach(cli);
  cli.BeginReply(THttpRequest::Get);
  std::size_t pos = 0;
  for (std::size_t cut : cuts) {
    if (cut <= pos || cut >= reply.size()) continue;
    cli.Feed(reply.data() + pos, cut - pos);
    pos = cut;
  }
  cli.Feed(reply.data() + pos, reply.size() - pos);
  cli.ServerClose(0);
  loop.RunUntil([&] { return rec.done > 0; }, testing::kWaitMs);
  loop.RunFor(5);
  Outcome o;
  o.events = rec.events;
  o.body = rec.body;
  o.status = cli.StatusCode();
  o.reason = cli.ReasonPhrase();
  o.content_type = cli.ContentType();
  o.header = cli.RcvdHeader();
  o.content_length = cli.ContentLength();
  o.error = rec.done == 1 ? rec.done_error : -2;
  return o;
}

const std::string kBigBody = [] {
  std::string s;
  for (int i = 0; i < 30000; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}();

class ReplyParserTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyParserTest, WholeReplyGivesTheExpectedResult) {
  Outcome o = Feed(GetParam().reply, {});
  EXPECT_EQ(o.status, GetParam().status);
  EXPECT_EQ(o.body, GetParam().body);
  EXPECT_EQ(o.error, GetParam().error);
  EXPECT_EQ(o.content_type, GetParam().content_type);
  EXPECT_EQ(o.header.size(), GetParam().header_lines);
}

TEST_P(ReplyParserTest, ByteByByteGivesTheSameResult) {
  std::vector<std::size_t> cuts;
  for (std::size_t i = 1; i < GetParam().reply.size(); ++i) cuts.push_back(i);
  EXPECT_EQ(Feed(GetParam().reply, cuts), Feed(GetParam().reply, {}));
}

TEST_P(ReplyParserTest, RandomSplitsGiveTheSameResult) {
  Outcome whole = Feed(GetParam().reply, {});
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    std::vector<std::size_t> cuts;
    std::size_t n = GetParam().reply.size();
    for (std::size_t pos = 0; n > 1;) {
      pos += 1 + rng() % std::max<std::size_t>(1, seed * 7);
      if (pos >= n) break;
      cuts.push_back(pos);
    }
    EXPECT_EQ(Feed(GetParam().reply, cuts), whole) << "seed " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyParserTest,
    ::testing::Values(
        ReplyCase{"Ok", "HTTP/1.0 200 OK\r\nContent-Type: Text/Plain\r\n\r\nhello\r\nworld", 200,
                  "hello\r\nworld", 0, "text/plain", 2},
        ReplyCase{"BareLineFeeds", "HTTP/1.1 200 OK\nX: y\n\nbody\n", 200, "body\n", 0, "", 2},
        ReplyCase{"NoContentLength", "HTTP/1.0 200 OK\r\n\r\n" + kBigBody, 200, kBigBody, 0, "", 1},
        ReplyCase{"ContentLengthZero", "HTTP/1.0 204 No Content\r\nContent-Length: 0\r\n\r\n", 204, "", 0, "", 2},
        ReplyCase{"ContentLengthZeroIgnoresTrailingBytes",
                  "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\nstray", 200, "", 0, "", 2},
        ReplyCase{"BareHtml", "<hTmL><body>\r\nx</body></html>\r\n", 0,
                  "<hTmL><body>\r\nx</body></html>\r\n", 0, "text/html", 0},
        ReplyCase{"HeaderOnlyThenClose", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n", 200, "", 0, "", 2},
        ReplyCase{"CookiesAndRanges",
                  "HTTP/1.1 206 Partial\r\nSet-Cookie: a=1\r\ncontent-range: bytes 0-499/1234\r\n"
                  "Accept-Ranges: bytes\r\n\r\n0123",
                  206, "0123", 0, "", 4},
        ReplyCase{"IncompleteHeader", "HTTP/1.0 200 OK\r\nContent-Ty", 404, "", 10053, "", 1},
        ReplyCase{"NothingAtAll", "", 404, "", 10053, "", 0},
        ReplyCase{"BadContentLength", "HTTP/1.0 200 OK\r\nContent-Length: 12x\r\n\r\nbody", 404, "", 5, "", 2},
        ReplyCase{"BadStatusNumber", "HTTP/1.0 2x0 OK\r\n\r\nbody", 404, "", 5, "", 1},
        ReplyCase{"LongestLineFits", "HTTP/1.0 200 OK\r\nX-Long: " + std::string(8190 - 8, 'L') +
                                         "\r\n\r\nok",
                  200, "ok", 0, "", 2},
        ReplyCase{"EndlessHeaderLines", "HTTP/1.1 200 OK\r\n" + [] {
                    std::string lines;
                    for (int i = 0; i < 600; ++i) lines += "X: y\r\n";
                    return lines;
                  }() + "\r\nok",
                  404, "", 6, "", 500},
        ReplyCase{"HeaderOver64KiB", "HTTP/1.1 200 OK\r\n" + [] {
                    std::string lines;
                    for (int i = 0; i < 20; ++i) lines += "X: " + std::string(3997, 'h') + "\r\n";
                    return lines;
                  }() + "\r\nok",
                  404, "", 6, "", 17},
        ReplyCase{"LineTooLong", "HTTP/1.0 200 OK\r\nX-Long: " + std::string(8192, 'L') + "\r\n\r\nok",
                  404, "", 4, "", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyParserDetailTest, ErrorReplyKeepsOnlyBodyBytesThatCameWithTheHeader) {
  const std::string reply = "HTTP/1.0 404 Not Found\r\n\r\nmissing";
  Outcome together = Feed(reply, {});
  EXPECT_EQ(together.status, 404);
  EXPECT_EQ(together.body, "missing");
  EXPECT_EQ(together.error, 0);
  Outcome later = Feed(reply, {reply.size() - 7});  // the body comes after the header
  EXPECT_EQ(later.status, 404);
  EXPECT_EQ(later.body, "");
  EXPECT_EQ(later.error, 0);
}

TEST(ReplyParserDetailTest, ReadsStatusRangesAndReason) {
  PollEventLoop loop;
  THttpCliFeed cli(loop);
  std::vector<std::string> cookies;
  cli.OnCookie = [&](THttpCli&, const std::string& v, bool& accept) {
    EXPECT_TRUE(accept);
    cookies.push_back(v);
  };
  cli.BeginReply(THttpRequest::Get);
  std::string reply =
      "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-499/1234\r\nAccept-Ranges: bytes\r\n"
      "Set-Cookie: a=1; path=/\r\nContent-Length:   42  \r\nWWW-Authenticate: Basic\r\n\r\n";
  cli.Feed(reply.data(), reply.size());
  EXPECT_EQ(cli.StatusCode(), 206);
  EXPECT_EQ(cli.ReasonPhrase(), "Partial Content");
  EXPECT_EQ(cli.ContentRangeBegin, "0");
  EXPECT_EQ(cli.ContentRangeEnd, "499");
  EXPECT_EQ(cli.AcceptRanges, "bytes");
  EXPECT_EQ(cli.ContentLength(), 42);
  EXPECT_EQ(cookies, std::vector<std::string>{"a=1; path=/"});
  EXPECT_EQ(cli.RcvdHeader().back(), "WWW-Authenticate: Basic");
  EXPECT_EQ(cli.State(), THttpState::WaitingBody);
}

TEST(ReplyParserDetailTest, LineTooLongEndsAtOnceWithItsText) {
  PollEventLoop loop;
  THttpCliFeed cli(loop);
  HttpRecorder rec;
  rec.Attach(cli);
  cli.BeginReply(THttpRequest::Get);
  std::string reply = "HTTP/1.0 200 OK\r\n" + std::string(8192, 'x');  // no close needed
  cli.Feed(reply.data(), reply.size());
  ASSERT_TRUE(loop.RunUntil([&] { return rec.done > 0; }, testing::kWaitMs));
  EXPECT_EQ(rec.done_error, 4);
  EXPECT_EQ(cli.ReasonPhrase(), "HTTP line too long");
  EXPECT_EQ(cli.State(), THttpState::Ready);
}

struct DocNameCase {
  const char* name;
  const char* path;
  const char* content_type;
  const char* expected;
};

class HtmlDocNameTest : public ::testing::TestWithParam<DocNameCase> {};

TEST_P(HtmlDocNameTest, HtmlRepliesGetAnHtmExtensionWhenTheNameHasNoneOrIsExe) {
  PollEventLoop loop;
  THttpCliFeed cli(loop);
  cli.URL = std::string("http://127.0.0.1") + GetParam().path;
  cli.BeginReply(THttpRequest::Get);
  std::string reply = std::string("HTTP/1.0 200 OK\r\nContent-Type: ") + GetParam().content_type + "\r\n\r\n";
  cli.Feed(reply.data(), reply.size());
  EXPECT_EQ(cli.DocName(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HtmlDocNameTest,
    ::testing::Values(DocNameCase{"Exe", "/setup.EXE", "TEXT/HTML", "setup.htm"},
                      DocNameCase{"NoExtension", "/page", "text/html", "page.htm"},
                      DocNameCase{"Default", "/", "text/html", "document.htm"},
                      DocNameCase{"OtherExtension", "/photo.jpg", "text/html", "photo.jpg"},
                      DocNameCase{"NotHtml", "/setup.exe", "application/octet-stream", "setup.exe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyParserDetailTest, RedirectInTestModeEndsWithoutConnecting) {
  PollEventLoop loop;
  THttpCliFeed cli(loop);
  HttpRecorder rec;
  rec.Attach(cli);
  cli.BeginReply(THttpRequest::Post);
  std::string reply = "HTTP/1.0 302 Found\r\nLocation: http://10.5.5.9/next#frag\r\n\r\n";
  cli.Feed(reply.data(), reply.size());
  ASSERT_TRUE(loop.RunUntil([&] { return rec.done > 0; }, testing::kWaitMs));
  EXPECT_EQ(cli.Location(), "http://10.5.5.9/next");
  EXPECT_EQ(cli.RequestType(), THttpRequest::Get);  // a redirected POST becomes a GET
  EXPECT_EQ(rec.done_error, 10051);
  EXPECT_NE(std::find(rec.events.begin(), rec.events.end(), "LocationChange:http://10.5.5.9/next"),
            rec.events.end());
}

TEST(ReplyParserDetailTest, AbortAfterLocationEndsWithError3AndGoesNowhere) {
  PollEventLoop loop;
  THttpCliFeed cli(loop);
  HttpRecorder rec;
  rec.Attach(cli);
  cli.BeginReply(THttpRequest::Get);
  std::string reply = "HTTP/1.0 302 Found\r\nLocation: /next\r\n";  // the header goes on
  cli.Feed(reply.data(), reply.size());
  cli.Abort();
  ASSERT_TRUE(loop.RunUntil([&] { return rec.done > 0; }, testing::kWaitMs));
  loop.RunFor(5);
  EXPECT_EQ(rec.done, 1);
  EXPECT_EQ(rec.done_error, 3);
  for (const auto& e : rec.events) EXPECT_EQ(e.rfind("LocationChange", 0), std::string::npos) << e;
}

}  // namespace
}  // namespace kivo
