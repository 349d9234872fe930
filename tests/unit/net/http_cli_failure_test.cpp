// THttpCli when things go wrong: abort in every state, busy, refusal, resets, servers that stop
// halfway, handlers that throw, clients destroyed with work still queued.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "http_recorder.h"
#include "net/http_cli.h"
#include "platform/socket_api.h"
#include "net_test_util.h"
#include "script_server.h"

namespace kivo {
namespace {

using testing::HttpRecorder;
using testing::LoopTest;
using testing::Script;
using testing::ScriptServer;

class HttpFailureTest : public LoopTest {
 protected:
  // The client's name lookups go to whatever lookup_ holds when they run (the system's until a
  // test sets another); the helper thread keeps it alive.
  HttpFailureTest()
      : cli_(loop_, [lookup = lookup_](const std::string& name, std::vector<std::string>* out) {
          return (*lookup)(name, out);
        }) {
    rec_.Attach(cli_);
  }
  bool WaitDone(int count = 1) { return WaitFor([&] { return rec_.done >= count; }); }
  void ExpectAborted() {
    EXPECT_EQ(rec_.done, 1);
    EXPECT_EQ(rec_.done_error, 3);
    EXPECT_EQ(cli_.StatusCode(), 404);
    EXPECT_EQ(cli_.ReasonPhrase(), "Connection aborted on request");
    EXPECT_EQ(cli_.State(), THttpState::Ready);
  }

  std::shared_ptr<HostResolver> lookup_ =
      std::make_shared<HostResolver>(&socket_api::ResolveHostName);
  THttpCli cli_;
  HttpRecorder rec_;
};

enum class AbortPoint { kLookup, kConnecting, kConnected, kWaitingHeader, kInHeader, kWaitingBody, kFirstChunk };

struct AbortCase {
  const char* name;
  AbortPoint point;
};

class AbortTest : public HttpFailureTest, public ::testing::WithParamInterface<AbortCase> {};

TEST_P(AbortTest, EndsWithError3ExactlyOnce) {
  ScriptServer server;
  server.Serve({Script()
                    .ReadRequest()
                    .Send("HTTP/1.0 200 OK\r\nX-A: 1\r\n")
                    .Pause(150)
                    .Send("\r\n")
                    .Pause(400)  // generous: the abort must land before "first", even on a busy machine
                    .Send("first")
                    .Pause(150)
                    .Send("second")
                    .Silent()});
  const AbortPoint point = GetParam().point;
  *lookup_ = [](const std::string&, std::vector<std::string>* out) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    *out = {"127.0.0.1"};
    return 0;
  };
  bool aborted = false;
  auto abort_once = [&] {
    if (!aborted) {
      aborted = true;
      cli_.Abort();
    }
  };
  cli_.OnSessionConnected = [&](THttpCli&) {
    if (point == AbortPoint::kConnected) abort_once();
  };
  cli_.OnHeaderData = [&](THttpCli&) {
    if (point == AbortPoint::kInHeader) abort_once();
  };
  cli_.OnDocData = [&](THttpCli&, const char* data, int len) {
    rec_.body.append(data, len);
    if (point == AbortPoint::kFirstChunk) abort_once();
  };
  cli_.URL = point == AbortPoint::kLookup ? "http://camera.test:" + std::to_string(server.port()) + "/"
                                          : server.Url("/");
  cli_.GetASync();
  switch (point) {
    case AbortPoint::kLookup:
      EXPECT_EQ(cli_.State(), THttpState::DnsLookup);
      abort_once();
      break;
    case AbortPoint::kConnecting:
      EXPECT_EQ(cli_.State(), THttpState::DnsLookupDone);
      abort_once();
      break;
    case AbortPoint::kWaitingHeader:
      ASSERT_TRUE(WaitFor([&] { return cli_.State() == THttpState::WaitingHeader; }));
      abort_once();
      break;
    case AbortPoint::kWaitingBody:
      ASSERT_TRUE(WaitFor([&] { return cli_.State() == THttpState::WaitingBody; }));
      abort_once();
      break;
    default:
      break;
  }
  ASSERT_TRUE(WaitDone());
  loop_.RunFor(300);  // anything still queued (lookup answer, later data) must change nothing
  ExpectAborted();
  EXPECT_EQ(rec_.events.back(), "RequestDone:1:3");
  EXPECT_EQ(rec_.body, point == AbortPoint::kFirstChunk ? "first" : "");
}

INSTANTIATE_TEST_SUITE_P(States, AbortTest,
                         ::testing::Values(AbortCase{"DuringLookup", AbortPoint::kLookup},
                                           AbortCase{"WhileConnecting", AbortPoint::kConnecting},
                                           AbortCase{"InSessionConnected", AbortPoint::kConnected},
                                           AbortCase{"WaitingHeader", AbortPoint::kWaitingHeader},
                                           AbortCase{"InsideHeaderData", AbortPoint::kInHeader},
                                           AbortCase{"WaitingBody", AbortPoint::kWaitingBody},
                                           AbortCase{"InsideFirstDocData", AbortPoint::kFirstChunk}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpFailureTest, AbortDuringLookupFiresNoSocketClose) {
  *lookup_ = [](const std::string&, std::vector<std::string>* out) {
    *out = {"127.0.0.1"};
    return 0;
  };
  int socket_closes = 0;
  cli_.CtrlSocket().OnSessionClosed = [&](TWSocket&, int) { ++socket_closes; };
  cli_.URL = "http://camera.test/";
  cli_.GetASync();
  cli_.Abort();
  ASSERT_TRUE(WaitDone());
  loop_.RunFor(50);
  EXPECT_EQ(socket_closes, 0);
  ExpectAborted();
}

TEST_F(HttpFailureTest, AbortInReadyDoesNothing) {
  cli_.Abort();
  loop_.RunFor(30);
  EXPECT_TRUE(rec_.events.empty());
  EXPECT_EQ(cli_.State(), THttpState::Ready);
}

TEST_F(HttpFailureTest, BusyErrorLeavesTheRunningRequestAlone) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Pause(50).Send("HTTP/1.0 200 OK\r\n\r\nbody").Close()});
  cli_.URL = server.Url("/first");
  cli_.GetASync();
  cli_.URL = server.Url("/second");
  try {
    cli_.GetASync();
    FAIL() << "no exception";
  } catch (const EHttpException& e) {
    EXPECT_EQ(e.ErrorCode(), 1);
    EXPECT_STREQ(e.what(), "HTTP component is busy");
  }
  EXPECT_THROW(cli_.HeadASync(), EHttpException);
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 0);
  EXPECT_EQ(rec_.body, "body");
  EXPECT_EQ(server.Received().at(0).substr(0, 11), "GET /first ");
}

