#include <gtest/gtest.h>

#include <ostream>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "net/icmp.h"
#include "net/ping.h"
#include "platform/dotted_ipv4.h"
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

// Starts one echo and runs the loop until its answer is in; the status, or -1 for no answer.
int PingAndWait(PollEventLoop& loop, TPing& ping, EventLog& log) {
  const std::size_t before = log.statuses.size();
  ping.Ping();
  loop.RunUntil([&] { return !ping.EchoOut(); }, 10000);
  loop.RunFor(10);
  return log.statuses.size() > before ? log.statuses.back() : -1;
}

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
  EXPECT_EQ(PingAndWait(loop, ping, log), 1);
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
  ping.Ping();
  // The call does not wait for the answer: the request is out, the reply still to come.
  EXPECT_EQ(log.events, (std::vector<std::string>{std::string("display:") + TICMP::kStandInNote,
                                                  "request"}));
  EXPECT_TRUE(ping.EchoOut());
  ASSERT_TRUE(loop.RunUntil([&] { return !log.statuses.empty(); }, 5000));
  close(filler);
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
  for (int i = 0; i < 3; ++i) PingAndWait(loop, ping, log);
  const std::vector<std::string> expected = {
      std::string("display:") + TICMP::kStandInNote, "request", "reply:1", "request", "reply:1",
      "request", "reply:1"};
  EXPECT_EQ(log.events, expected);
}

TEST(TPingTest, ChangingTheAddressPingsTheNewOne) {
  PollEventLoop loop;
  TPing ping(loop);
  EventLog log;
  log.Attach(ping);
  ping.SetTimeout(2000);
  ping.SetAddress("127.0.0.1");
  EXPECT_EQ(PingAndWait(loop, ping, log), 1);
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.1");
  ping.SetAddress("127.0.0.3");
  EXPECT_EQ(PingAndWait(loop, ping, log), 1);
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.3");
}

TEST(StandInTest, NameLookupNeverHoldsUpThePing) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  TICMP icmp(EchoMethod::kTcpConnect,
             [released](const std::string&, std::vector<std::string>* found) {
               released.wait();  // a name server that does not answer, until the test says so
               *found = {"127.0.0.1"};
               return 0;
             });
  icmp.SetStandInPort(ClosedPort());
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

