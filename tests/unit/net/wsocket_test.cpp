// TWSocket on a real loopback connection: lookup, connect, send queue, receive loop, close.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/wsocket.h"
#include "net_test_util.h"
#include "script_server.h"

namespace kivo {
namespace {

using testing::LoopTest;
using testing::Script;
using testing::ScriptServer;

class WSocketTest : public LoopTest {
 protected:
  // Connects |socket| to |server| and runs the loop until connected.
  void ConnectTo(TWSocket& socket, int port) {
    socket.SetAddr("127.0.0.1");
    socket.Port = std::to_string(port);
    socket.Connect();
    ASSERT_TRUE(WaitFor([&] { return socket.State() == wsConnected || socket.State() == wsClosed; }));
    ASSERT_EQ(socket.State(), wsConnected);
  }
};

TEST_F(WSocketTest, DottedLookupAnswersBeforeReturning) {
  TWSocket socket(loop_);
  std::vector<int> done;
  socket.OnDnsLookupDone = [&](TWSocket&, int error) { done.push_back(error); };
  socket.DnsLookup("10.5.5.9");  // resolved locally: nothing is sent anywhere
  ASSERT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(socket.DnsResult(), "10.5.5.9");
  EXPECT_EQ(socket.DnsResultList(), std::vector<std::string>{"10.5.5.9"});
}

TEST_F(WSocketTest, EmptyHostReportsTheErrorAndEndsWith10022) {
  TWSocket socket(loop_);
  std::vector<std::string> seen;
  socket.OnError = [&](TWSocket& s) { seen.push_back("error:" + s.LastErrorMessage()); };
  socket.OnDnsLookupDone = [&](TWSocket&, int error) { seen.push_back("done:" + std::to_string(error)); };
  socket.DnsLookup("");
  EXPECT_EQ(seen, (std::vector<std::string>{"error:DNS lookup: invalid host name.", "done:10022"}));
}

TEST_F(WSocketTest, EmptyHostRaisesWithoutAnErrorHandler) {
  TWSocket socket(loop_);
  EXPECT_THROW(socket.DnsLookup(""), ESocketException);
}

TEST_F(WSocketTest, NameLookupAnswersLaterFromTheLoop) {
  TWSocket socket(loop_, [](const std::string& name, std::vector<std::string>* out) {
    if (name != "camera.test") return 11001;
    *out = {"127.0.0.7", "127.0.0.8"};
    return 0;
  });
  std::vector<int> done;
  socket.OnDnsLookupDone = [&](TWSocket&, int error) { done.push_back(error); };
  socket.DnsLookup("camera.test");
  EXPECT_TRUE(done.empty());
  ASSERT_TRUE(WaitFor([&] { return !done.empty(); }));
  EXPECT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(socket.DnsResult(), "127.0.0.7");
  EXPECT_EQ(socket.DnsResultList().size(), 2u);

  socket.DnsLookup("other.test");
  ASSERT_TRUE(WaitFor([&] { return done.size() == 2; }));
  EXPECT_EQ(done[1], 11001);
  EXPECT_EQ(socket.DnsResult(), "");
}

TEST_F(WSocketTest, CancelledLookupNeverAnswers) {
  TWSocket socket(loop_, [](const std::string&, std::vector<std::string>* out) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    *out = {"127.0.0.1"};
    return 0;
  });
  int done = 0;
  socket.OnDnsLookupDone = [&](TWSocket&, int) { ++done; };
  socket.DnsLookup("slow.test");
  socket.CancelDnsLookup();
  loop_.RunFor(150);
  EXPECT_EQ(done, 0);
}

TEST_F(WSocketTest, DestroyedDuringLookupIsSafe) {
  bool answered = false;
  {
    TWSocket socket(loop_, [](const std::string&, std::vector<std::string>* out) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      *out = {"127.0.0.1"};
      return 0;
    });
    socket.OnDnsLookupDone = [&](TWSocket&, int) { answered = true; };
    socket.DnsLookup("slow.test");
  }
  loop_.RunFor(120);
  EXPECT_FALSE(answered);
}

struct RefusalCase {
  const char* name;
  const char* addr;
  const char* port;
  const char* proto;
  const char* message;
};

