#include <gtest/gtest.h>

#include <ostream>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "net/icmp.h"
#include "net/ping.h"
#include "platform/poll_event_loop.h"
#include "private_network.h"

namespace kivo {
namespace {

using SteadyClock = std::chrono::steady_clock;
using testing::RunInPrivateNetwork;
using testing::WriteSysctl;

// A TCP listener on 127.0.0.1 with an ephemeral port.
class Listener {
 public:
  explicit Listener(int backlog) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(fd_, backlog);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
  }
  ~Listener() { close(fd_); }
  std::uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 where nothing listens (it was just free).
std::uint16_t ClosedPort() {
  Listener probe(1);
  return probe.port();
}

// Records every event of a TPing in order.
struct EventLog {
  std::vector<std::string> events;
  std::vector<int> statuses;
  void Attach(TPing& ping) {
    ping.OnDisplay = [this](TPing&, TICMP&, const std::string& msg) {
      events.push_back("display:" + msg);
    };
    ping.OnEchoRequest = [this](TPing&, TICMP&) { events.push_back("request"); };
    ping.OnEchoReply = [this](TPing&, TICMP&, int status) {
      events.push_back("reply:" + std::to_string(status));
      statuses.push_back(status);
    };
  }
};

// Builds a ping with |method|, or nothing when this system does not permit that method.
std::unique_ptr<TICMP> TryIcmp(EchoMethod method) {
  try {
    return std::make_unique<TICMP>(method);
  } catch (const TICMPException&) {
    return nullptr;
  }
}

TEST(EchoPayloadTest, IsTheSentenceCutOrPadded) {
  const std::string sentence = TICMP::kPayloadSentence;
  ASSERT_EQ(sentence.size(), 45u);
  EXPECT_EQ(TICMP::EchoPayload(10), sentence.substr(0, 10));
  EXPECT_EQ(TICMP::EchoPayload(45), sentence);
  EXPECT_EQ(TICMP::EchoPayload(56), sentence + std::string(11, ' '));
  EXPECT_EQ(TICMP::EchoPayload(0), "");
  EXPECT_EQ(TICMP::EchoPayload(-3), "");
}

TEST(TPingTest, DefaultsAndTheProgramsSettings) {
  PollEventLoop loop;
  TPing ping(loop);
  EXPECT_EQ(ping.Size(), 56);
  EXPECT_EQ(ping.Timeout(), 4000);
  EXPECT_EQ(ping.TTL(), 64);
  EXPECT_EQ(ping.Flags(), 0);
  ping.SetAddress("10.5.5.9");
  ping.SetSize(56);
  ping.SetTimeout(500);
  ping.SetTTL(30);
  EXPECT_EQ(ping.Address(), "10.5.5.9");
  EXPECT_EQ(ping.Timeout(), 500);
  EXPECT_EQ(ping.TTL(), 30);
  ping.SetSize(70000);
  EXPECT_EQ(ping.Size(), 65500);
}

TEST(TPingTest, LoopbackAnswersWhicheverWayTheSystemAllows) {
  PollEventLoop loop;
  TPing ping(loop);
  EventLog log;
  log.Attach(ping);
  ping.SetAddress("127.0.0.1");
  ping.SetTimeout(2000);
  ping.SetTTL(30);
  EXPECT_EQ(ping.Ping(), 1);
  ASSERT_FALSE(log.events.empty());
  EXPECT_EQ(log.events.back(), "reply:1");
  EXPECT_EQ(log.events[log.events.size() - 2], "request");
  EXPECT_EQ(ping.Icmp().LastError(), 0);
  EXPECT_EQ(ping.Icmp().Reply().Status, kIpSuccess);
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.1");
}

struct MethodCase {
  const char* name;
  EchoMethod method;
  int size;
};

// Tests are listed by their case name.
void PrintTo(const MethodCase& c, std::ostream* os) { *os << c.name; }

const MethodCase kMethodCases[] = {
    {"DatagramSocket", EchoMethod::kIcmpDatagram, 56},
    {"DatagramSocketShortPayload", EchoMethod::kIcmpDatagram, 10},
    {"RawSocket", EchoMethod::kIcmpRaw, 56},
    {"RawSocketShortPayload", EchoMethod::kIcmpRaw, 10},
    {"RawSocketNoPayload", EchoMethod::kIcmpRaw, 0},
};

class IcmpMethodTest : public ::testing::TestWithParam<MethodCase> {};

TEST_P(IcmpMethodTest, LoopbackEchoCarriesTheData) {
  const MethodCase& c = GetParam();
  std::unique_ptr<TICMP> icmp = TryIcmp(c.method);
  if (!icmp) GTEST_SKIP() << "not permitted on this system";
  icmp->SetAddress("127.0.0.2");
  icmp->SetSize(c.size);
  icmp->SetTimeout(2000);
  icmp->SetTTL(30);
  int replies_seen = -1;
  icmp->OnEchoReply = [&](TICMP&, int status) { replies_seen = status; };
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(icmp->Ping(), 1) << round;
    EXPECT_EQ(replies_seen, 1);
    EXPECT_EQ(icmp->Reply().DataSize, c.size);
    EXPECT_EQ(FormatDottedIpv4(icmp->Reply().Address), "127.0.0.2");
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, IcmpMethodTest, ::testing::ValuesIn(kMethodCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StandInTest, OpenPortCountsAsAReply) {
  Listener open_port(8);
  TICMP icmp(EchoMethod::kTcpConnect);
  icmp.SetStandInPort(open_port.port());
  icmp.SetAddress("127.0.0.1");
  icmp.SetTimeout(2000);
  EXPECT_EQ(icmp.Ping(), 1);
  EXPECT_EQ(icmp.LastError(), 0);
}

TEST(StandInTest, RefusedConnectionCountsAsAReply) {
  TICMP icmp(EchoMethod::kTcpConnect);
  icmp.SetStandInPort(ClosedPort());
  icmp.SetAddress("127.0.0.1");
  icmp.SetTimeout(2000);
  EXPECT_EQ(icmp.Ping(), 1);
}

TEST(StandInTest, SilentHostTimesOutWithStatusZero) {
  // A listener whose queue is full drops new connection requests without an answer, as a
  // host that is not there would.
  Listener full(0);
  const int filler = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(full.port());
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(filler, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

  PollEventLoop loop;
  TPing ping(loop, EchoMethod::kTcpConnect);
  EventLog log;
  log.Attach(ping);
  ping.Icmp().SetStandInPort(full.port());
  ping.SetAddress("127.0.0.1");
  ping.SetTimeout(300);
  const auto start = SteadyClock::now();
  EXPECT_EQ(ping.Ping(), 0);
  const auto waited = SteadyClock::now() - start;
  close(filler);
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::milliseconds(300 + 2000));  // bounded by the time-out
  EXPECT_EQ(log.statuses, std::vector<int>{0});
  EXPECT_EQ(ping.Icmp().LastError(), static_cast<int>(kIpReqTimedOut));
}

TEST(StandInTest, IsAnnouncedOnceBeforeTheFirstRequest) {
  PollEventLoop loop;
  TPing ping(loop, EchoMethod::kTcpConnect);
  EventLog log;
  log.Attach(ping);
  ping.Icmp().SetStandInPort(ClosedPort());
  ping.SetAddress("127.0.0.1");
  ping.SetTimeout(2000);
  for (int i = 0; i < 3; ++i) ping.Ping();
  const std::vector<std::string> expected = {
      std::string("display:") + TICMP::kStandInNote, "request", "reply:1", "request", "reply:1",
      "request", "reply:1"};
  EXPECT_EQ(log.events, expected);
}

TEST(TPingTest, ChangingTheAddressPingsTheNewOne) {
  PollEventLoop loop;
  TPing ping(loop);
  ping.SetTimeout(2000);
  ping.SetAddress("127.0.0.1");
  EXPECT_EQ(ping.Ping(), 1);
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.1");
  ping.SetAddress("127.0.0.3");
  EXPECT_EQ(ping.Ping(), 1);
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.3");
}

TEST(StandInTest, NameLookupNeverHoldsUpThePing) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  TICMP icmp(EchoMethod::kTcpConnect);
  icmp.SetStandInPort(ClosedPort());
  icmp.SetResolverForTesting([released](const std::string&, std::vector<std::string>* found) {
    released.wait();  // a name server that does not answer, until the test says so
    *found = {"127.0.0.1"};
    return 0;
  });
  std::vector<std::string> events;
  icmp.OnEchoReply = [&](TICMP&, int status) { events.push_back("reply:" + std::to_string(status)); };
  icmp.SetAddress("camera.test");
  EXPECT_EQ(icmp.Ping(), 0);  // returns although the lookup has not answered
  EXPECT_EQ(icmp.Ping(), 0);
  EXPECT_TRUE(events.empty());
  release.set_value();
  for (int i = 0; i < 500 && events.empty(); ++i) {
    if (icmp.Ping() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(events, std::vector<std::string>{"reply:1"});
  EXPECT_EQ(icmp.HostIP(), "127.0.0.1");
}

TEST(DnsLookupTest, DottedAddressIsDoneBeforeTheCallReturns) {
  PollEventLoop loop;
  TPing ping(loop);
  std::vector<int> done;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t error) { done.push_back(error); };
  ping.DnsLookup("127.0.0.1");
  EXPECT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(ping.DnsResult(), "127.0.0.1");
}

TEST(DnsLookupTest, NameIsLookedUpInTheBackgroundAndPostedBack) {
  PollEventLoop loop;
  TPing ping(loop);
  std::vector<int> done;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t error) { done.push_back(error); };
  ping.DnsLookup("localhost");  // answered from the hosts file
  EXPECT_TRUE(done.empty());
  ASSERT_TRUE(loop.RunUntil([&] { return !done.empty(); }, 10000));
  EXPECT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(ping.DnsResult(), "127.0.0.1");
}

TEST(DnsLookupTest, CancellingFiresOnceWithTheCancelCode) {
  PollEventLoop loop;
  TPing ping(loop);
  std::vector<int> done;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t error) { done.push_back(error); };
  ping.DnsLookup("localhost");
  ping.CancelDnsLookup();
  ping.CancelDnsLookup();  // nothing pending any more
  loop.RunFor(300);
  EXPECT_EQ(done, std::vector<int>{TPing::kLookupCancelled});
  EXPECT_EQ(ping.DnsResult(), "");
}

TEST(DnsLookupTest, DestroyingWithALookupPendingFiresNothing) {
  PollEventLoop loop;
  int calls = 0;
  {
    TPing ping(loop);
    ping.OnDnsLookupDone = [&](TPing&, std::uint16_t) { ++calls; };
    ping.DnsLookup("localhost");
  }
  loop.RunFor(300);
  EXPECT_EQ(calls, 0);
}

// The cases below change network settings or send to names and addresses that do not exist,
// so they run in a namespace of their own where nothing can leave the machine.

TEST(PrivateNetworkTest, IcmpWithoutAnswerReturnsZeroAfterTheTimeout) {
  const auto result = RunInPrivateNetwork([]() -> std::string {
    if (!WriteSysctl("net/ipv4/icmp_echo_ignore_all", "1")) return "cannot silence echo replies";
    PollEventLoop loop;
    TPing ping(loop);
    if (ping.Icmp().Method() == EchoMethod::kTcpConnect) return "skip: no ICMP permitted";
    EventLog log;
    log.Attach(ping);
    ping.SetAddress("127.0.0.1");
    ping.SetTimeout(400);
    const auto start = SteadyClock::now();
    const int replies = ping.Ping();
    const auto waited = SteadyClock::now() - start;
    if (replies != 0) return "got a reply from a silent host";
    if (waited < std::chrono::milliseconds(400)) return "returned before the time-out";
    if (waited > std::chrono::milliseconds(2400)) return "did not return at the time-out";
    if (log.statuses != std::vector<int>{0}) return "OnEchoReply not fired once with 0";
    if (ping.Icmp().LastError() != static_cast<int>(kIpReqTimedOut)) return "wrong last error";
    return "";
  });
  if (!result.available) GTEST_SKIP() << "cannot create a network namespace here";
  if (result.failure.rfind("skip:", 0) == 0) GTEST_SKIP() << result.failure;
  EXPECT_EQ(result.failure, "");
}

TEST(PrivateNetworkTest, DatagramSocketWorksWhereTheGroupRangeAllowsIt) {
  const auto result = RunInPrivateNetwork([]() -> std::string {
    if (!WriteSysctl("net/ipv4/ping_group_range", "0 2147483647")) return "skip: not settable";
    std::unique_ptr<TICMP> icmp = TryIcmp(EchoMethod::kIcmpDatagram);
    if (!icmp) return "datagram socket refused although the group range allows it";
    TICMP automatic;
    if (automatic.Method() != EchoMethod::kIcmpDatagram) return "automatic did not prefer it";
    icmp->SetAddress("127.0.0.1");
    icmp->SetTimeout(2000);
    if (icmp->Ping() != 1) return "no reply over the datagram socket";
    if (icmp->Reply().DataSize != 56) return "wrong data size";
    return "";
  });
  if (!result.available) GTEST_SKIP() << "cannot create a network namespace here";
  if (result.failure.rfind("skip:", 0) == 0) GTEST_SKIP() << result.failure;
  EXPECT_EQ(result.failure, "");
}

TEST(PrivateNetworkTest, UnresolvableNameIsReportedWithoutEchoEvents) {
  const auto result = RunInPrivateNetwork([]() -> std::string {
    PollEventLoop loop;
    TPing ping(loop, EchoMethod::kTcpConnect);
    EventLog log;
    log.Attach(ping);
    ping.Icmp().SetStandInPort(ClosedPort());
    ping.SetAddress("no-such-camera.invalid");
    // The name is looked up off this thread: pings before the answer is in say nothing.
    for (int i = 0; i < 500 && log.events.empty(); ++i) {
      if (ping.Ping() != 0) return "a reply for an unresolvable name";
      if (log.events.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The stand-in note is not due: no echo was attempted.
    const std::vector<std::string> expected = {
        std::string("display:") + TICMP::kUnableToResolve + "no-such-camera.invalid",
        std::string("display:") + TICMP::kInvalidHostAddress};
    if (log.events != expected) {
      std::string got;
      for (const auto& e : log.events) got += "[" + e + "]";
      return "events: " + got;
    }
    if (ping.Icmp().LastError() != static_cast<int>(kIpBadDestination)) return "wrong last error";
    return "";
  });
  if (!result.available) GTEST_SKIP() << "cannot create a network namespace here";
  if (result.failure.rfind("skip:", 0) == 0) GTEST_SKIP() << result.failure;
  EXPECT_EQ(result.failure, "");
}

TEST(PrivateNetworkTest, AddressWithoutARouteFailsAtOnce) {
  const auto result = RunInPrivateNetwork([]() -> std::string {
    PollEventLoop loop;
    TPing ping(loop);
    ping.SetAddress("192.0.2.1");  // only loopback exists in here: no route to it
    ping.SetTimeout(3000);
    const auto start = SteadyClock::now();
    if (ping.Ping() != 0) return "a reply without a route";
    if (SteadyClock::now() - start > std::chrono::milliseconds(2500)) return "waited for nothing";
    if (ping.Icmp().LastError() != static_cast<int>(kIpDestNetUnreachable)) {
      return "last error " + std::to_string(ping.Icmp().LastError());
    }
    return "";
  });
  if (!result.available) GTEST_SKIP() << "cannot create a network namespace here";
  if (result.failure.rfind("skip:", 0) == 0) GTEST_SKIP() << result.failure;
  EXPECT_EQ(result.failure, "");
}

}  // namespace
}  // namespace kivo