// A silent host for the TCP stand-in: a listener whose queue is full drops new connection
// requests without an answer, as a host that is not there would.
class SilentPort {
 public:
  SilentPort() : full_(0) {
    filler_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(full_.port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(filler_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  }
  ~SilentPort() { close(filler_); }
  std::uint16_t port() const { return full_.port(); }

 private:
  Listener full_;
  int filler_ = -1;
};

TEST(EchoEventTest, AnAnswerForAnAddressLeftBehindIsDropped) {
  SilentPort silent;
  PollEventLoop loop;
  TPing ping(loop, EchoMethod::kTcpConnect);
  EventLog log;
  log.Attach(ping);
  ping.Icmp().SetStandInPort(silent.port());
  ping.SetTimeout(300);
  ping.SetAddress("127.0.0.1");  // silent: its answer would be a time-out
  ping.Ping();
  // The user gives another address while the echo is out; 127.0.0.2 refuses at once.
  ping.SetAddress("127.0.0.2");
  ping.Ping();
  ASSERT_TRUE(loop.RunUntil([&] { return !log.statuses.empty(); }, 5000));
  loop.RunFor(50);
  EXPECT_EQ(log.events, (std::vector<std::string>{std::string("display:") + TICMP::kStandInNote,
                                                  "request", "request", "reply:1"}));
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.2");
  EXPECT_FALSE(ping.EchoOut());
}

TEST(EchoEventTest, PingsWhileAnEchoIsOutWaitForItsAnswer) {
  SilentPort silent;
  PollEventLoop loop;
  TPing ping(loop, EchoMethod::kTcpConnect);
  EventLog log;
  log.Attach(ping);
  ping.Icmp().SetStandInPort(silent.port());
  ping.SetTimeout(300);
  ping.SetAddress("127.0.0.1");
  for (int i = 0; i < 3; ++i) ping.Ping();
  ASSERT_TRUE(loop.RunUntil([&] { return !ping.EchoOut(); }, 5000));
  loop.RunFor(50);
  EXPECT_EQ(log.events, (std::vector<std::string>{std::string("display:") + TICMP::kStandInNote,
                                                  "request", "reply:0"}));
  EXPECT_EQ(ping.Icmp().LastError(), static_cast<int>(kIpReqTimedOut));
}

TEST(EchoEventTest, AWindowClosedWithAnEchoOutHearsNothing) {
  SilentPort silent;
  PollEventLoop loop;
  int replies = 0;
  {
    TPing ping(loop, EchoMethod::kTcpConnect);
    ping.OnEchoReply = [&](TPing&, TICMP&, int) { ++replies; };
    ping.Icmp().SetStandInPort(silent.port());
    ping.SetTimeout(200);
    ping.SetAddress("127.0.0.1");
    ping.Ping();
  }
  loop.RunFor(600);
  EXPECT_EQ(replies, 0);
}

TEST(EchoEventTest, AHostNameIsPingedOnceItsLookupAnswers) {
  PollEventLoop loop;
  TPing ping(loop, EchoMethod::kTcpConnect,
             [](const std::string&, std::vector<std::string>* found) {
               std::this_thread::sleep_for(std::chrono::milliseconds(50));
               *found = {"127.0.0.1"};
               return 0;
             });
  EventLog log;
  log.Attach(ping);
  ping.Icmp().SetStandInPort(ClosedPort());
  ping.SetAddress("camera.test");
  ping.Ping();  // only starts the lookup
  EXPECT_TRUE(log.events.empty());
  ASSERT_TRUE(loop.RunUntil([&] { return !log.statuses.empty(); }, 5000));
  EXPECT_EQ(log.statuses, std::vector<int>{1});
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.1");
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

TEST(DnsLookupTest, TheLookupHandedInAnswersBothTheLookupAndTheEcho) {
  PollEventLoop loop;
  std::vector<std::string> asked;  // on the helper threads, one at a time
  std::mutex mutex;
  TPing ping(loop, EchoMethod::kTcpConnect,
             [&](const std::string& name, std::vector<std::string>* found) {
               std::lock_guard<std::mutex> lock(mutex);
               asked.push_back(name);
               *found = {"127.0.0.9"};
               return 0;
             });
  std::vector<int> done;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t error) { done.push_back(error); };
  ping.DnsLookup("camera.test");
  ASSERT_TRUE(loop.RunUntil([&] { return !done.empty(); }, 5000));
  EXPECT_EQ(ping.DnsResult(), "127.0.0.9");
  EventLog log;
  log.Attach(ping);
  ping.Icmp().SetStandInPort(ClosedPort());
  ping.SetAddress("other.test");
  ping.Ping();
  ASSERT_TRUE(loop.RunUntil([&] { return !log.statuses.empty(); }, 5000));
  EXPECT_EQ(ping.Icmp().HostIP(), "127.0.0.9");
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(asked, (std::vector<std::string>{"camera.test", "other.test"}));
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
    const int replies = PingAndWait(loop, ping, log);
    if (replies != 0) return "got a reply from a silent host";
    if (log.statuses != std::vector<int>{0}) return "OnEchoReply not fired once with 0";
    if (ping.Icmp().LastError() != static_cast<int>(kIpReqTimedOut)) return "wrong last error";
    return "";
  });
  if (!result.available) GTEST_SKIP() << "cannot create a network namespace here";
  if (result.failure.rfind("skip:", 0) == 0) GTEST_SKIP() << result.failure;
  EXPECT_EQ(result.failure, "");
}