class ConnectRefusalTest : public LoopTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ConnectRefusalTest, ReportsTheMisuse) {
  TWSocket socket(loop_);
  socket.SetAddr(GetParam().addr);
  socket.Port = GetParam().port;
  socket.SetProto(GetParam().proto);
  std::vector<std::string> errors;
  socket.OnError = [&](TWSocket& s) { errors.push_back(s.LastErrorMessage()); };
  socket.Connect();
  EXPECT_EQ(errors, std::vector<std::string>{GetParam().message});
  EXPECT_NE(socket.State(), wsConnecting);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectRefusalTest,
    ::testing::Values(
        RefusalCase{"NoPort", "127.0.0.1", "", "tcp", "Connect: No Port Specified"},
        RefusalCase{"NoAddress", "", "80", "tcp", "Connect: No IP Address Specified"},
        RefusalCase{"NoProtocol", "127.0.0.1", "80", "", "Connect: No Protocol Specified"},
        RefusalCase{"BadProtocol", "127.0.0.1", "80", "xyz",
                    "connect: WSocketResolveProto: Cannot convert protocol 'xyz', Error #10043"},
        RefusalCase{"BadPort", "127.0.0.1", "no-such-service-kivo", "tcp",
                    "connect: WSocketResolvePort: Cannot convert port 'no-such-service-kivo', Error #11004"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WSocketTest, SecondConnectIsRefusedWhileInUse) {
  ScriptServer server;
  server.Serve({Script().Silent()});
  TWSocket socket(loop_);
  ConnectTo(socket, server.port());
  std::string error;
  socket.OnError = [&](TWSocket& s) { error = s.LastErrorMessage(); };
  socket.Connect();
  EXPECT_EQ(error, "Connect: Socket already in use");
  EXPECT_EQ(socket.State(), wsConnected);
}

// A connection tied to an interface the computer does not have fails at once with an error of
// its own, whether or not an error handler is there; it never goes out another way.
TEST_F(WSocketTest, MissingBindInterfaceIsItsOwnError) {
  ScriptServer server;
  server.Serve({Script().Silent()});
  for (bool handler : {true, false}) {
    SCOPED_TRACE(handler ? "OnError" : "exception");
    TWSocket socket(loop_);
    socket.SetAddr("127.0.0.1");
    socket.Port = std::to_string(server.port());
    socket.BindInterface = "kivo-none0";
    std::string error;
    if (handler) socket.OnError = [&](TWSocket& s) { error = s.LastErrorMessage(); };
    try {
      socket.Connect();
    } catch (const ESocketException& e) {
      error = std::string("raised: ") + e.what();
    }
    EXPECT_EQ(error,
              std::string(handler ? "" : "raised: ") + "No network interface named kivo-none0");
    EXPECT_EQ(socket.LastError(), 1168);
    EXPECT_NE(socket.State(), wsConnecting);
    EXPECT_NE(socket.State(), wsConnected);
  }
  EXPECT_FALSE(WaitFor([&] { return server.Accepted() > 0; }, 200));
}

TEST_F(WSocketTest, PropertiesCannotChangeWhileOpen) {
  ScriptServer server;
  server.Serve({Script().Silent()});
  TWSocket socket(loop_);
  ConnectTo(socket, server.port());
  std::vector<std::string> errors;
  socket.OnError = [&](TWSocket& s) { errors.push_back(s.LastErrorMessage()); };
  socket.SetAddr("127.0.0.2");
  socket.SetProto("udp");
  socket.SetLocalAddr("127.0.0.1");
  EXPECT_EQ(errors, (std::vector<std::string>{"Cannot change Addr if not closed",
                                              "Cannot change Proto if not closed",
                                              "Cannot change LocalAddr if not closed"}));
  EXPECT_EQ(socket.Addr(), "127.0.0.1");
}

TEST_F(WSocketTest, ValidatesSendFlags) {
  TWSocket socket(loop_);
  EXPECT_THROW(socket.SetSendFlags(7), ESocketException);
  socket.SetSendFlags(wsSendUrgent);
  EXPECT_EQ(socket.SendFlags(), wsSendUrgent);
}

TEST_F(WSocketTest, RefusedConnectArrivesAsSessionConnectedThenOneClose) {
  TWSocket socket(loop_);
  std::vector<std::string> events;
  socket.OnChangeState = [&](TWSocket&, TSocketState, TSocketState s) { events.push_back("state" + std::to_string(s)); };
  socket.OnSessionConnected = [&](TWSocket&, int e) { events.push_back("connected" + std::to_string(e)); };
  socket.OnSessionClosed = [&](TWSocket&, int e) { events.push_back("closed" + std::to_string(e)); };
  socket.SetAddr("127.0.0.1");
  socket.Port = std::to_string(testing::ClosedPort());
  socket.Connect();
  EXPECT_EQ(socket.State(), wsConnecting);
  ASSERT_TRUE(WaitFor([&] { return socket.State() == wsClosed; }));
  loop_.RunFor(30);
  EXPECT_EQ(events, (std::vector<std::string>{"state1", "state3", "state4", "connected10061", "state7",
                                              "closed10061"}));
}

TEST_F(WSocketTest, SendThatGoesOutAtOnceStillReportsDataSentLaterOnce) {
  ScriptServer server;
  server.Serve({Script().ReadBytes(5).Silent()});
  TWSocket socket(loop_);
  ConnectTo(socket, server.port());
  int sent = 0;
  socket.OnDataSent = [&](TWSocket&, int error) {
    EXPECT_EQ(error, 0);
    ++sent;
  };
  EXPECT_EQ(socket.Send("hello", 5), 5);
  EXPECT_EQ(sent, 0);
  loop_.RunFor(50);
  EXPECT_EQ(sent, 1);
  ASSERT_TRUE(WaitFor([&] { return server.Received().size() == 1 && server.Received()[0] == "hello"; }));
}

TEST_F(WSocketTest, SendWhenNotConnectedIsASocketError) {
  TWSocket socket(loop_);
  std::string error;
  socket.OnError = [&](TWSocket& s) { error = s.LastErrorMessage(); };
  EXPECT_EQ(socket.Send("x", 1), -1);
  EXPECT_EQ(error, "Error 10057 in function Send\r\nSocket is not connected");
  EXPECT_EQ(socket.LastError(), 10057);
}

TEST_F(WSocketTest, SendQueueSurvivesASlowReader) {
  constexpr std::size_t kSize = 8 << 20;  // far more than the socket buffers hold
  std::string data(kSize, '\0');
  for (std::size_t i = 0; i < kSize; ++i) data[i] = static_cast<char>(i * 7 + i / 1460);
  ScriptServer server;
  // The reader stays away long enough that even a slow connect on a busy machine finds the
  // queue still full when it is checked.
  server.Serve({Script().Pause(1500).ReadBytes(kSize).Silent()});
  TWSocket socket(loop_);
  ConnectTo(socket, server.port());
  int sent = 0;
  socket.OnDataSent = [&](TWSocket&, int) { ++sent; };
  socket.Send(data.data(), 3);  // a small first block, then the rest across many blocks
  socket.Send(data.data() + 3, static_cast<int>(kSize - 3));
  EXPECT_FALSE(socket.AllSent());
  ASSERT_TRUE(WaitFor([&] { return socket.AllSent() && sent > 0; }, 20000));
  ASSERT_TRUE(WaitFor([&] { return !server.Received().empty() && server.Received()[0].size() == kSize; }, 20000));
  EXPECT_TRUE(server.Received()[0] == data);
  loop_.RunFor(30);
  EXPECT_LE(sent, 2);  // once per drained queue (the first small send may drain alone)
}

TEST_F(WSocketTest, DataArrivingWithTheCloseIsDeliveredBeforeIt) {
  ScriptServer server;
  std::string payload(100000, 'p');
  server.Serve({Script().Send(payload).Close()});
  TWSocket socket(loop_);
  std::string got;
  std::vector<std::string> order;
  socket.OnDataAvailable = [&](TWSocket& s, int) {
    char buf[777];  // small reads: the receive loop must call again while data wait
    int n = s.Receive(buf, sizeof buf);
    if (n > 0) got.append(buf, n);
  };
  socket.OnSessionClosed = [&](TWSocket&, int error) {
    order.push_back("closed" + std::to_string(error) + ":" + std::to_string(got.size()));
  };
  loop_.RunFor(30);  // let the server send and close before we even connect
  ConnectTo(socket, server.port());
  ASSERT_TRUE(WaitFor([&] { return socket.State() == wsClosed; }));
  loop_.RunFor(30);
  EXPECT_EQ(order, std::vector<std::string>{"closed0:100000"});
  EXPECT_EQ(socket.ReadCount(), 100000);
}

TEST_F(WSocketTest, OneReadinessReportDoesBoundedWork) {
  // A handler taking one byte per call against 64 KiB waiting: posted work (timers, clicks)
  // must get a turn long before the data is used up.
  ScriptServer server;
  server.Serve({Script().Send(std::string(65536, 'x')).Silent()});
  TWSocket socket(loop_);
  socket.OnDataAvailable = [](TWSocket&, int) {};  // leaves the data where it is
  ConnectTo(socket, server.port());
  loop_.RunFor(50);
  long long calls = 0;
  long long calls_when_posted_task_ran = -1;
  socket.OnDataAvailable = [&](TWSocket& s, int) {
    char byte;
    if (s.Receive(&byte, 1) == 1 && ++calls == 1)
      loop_.Post([&] { calls_when_posted_task_ran = calls; });
  };
  socket.ResumeReceive();
  ASSERT_TRUE(WaitFor([&] { return socket.ReadCount() == 65536; }));
  EXPECT_GT(calls_when_posted_task_ran, 0);
  EXPECT_LT(calls_when_posted_task_ran, 1000);
}

struct EndCase {
  const char* name;
  int how;  // 0 local Close, 1 local Abort, 2 peer close, 3 peer reset
  int error;
};

class SessionEndTest : public LoopTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(SessionEndTest, ReportsTheCloseExactlyOnce) {
  ScriptServer server;
  Script script;
  if (GetParam().how == 2) script.Pause(50).Close();
  else if (GetParam().how == 3) script.Pause(50).Reset();
  else script.Silent();
  server.Serve({script});
  TWSocket socket(loop_);
  std::vector<int> closed;
  socket.OnDataAvailable = [](TWSocket& s, int) {
    char buf[64];
    s.Receive(buf, sizeof buf);
  };
  socket.OnSessionClosed = [&](TWSocket& s, int error) {
    closed.push_back(error);
    s.Close();  // a second close from inside must not report again
    s.Abort();
  };
  socket.SetAddr("127.0.0.1");
  socket.Port = std::to_string(server.port());
  socket.Connect();
  ASSERT_TRUE(WaitFor([&] { return socket.State() == wsConnected; }));
  if (GetParam().how == 0) socket.Close();
  if (GetParam().how == 1) socket.Abort();
  ASSERT_TRUE(WaitFor([&] { return socket.State() == wsClosed; }));
  socket.Close();
  socket.Abort();
  loop_.RunFor(60);
  EXPECT_EQ(closed, std::vector<int>{GetParam().error});
}

INSTANTIATE_TEST_SUITE_P(Ways, SessionEndTest,
                         ::testing::Values(EndCase{"LocalClose", 0, 0}, EndCase{"LocalAbort", 1, 0},
                                           EndCase{"PeerClose", 2, 0}, EndCase{"PeerReset", 3, 10054}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WSocketTest, HandlerExceptionIsABackgroundExceptionAndAbortsAsConnectionAborted) {
  ScriptServer server;
  server.Serve({Script().Silent()});
  TWSocket socket(loop_);
  std::string caught;
  std::vector<int> closed;
  socket.OnSessionConnected = [](TWSocket&, int) { throw std::runtime_error("disk full"); };
  socket.OnBgException = [&](TWSocket&, const std::exception& e, bool& can_close) {
    caught = e.what();
    EXPECT_TRUE(can_close);
  };
  socket.OnSessionClosed = [&](TWSocket&, int error) { closed.push_back(error); };
  socket.SetAddr("127.0.0.1");
  socket.Port = std::to_string(server.port());
  socket.Connect();
  ASSERT_TRUE(WaitFor([&] { return socket.State() == wsClosed; }));
  EXPECT_EQ(caught, "disk full");
  EXPECT_EQ(closed, std::vector<int>{10053});
}

TEST_F(WSocketTest, BackgroundExceptionMayKeepTheConnection) {
  ScriptServer server;
  server.Serve({Script().Send("x").Silent()});
  TWSocket socket(loop_);
  int thrown = 0;
  socket.OnDataAvailable = [&](TWSocket& s, int) {
    char c;
    s.Receive(&c, 1);
    ++thrown;
    throw std::runtime_error("handler failed");
  };
  socket.OnBgException = [&](TWSocket&, const std::exception&, bool& can_close) { can_close = false; };
  socket.SetAddr("127.0.0.1");
  socket.Port = std::to_string(server.port());
  socket.Connect();
  ASSERT_TRUE(WaitFor([&] { return thrown == 1; }));
  loop_.RunFor(30);
  EXPECT_EQ(socket.State(), wsConnected);
}

TEST_F(WSocketTest, DestroyedWithQueuedNotificationsIsSafe) {
  ScriptServer server;
  server.Serve({Script().Silent()});
  int sent = 0;
  {
    TWSocket socket(loop_);
    socket.OnDataSent = [&](TWSocket&, int) { ++sent; };
    ConnectTo(socket, server.port());
    socket.Send("abc", 3);  // posts the data-sent notice
  }
  loop_.RunFor(30);
  EXPECT_EQ(sent, 0);
}

}  // namespace
}  // namespace kivo