TEST_F(HttpFailureTest, PostWithoutStreamHasNothingToPost) {
  cli_.URL = "http://127.0.0.1/";
  try {
    cli_.PostASync();
    FAIL() << "no exception";
  } catch (const EHttpException& e) {
    EXPECT_EQ(e.ErrorCode(), 2);
    EXPECT_STREQ(e.what(), "HTTP component has nothing to post");
  }
  EXPECT_EQ(cli_.State(), THttpState::Ready);
}

TEST_F(HttpFailureTest, RefusedConnectionEndsWith10061) {
  cli_.URL = "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/";
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 10061);
  EXPECT_EQ(cli_.StatusCode(), 404);
  EXPECT_EQ(cli_.ReasonPhrase(), "Connection refused (Error #10061)");
  EXPECT_EQ(rec_.events.back(), "RequestDone:1:10061");
  EXPECT_FALSE(cli_.Connected());
}

TEST_F(HttpFailureTest, LookupFailureEndsWithTheLookupError) {
  *lookup_ = [](const std::string&, std::vector<std::string>*) { return 11001; };
  cli_.URL = "http://no-such-camera.test/";
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 11001);
  EXPECT_EQ(cli_.ReasonPhrase(), "can't resolve hostname to IP address");
  EXPECT_EQ(cli_.StatusCode(), 404);
}

TEST_F(HttpFailureTest, EmptyHostReportsASocketErrorAndEnds) {
  int socket_errors = 0;
  cli_.OnSocketError = [&](THttpCli&) { ++socket_errors; };
  cli_.URL = "http:///path";
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(socket_errors, 1);
  EXPECT_EQ(rec_.done_error, 10022);
}

TEST_F(HttpFailureTest, ImmediateConnectFailureSaysCantConnect) {
  int socket_errors = 0;
  cli_.OnSocketError = [&](THttpCli&) { ++socket_errors; };
  cli_.URL = "http://127.0.0.1:99999/";  // not a port: refused before any packet
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(socket_errors, 1);
  EXPECT_EQ(rec_.done_error, 10022);
  EXPECT_EQ(cli_.ReasonPhrase(), "can't connect: Invalid argument (Error #10022)");
  EXPECT_EQ(rec_.events.back(), "RequestDone:1:10022");
}

TEST_F(HttpFailureTest, ResetMidBodyEndsWith10054AfterTheDataReceived) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\npart").Pause(100).Reset()});
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.body, "part");
  EXPECT_EQ(rec_.done_error, 10054);
  EXPECT_EQ(std::count(rec_.events.begin(), rec_.events.end(), "DocEnd"), 1);
}

struct CutCase {
  const char* name;
  std::string sent;
  bool reset;
  int error;
};

class HeaderCutTest : public HttpFailureTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(HeaderCutTest, ServerGoingAwayDuringTheHeaderEndsTheRequest) {
  ScriptServer server;
  Script script;
  script.ReadRequest().Send(GetParam().sent).Pause(50);
  if (GetParam().reset) script.Reset();
  else script.Close();
  server.Serve({script});
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, GetParam().error);
  EXPECT_EQ(cli_.StatusCode(), 404);
  EXPECT_EQ(cli_.State(), THttpState::Ready);
}