// The next ICMP echo request to 127.0.0.1 seen by |spy| (a raw socket): its identifier,
// sequence number and data, or false after |wait_ms|.
bool NextEchoRequest(int spy, int wait_ms, std::uint16_t* id, std::uint16_t* sequence,
                     std::string* data) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(wait_ms);
  while (SteadyClock::now() < deadline) {
    pollfd pfd{spy, POLLIN, 0};
    if (poll(&pfd, 1, 50) <= 0) continue;
    unsigned char packet[2048];
    const ssize_t n = recv(spy, packet, sizeof packet, 0);
    if (n < 28) continue;
    const std::size_t header = static_cast<std::size_t>(packet[0] & 0x0f) * 4;
    if (static_cast<std::size_t>(n) < header + 8 || packet[header] != 8) continue;
    *id = static_cast<std::uint16_t>(packet[header + 4] << 8 | packet[header + 5]);
    *sequence = static_cast<std::uint16_t>(packet[header + 6] << 8 | packet[header + 7]);
    data->assign(reinterpret_cast<char*>(packet) + header + 8, n - header - 8);
    return true;
  }
  return false;
}

void SendEchoReply(int spy, std::uint16_t id, std::uint16_t sequence, const std::string& data) {
  std::string packet(8, '\0');
  packet[4] = static_cast<char>(id >> 8);
  packet[5] = static_cast<char>(id);
  packet[6] = static_cast<char>(sequence >> 8);
  packet[7] = static_cast<char>(sequence);
  packet += data;
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < packet.size(); i += 2) {
    const auto hi = static_cast<unsigned char>(packet[i]);
    const auto lo = i + 1 < packet.size() ? static_cast<unsigned char>(packet[i + 1]) : 0u;
    sum += hi << 8 | lo;
  }
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  packet[2] = static_cast<char>(~sum >> 8);
  packet[3] = static_cast<char>(~sum);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sendto(spy, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

TEST(PrivateNetworkTest, AReplyAfterTheTimeOutIsNotTakenForTheNextEcho) {
  const auto result = RunInPrivateNetwork([]() -> std::string {
    if (!WriteSysctl("net/ipv4/icmp_echo_ignore_all", "1")) return "cannot silence echo replies";
    const int spy = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (spy < 0) return "skip: no raw socket";
    PollEventLoop loop;
    TPing ping(loop);
    if (ping.Icmp().Method() == EchoMethod::kTcpConnect) return "skip: no ICMP permitted";
    EventLog log;
    log.Attach(ping);
    ping.SetAddress("127.0.0.1");
    ping.SetTimeout(300);
    std::uint16_t id = 0, first = 0, second = 0;
    std::string data;
    if (PingAndWait(loop, ping, log) != 0) return "the silent host answered";
    if (!NextEchoRequest(spy, 1000, &id, &first, &data)) return "first request not seen";
    ping.Ping();
    if (!NextEchoRequest(spy, 1000, &id, &second, &data)) return "second request not seen";
    if (second == first) return "both echoes have one sequence number";
    SendEchoReply(spy, id, first, data);  // the first echo's answer, late
    loop.RunUntil([&] { return !ping.EchoOut(); }, 5000);
    loop.RunFor(10);
    close(spy);
    if (log.statuses != std::vector<int>({0, 0})) {
      return "statuses " + std::to_string(log.statuses.size()) + ", last " +
             std::to_string(log.statuses.back());
    }
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
    // The name is looked up off this thread: the ping says nothing until the answer is in,
    // and then without being asked again.
    ping.Ping();
    if (!log.events.empty()) return "events before the lookup answered";
    loop.RunUntil([&] { return log.events.size() >= 2; }, 10000);
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
    EventLog log;
    log.Attach(ping);
    ping.SetAddress("192.0.2.1");  // only loopback exists in here: no route to it
    ping.SetTimeout(3000);
    const auto start = SteadyClock::now();
    if (PingAndWait(loop, ping, log) != 0) return "a reply without a route";
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
