// THttpCli against the scripted server: event order, HEAD, content-length 0, error replies,
// redirects, the body without copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "http_recorder.h"
#include "net/http_cli.h"
#include "net_test_util.h"
#include "script_server.h"

namespace kivo {
namespace {

using testing::HttpRecorder;
using testing::LoopTest;
using testing::Script;
using testing::ScriptServer;

class HttpCliTest : public LoopTest {
 protected:
  HttpCliTest() : cli_(loop_) { rec_.Attach(cli_); }
  bool WaitDone(int count = 1) { return WaitFor([&] { return rec_.done >= count; }); }

  THttpCli cli_;
  HttpRecorder rec_;
};

TEST_F(HttpCliTest, GetFiresEveryEventInOrder) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nhello").Close()});
  cli_.URL = server.Url("/bacpac/se?t=pw");
  cli_.GetASync();
  EXPECT_EQ(cli_.State(), THttpState::DnsLookupDone);  // a dotted host resolves inside the call
  ASSERT_TRUE(WaitDone());
  loop_.RunFor(20);
  const std::vector<std::string> expected = {
      "State1", "State3", "State4", "State2", "SessionConnected", "State5", "RequestHeaderBegin",
      "BeforeHeaderSend:GET", "Command:GET /bacpac/se?t=pw HTTP/1.0",
      "Command:Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*",
      "Command:User-Agent: Mozilla/3.0 (compatible)", "Command:Host: 127.0.0.1", "RequestHeaderEnd",
      "Command:", "HeaderBegin", "HeaderData:HTTP/1.0 200 OK", "HeaderData:Content-Type: text/plain",
      "State6", "HeaderEnd", "DocBegin", "DocData", "DocEnd", "State0", "RequestDone:1:0"};
  EXPECT_EQ(rec_.events, expected);
  EXPECT_EQ(rec_.body, "hello");
  EXPECT_EQ(cli_.StatusCode(), 200);
  EXPECT_EQ(cli_.ReasonPhrase(), "OK");
  EXPECT_EQ(cli_.RcvdCount(), 5);
  EXPECT_EQ(cli_.DocName(), "se");
  EXPECT_EQ(cli_.RcvdHeader(), (std::vector<std::string>{"HTTP/1.0 200 OK", "Content-Type: text/plain"}));
  EXPECT_EQ(server.Received().at(0),
            "GET /bacpac/se?t=pw HTTP/1.0\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
            "*/*\r\nUser-Agent: Mozilla/3.0 (compatible)\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpCliTest, HeadSendsHeadAndEndsWithoutBody) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\nContent-Length: 1234\r\n\r\n").Close()});
  cli_.URL = server.Url("/videos/");
  cli_.HeadASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(server.Received().at(0).substr(0, 26), "HEAD /videos/ HTTP/1.0\r\nAc");
  EXPECT_EQ(rec_.events.back(), "RequestDone:3:0");
  EXPECT_EQ(std::count(rec_.events.begin(), rec_.events.end(), "DocEnd"), 0);  // no chunk, no DocEnd
  EXPECT_EQ(cli_.ContentLength(), 1234);
  EXPECT_EQ(cli_.RequestType(), THttpRequest::Head);
}

TEST_F(HttpCliTest, ContentLengthZeroCompletesWhileTheServerKeepsTheConnection) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n").Silent()});
  cli_.URL = server.Url("/camera/PW?t=x&p=%01");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 0);
  EXPECT_EQ(rec_.body, "");
  EXPECT_EQ(cli_.State(), THttpState::Ready);
  EXPECT_EQ(std::count(rec_.events.begin(), rec_.events.end(), "DocBegin"), 0);

  // The client is reusable at once: the next request drops the old connection quietly.
  ScriptServer second;
  second.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nagain").Close()});
  cli_.URL = second.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone(2));
  EXPECT_EQ(rec_.body, "again");
  EXPECT_EQ(rec_.done_error, 0);
}

TEST_F(HttpCliTest, BareHtmlReplyInMixedCaseIsTheWholeBody) {
  ScriptServer server;
  const std::string page = "<HtMl><body>status</body>\r\n</hTmL>\r\n";
  server.Serve({Script().ReadRequest().SendPieces(page, {3, 9}).Close()});
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.body, page);
  EXPECT_EQ(cli_.StatusCode(), 0);
  EXPECT_EQ(cli_.ContentType(), "text/html");
  EXPECT_TRUE(cli_.RcvdHeader().empty());
  EXPECT_EQ(rec_.done_error, 0);
}

TEST_F(HttpCliTest, ErrorReplyKeepsOnlyTheBodyThatCameWithTheHeader) {
  ScriptServer server;
  server.Serve({Script()
                    .ReadRequest()
                    .Send("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<p>gone")
                    .Pause(100)
                    .Send("MORE BODY NOT READ")
                    .Close()});
  cli_.URL = server.Url("/nothing.jpg");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(cli_.StatusCode(), 404);
  EXPECT_EQ(cli_.ReasonPhrase(), "Not Found");
  EXPECT_EQ(rec_.body, "<p>gone");
  EXPECT_EQ(rec_.done_error, 0);
  EXPECT_EQ(std::count(rec_.events.begin(), rec_.events.end(), "DocEnd"), 1);
}

