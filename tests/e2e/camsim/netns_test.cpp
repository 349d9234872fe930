// The simulated camera on its real address, 10.5.5.9, with its ping: only ever run through
// tests/e2e/netns_run.sh, inside the private network namespace it creates. Run anywhere else, it
// fails without sending a single packet.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "camsim_harness.h"
#include "kivo_version.h"

namespace kivo::camsim::testing {
namespace {

bool InHarnessNamespace() {
  const char* marker = std::getenv("KIVO_E2E_NETNS");
  return marker != nullptr && std::string(marker) == "1" &&
         std::getenv("KIVO_CAMSIM_CONTROL") != nullptr;
}

std::string Address() { return std::getenv("KIVO_CAMSIM_ADDRESS"); }
std::string Camera() { return Address() + ":80"; }
std::string Media() { return Address() + ":8080"; }
std::string Service() { return std::string(std::getenv("KIVO_SERVICE_ADDRESS")) + ":80"; }

std::string Control(const std::string& line) {
  std::string reply = Exchange(std::getenv("KIVO_CAMSIM_CONTROL"), line + "\n").bytes;
  while (!reply.empty() && reply.back() == '\n') reply.pop_back();
  return reply;
}

// One ICMP echo over a datagram ICMP socket (what ping_group_range allows); true on a reply.
bool Ping(const std::string& address, int timeout_ms) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) {
    ADD_FAILURE() << "no ICMP socket: " << std::strerror(errno);
    return false;
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  icmphdr echo{};
  echo.type = ICMP_ECHO;
  echo.un.echo.sequence = htons(1);
  bool answered = false;
  if (sendto(fd, &echo, sizeof echo, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) > 0) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) > 0) {
      icmphdr reply{};
      answered = recv(fd, &reply, sizeof reply, 0) > 0 && reply.type == ICMP_ECHOREPLY;
    }
  }
  close(fd);
  return answered;
}

class NetnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InHarnessNamespace()) {
      GTEST_FAIL() << "run this only through tests/e2e/netns_run.sh: it talks to the camera "
                      "address, which must not be reached from the host's own network";
    }
  }
};

TEST_F(NetnsTest, CameraServesItsRealAddressAndPorts) {
  const RawReply bacpac = Http(Camera(), "/bacpac/se?t=cameralnk");
  ASSERT_EQ(bacpac.status, 200);
  EXPECT_EQ(bacpac.body, std::string("\x00\x64\x01\x00\x03\x00\xff\x00\x22\x01\x00\x01\x04\x02"
                                     "\x01\x01", 16));
  const RawReply head = Http(Media(), "/", "HEAD");
  ASSERT_GE(head.head_lines.size(), 3u);
  EXPECT_TRUE(head.head_lines[2].starts_with("Date: "));
  // With no --service-version the service says that Kivo's own version is the latest.
  const std::string own = kivo::kProgramVersion;
  EXPECT_EQ(Http(Service(), "/Kivo/KivoVersion.php5?V=" + own + "&C=").body, own);
}

TEST_F(NetnsTest, UnpluggedCameraAnswersNeitherPingsNorConnections) {
  ASSERT_TRUE(Ping(Address(), 1000));
  ASSERT_TRUE(Control("unplug").starts_with("ok")) << Control("faults");
  EXPECT_FALSE(Ping(Address(), 500));
  // No refusal either: the connection attempt simply goes unanswered, as with a camera out of
  // reach.
  EXPECT_EQ(TryConnect(Camera(), 700), ETIMEDOUT);
  EXPECT_TRUE(Ping(std::getenv("KIVO_SERVICE_ADDRESS"), 1000)) << "the service stays";
  ASSERT_TRUE(Control("plug").starts_with("ok"));
  EXPECT_TRUE(Ping(Address(), 1000));
  EXPECT_EQ(Http(Camera(), "/bacpac/se?t=cameralnk").body.size(), 16u);
  EXPECT_EQ(Http(Media(), "/", "HEAD").status, 200);
}

TEST_F(NetnsTest, FaultSwitchedWithTheCommandLineClient) {
  const std::string command = std::string(std::getenv("KIVO_CAMSIM")) + " --control " +
                              std::getenv("KIVO_CAMSIM_CONTROL") + " fault wrongpass > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Http(Camera(), "/bacpac/se?t=cameralnk").status, 403);
  ASSERT_TRUE(Control("fault none").starts_with("ok"));
  EXPECT_EQ(Http(Camera(), "/bacpac/se?t=cameralnk").status, 200);
}

}  // namespace
}  // namespace kivo::camsim::testing
