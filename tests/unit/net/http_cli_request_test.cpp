// What THttpCli sends: the request lines in order and under their conditions, the handlers that
// may edit them, credentials from the URL, a proxy, and a POST body.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "net/http_cli.h"
#include "net_test_util.h"
#include "script_server.h"

namespace kivo {
namespace {

using testing::LoopTest;
using testing::Script;
using testing::ScriptServer;

class HttpRequestTest : public LoopTest {
 protected:
  HttpRequestTest() : cli_(loop_) {
    cli_.OnRequestDone = [this](THttpCli&, THttpRequest, std::uint16_t error) {
      ++done_;
      error_ = error;
    };
  }
  // Runs one request against a server that answers "200 OK" and returns what it received.
  std::string Exchange(const std::string& path, THttpRequest type = THttpRequest::Get) {
    ScriptServer server;
    server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nx").Close()});
    cli_.URL = server.Url(path);
    int before = done_;
    cli_.DoRequestAsync(type);
    EXPECT_TRUE(WaitFor([&] { return done_ > before; }));
    auto received = server.Received();
    return received.empty() ? std::string() : received[0];
  }

  THttpCli cli_;
  int done_ = 0;
  int error_ = -1;
};

TEST_F(HttpRequestTest, EveryOptionalLineInItsPlace) {
  std::istringstream body("field=value");
  cli_.SendStream = &body;
  cli_.Sender = "me@example.com";
  cli_.Reference = "http://ref/";
  cli_.AcceptLanguage = "en";
  cli_.Agent = "Kivo";
  cli_.NoCache = true;
  cli_.ModifiedSince = 45292.5;
  cli_.Username = "user";
  cli_.Password = "pass";
  cli_.Cookie = "a=b";
  cli_.ContentRangeBegin = "10";
  cli_.AcceptRanges = "bytes";
  std::string got = Exchange("/form?q=1", THttpRequest::Post);
  EXPECT_EQ(got,
            "POST /form?q=1 HTTP/1.0\r\n"
            "From: me@example.com\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "Referer: http://ref/\r\n"
            "Accept-Language: en\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\n"
            "User-Agent: Kivo\r\n"
            "Host: 127.0.0.1\r\n"
            "Pragma: no-cache\r\n"
            "Content-Length: 11\r\n"
            "If-Modified-Since: Mon, 01 Jan 2024 12:00:00 GMT\r\n"
            "Authorization: Basic dXNlcjpwYXNz\r\n"
            "Cookie: a=b\r\n"
            "Range: bytes=10-\r\n"
            "\r\n"
            "field=value");
  EXPECT_EQ(cli_.ContentRangeBegin, "");  // a range is asked for once
  EXPECT_EQ(cli_.AcceptRanges, "");
  EXPECT_EQ(cli_.SentCount(), 11);
  EXPECT_EQ(error_, 0);
}

TEST_F(HttpRequestTest, MinimalRequestHasOnlyTheAlwaysLines) {
  cli_.Accept.clear();
  cli_.Agent.clear();
  EXPECT_EQ(Exchange("/"), "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpRequestTest, HandlersMayEditDropAndAddLines) {
  std::vector<std::string> order;
  cli_.OnBeforeHeaderSend = [&](THttpCli&, const std::string& method, std::vector<std::string>& lines) {
    EXPECT_EQ(method, "GET");
    lines.push_back("X-Extra: 1");
  };
  cli_.OnCommand = [&](THttpCli&, std::string& line) {
    order.push_back(line);
    if (line.rfind("Accept:", 0) == 0) line.clear();          // dropped, its line end too? no: kept
    if (line.rfind("User-Agent:", 0) == 0) line = "User-Agent: edited";
  };
  EXPECT_EQ(Exchange("/p"),
            "GET /p HTTP/1.0\r\n\r\nUser-Agent: edited\r\nHost: 127.0.0.1\r\nX-Extra: 1\r\n\r\n");
  EXPECT_EQ(order.back(), "");  // the closing empty line goes through OnCommand too
}

TEST_F(HttpRequestTest, CredentialsInTheUrlReplaceTheProperties) {
  cli_.Username = "old";
  std::string got = Exchange("/x");
  EXPECT_EQ(got.find("Authorization: Basic b2xkOg==\r\n") != std::string::npos, true);  // "old:"

  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\n").Close()});
  cli_.URL = "http://u:p@127.0.0.1:" + std::to_string(server.port()) + "/x?y";
  cli_.GetASync();
  ASSERT_TRUE(WaitFor([&] { return done_ == 2; }));
  EXPECT_EQ(cli_.Username, "u");
  EXPECT_EQ(cli_.Password, "p");
  EXPECT_EQ(cli_.Path(), "/x?y");
  EXPECT_EQ(cli_.Port(), std::to_string(server.port()));
  EXPECT_NE(server.Received().at(0).find("GET /x?y HTTP/1.0\r\n"), std::string::npos);
  EXPECT_NE(server.Received().at(0).find("Authorization: Basic dTpw\r\n"), std::string::npos);
}

TEST_F(HttpRequestTest, ProxyGetsTheFullUrlAndItsOwnCredentials) {
  ScriptServer proxy;
  proxy.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\n").Close()});
  cli_.Proxy = "127.0.0.1:" + std::to_string(proxy.port());
  cli_.ProxyUsername = "pu";
  cli_.ProxyPassword = "pp";
  cli_.URL = "http://10.5.5.9:8080/live/amba.m3u8";  // only named in the request, never contacted
  cli_.GetASync();
  ASSERT_TRUE(WaitFor([&] { return done_ == 1; }));
  const std::string got = proxy.Received().at(0);
  EXPECT_EQ(got.substr(0, 50), "GET http://10.5.5.9:8080/live/amba.m3u8 HTTP/1.0\r\n");
  EXPECT_NE(got.find("Host: 10.5.5.9\r\n"), std::string::npos);
  EXPECT_NE(got.find("Proxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos);
  EXPECT_EQ(cli_.HostName(), "127.0.0.1");
  EXPECT_EQ(cli_.TargetHost(), "10.5.5.9");
  EXPECT_EQ(cli_.DocName(), "amba.m3u8");
}

TEST_F(HttpRequestTest, LargePostGoesOutInPiecesWithSendEvents) {
  std::string payload(100000, 'q');
  std::istringstream body(payload);
  cli_.SendStream = &body;
  int begins = 0, ends = 0;
  long long announced = 0;
  cli_.OnSendBegin = [&](THttpCli&) { ++begins; };
  cli_.OnSendData = [&](THttpCli&, const char*, int len) { announced += len; };
  cli_.OnSendEnd = [&](THttpCli&) { ++ends; };
  std::string got = Exchange("/upload", THttpRequest::Post);
  EXPECT_NE(got.find("Content-Length: 100000\r\n"), std::string::npos);
  EXPECT_EQ(got.substr(got.size() - payload.size()), payload);
  EXPECT_EQ(begins, 1);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(announced, 100000);
  EXPECT_EQ(cli_.SentCount(), 100000);
}

}  // namespace
}  // namespace kivo