INSTANTIATE_TEST_SUITE_P(Cuts, HeaderCutTest,
                         ::testing::Values(CutCase{"NothingSentClosed", "", false, 10053},
                                           CutCase{"HalfHeaderClosed", "HTTP/1.0 200 OK\r\nServ", false, 10053},
                                           CutCase{"HalfHeaderReset", "HTTP/1.0 200 OK\r\n", true, 10054}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpFailureTest, HeaderLineOf8192BytesEndsWithLineTooLongAndCloses) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\nX: " + std::string(8192, 'a') + "\r\n\r\n").Silent()});
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 4);
  EXPECT_EQ(cli_.ReasonPhrase(), "HTTP line too long");
  EXPECT_EQ(cli_.CtrlSocket().State(), wsClosed);
  ASSERT_TRUE(WaitFor([&] { return server.Finished() == 1; }));  // the server saw our close
}

TEST_F(HttpFailureTest, ExceptionInDocDataEndsTheRequestWith10053AndIsReported) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nabc").Silent()});
  std::string reported;
  cli_.OnBgException = [&](THttpCli&, const std::exception& e, bool&) { reported = e.what(); };
  cli_.OnDocData = [](THttpCli&, const char*, int) { throw std::runtime_error("cannot write TMP0001.txt"); };
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(reported, "cannot write TMP0001.txt");
  EXPECT_EQ(rec_.done_error, 10053);
  EXPECT_EQ(cli_.ReasonPhrase(), "cannot write TMP0001.txt");
}

TEST_F(HttpFailureTest, ExceptionAfterLocationEndsWithTheFailureAndGoesNowhere) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 302 Found\r\nLocation: /next\r\nX: 1\r\n").Silent()});
  cli_.OnHeaderData = [](THttpCli& c) {
    if (c.LastResponse() == "X: 1") throw std::runtime_error("header handler failed");
  };
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  loop_.RunFor(20);
  EXPECT_EQ(rec_.done, 1);
  EXPECT_EQ(rec_.done_error, 10053);
  EXPECT_EQ(cli_.ReasonPhrase(), "header handler failed");
  EXPECT_EQ(server.Accepted(), 1);
  for (const auto& e : rec_.events) EXPECT_EQ(e.rfind("LocationChange", 0), std::string::npos) << e;
}

TEST_F(HttpFailureTest, RedirectLoopEndsAfterTenRedirects) {
  ScriptServer server;
  server.Serve(std::vector<Script>(
      12, Script().ReadRequest().Send("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n").Silent()));
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 7);
  EXPECT_EQ(cli_.ReasonPhrase(), "HTTP too many redirects");
  EXPECT_EQ(std::count(rec_.events.begin(), rec_.events.end(), "LocationChange:http://127.0.0.1/again"),
            THttpCli::kMaxRedirects);
  EXPECT_EQ(server.Accepted(), THttpCli::kMaxRedirects + 1);
}

TEST_F(HttpFailureTest, ExceptionInSessionConnectedEndsWith10053) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Silent()});
  cli_.OnSessionConnected = [](THttpCli&) { throw std::runtime_error("no temporary file"); };
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.done_error, 10053);
  EXPECT_EQ(cli_.ReasonPhrase(), "no temporary file");
}

TEST_F(HttpFailureTest, HandlerRunningTheLoopInsideDocDataLosesNothing) {
  ScriptServer server;
  server.Serve({Script()
                    .ReadRequest()
                    .Send("HTTP/1.0 200 OK\r\n\r\nfirst-")
                    .Pause(40)
                    .Send("second-")
                    .Pause(40)
                    .Send("third")
                    .Close()});
  int nested = 0;
  cli_.OnDocData = [&](THttpCli&, const char* data, int len) {
    std::string chunk(data, len);  // the chunk must still be intact after the nested loop
    if (nested++ == 0) loop_.RunFor(150);
    EXPECT_EQ(std::string(data, len), chunk);
    rec_.body += chunk;
  };
  cli_.URL = server.Url("/");
  cli_.GetASync();
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(rec_.body, "first-second-third");
  EXPECT_EQ(rec_.done_error, 0);
}

TEST_F(HttpFailureTest, DestroyedInsideDocDataIsSafe) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nabc").Pause(50).Send("def").Close()});
  auto cli = std::make_unique<THttpCli>(loop_);
  int chunks = 0;
  cli->OnDocData = [&](THttpCli&, const char*, int) {
    ++chunks;
    cli.reset();
  };
  cli->URL = server.Url("/");
  cli->GetASync();
  ASSERT_TRUE(WaitFor([&] { return cli == nullptr; }));
  loop_.RunFor(150);
  EXPECT_EQ(chunks, 1);
}

TEST_F(HttpFailureTest, DestroyedWithCompletionQueuedIsSafe) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Silent()});
  int done = 0;
  {
    THttpCli cli(loop_);
    cli.OnRequestDone = [&](THttpCli&, THttpRequest, std::uint16_t) { ++done; };
    cli.URL = server.Url("/");
    cli.GetASync();
    WaitFor([&] { return cli.State() == THttpState::WaitingHeader; });
    cli.Abort();  // posts OnRequestDone, then the client goes away
  }
  loop_.RunFor(50);
  EXPECT_EQ(done, 0);
}

}  // namespace
}  // namespace kivo