TEST_F(HttpCliTest, ResponseSplitAcrossManyPacketsArrivesWhole) {
  ScriptServer server;
  std::string body(200000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i % 251);
  std::string reply = "HTTP/1.0 200 OK\r\nContent-Length: 200000\r\n\r\n" + body;
  server.Serve({Script().ReadRequest().SendPieces(reply, {5, 10, 1, 1, 40, 3000, 20000}).Close()});
  std::ostringstream copy;
  cli_.RcvdStream = &copy;
  int largest = 0;
  cli_.OnDocData = [&](THttpCli&, const char* data, int len) {
    rec_.body.append(data, len);
    largest = std::max(largest, len);
  };
  cli_.URL = server.Url("/videos/100GOPRO/GOPR0001.MP4");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_TRUE(rec_.body == body);
  EXPECT_TRUE(copy.str() == body);
  EXPECT_EQ(cli_.RcvdCount(), 200000);
  EXPECT_LE(largest, THttpCli::kBodyBufSize);
}

TEST_F(HttpCliTest, RelativeRedirectFollowsOnANewConnection) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 302 Found\r\nLocation: next.htm?x=1\r\n\r\n").Silent(),
                Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nfinal").Close()});
  cli_.URL = server.Url("/dir/first.htm");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.body, "final");
  EXPECT_EQ(rec_.done_error, 0);
  ASSERT_EQ(server.Received().size(), 2u);
  EXPECT_EQ(server.Received()[1].substr(0, 32), "GET /dir/next.htm?x=1 HTTP/1.0\r\n");
  EXPECT_EQ(cli_.Location(), "http://127.0.0.1/dir/next.htm?x=1");
  EXPECT_EQ(cli_.DocName(), "next.htm");
  // The redirect inserts HeaderEnd, LocationChange and a new lookup...connect run.
  auto at = std::find(rec_.events.begin(), rec_.events.end(), "LocationChange:http://127.0.0.1/dir/next.htm?x=1");
  ASSERT_NE(at, rec_.events.end());
  EXPECT_EQ(*(at - 1), "HeaderEnd");
  EXPECT_EQ(*(at + 1), "State3");
  EXPECT_EQ(std::count(rec_.events.begin(), rec_.events.end(), "SessionConnected"), 2);
  EXPECT_EQ(cli_.RcvdHeader(), std::vector<std::string>{"HTTP/1.0 200 OK"});
}

TEST_F(HttpCliTest, AbsoluteRedirectAndOtherSchemeAsRelative) {
  ScriptServer server;
  const std::string port = std::to_string(server.port());
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 301 Moved\r\nLocation: http://127.0.0.1:" + port +
                                            "/abs/doc.txt#frag\r\n\r\n").Close(),
                Script().ReadRequest().Send("HTTP/1.0 200 OK\r\nLocation: https://elsewhere/x\r\n\r\n").Close(),
                Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nthird").Close()});
  cli_.URL = server.Url("/start");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.body, "third");
  ASSERT_EQ(server.Received().size(), 3u);
  EXPECT_EQ(server.Received()[1].substr(0, 28), "GET /abs/doc.txt HTTP/1.0\r\nA");
  // "https://elsewhere/x" is not http://, so it is taken relative to /abs/.
  EXPECT_EQ(server.Received()[2].substr(0, 40), "GET /abs/https://elsewhere/x HTTP/1.0\r\nA");
  EXPECT_EQ(std::count_if(rec_.events.begin(), rec_.events.end(),
                          [](const std::string& e) { return e.rfind("LocationChange:", 0) == 0; }),
            2);
}

TEST_F(HttpCliTest, RedirectedPostIsSentAgainAsGet) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 303 See Other\r\nLocation: /result\r\n\r\n").Close(),
                Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\ndone").Close()});
  std::istringstream form("a=1&b=2");
  cli_.SendStream = &form;
  cli_.URL = server.Url("/form");
  cli_.PostASync();
  ASSERT_TRUE(WaitDone());
  ASSERT_EQ(server.Received().size(), 2u);
  EXPECT_NE(server.Received()[0].find("\r\n\r\na=1&b=2"), std::string::npos);
  EXPECT_EQ(server.Received()[1].substr(0, 24), "GET /result HTTP/1.0\r\nAc");
  EXPECT_EQ(server.Received()[1].find("Content-Length"), std::string::npos);
  EXPECT_EQ(rec_.events.back(), "RequestDone:1:0");
}

TEST_F(HttpCliTest, BlockingGetReturnsWhenReadyAndRaisesOnErrorStatus) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nsync").Close(),
                Script().ReadRequest().Send("HTTP/1.0 403 Forbidden\r\n\r\n").Close()});
  cli_.URL = server.Url("/");
  cli_.Get();
  EXPECT_EQ(cli_.State(), THttpState::Ready);
  EXPECT_EQ(rec_.body, "sync");
  try {
    cli_.Get();
    FAIL() << "no exception";
  } catch (const EHttpException& e) {
    EXPECT_EQ(e.ErrorCode(), 403);
    EXPECT_STREQ(e.what(), "Forbidden");
  }
}

TEST_F(HttpCliTest, ClientStartedAgainFromRequestDone) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\none").Close(),
                Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\ntwo").Close()});
  cli_.URL = server.Url("/");
  auto base = cli_.OnRequestDone;
  cli_.OnRequestDone = [&](THttpCli& c, THttpRequest t, std::uint16_t e) {
    base(c, t, e);
    EXPECT_EQ(c.State(), THttpState::Ready);  // done arrives after Ready
    if (rec_.done == 1) c.GetASync();
  };
  cli_.GetASync();
  ASSERT_TRUE(WaitDone(2));
  EXPECT_EQ(rec_.body, "onetwo");
}

}  // namespace
}  // namespace kivo
