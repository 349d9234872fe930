// The simulator as a program: request log, control client, maker's service stub, command line.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "camsim_harness.h"

namespace kivo::camsim::testing {
namespace {

std::string RunCamsim(const std::string& args, int* exit_code) {
  const std::string command = CamsimPath() + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

TEST(RequestLogTest, OneLinePerRequestWithPortMethodAndExactTarget) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  const std::string odd = "/camera/CN?t=cameralnk&p=%09My%20Cam%zz";
  Http(sim.camera(), "/bacpac/se?t=cameralnk");
  Http(sim.camera(), odd);
  Http(sim.media(), "/", "HEAD");
  Http(sim.service(), "/Kivo/KivoVersion.php5?V=0.35&C=B");
  const std::vector<std::string> lines = Lines(ReadFile(sim.log_path()));
  ASSERT_EQ(lines.size(), 4u);
  const std::string camera_port = sim.camera().substr(sim.camera().rfind(':') + 1);
  const std::string media_port = sim.media().substr(sim.media().rfind(':') + 1);
  const std::string service_port = sim.service().substr(sim.service().rfind(':') + 1);
  const std::vector<std::string> expected = {
      camera_port + " GET /bacpac/se?t=cameralnk", camera_port + " GET " + odd,
      media_port + " HEAD /", service_port + " GET /Kivo/KivoVersion.php5?V=0.35&C=B"};
  long previous = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t blank = lines[i].find(' ');
    ASSERT_NE(blank, std::string::npos);
    const long ms = std::stol(lines[i].substr(0, blank));
    EXPECT_GE(ms, previous) << "monotonic";
    previous = ms;
    EXPECT_EQ(lines[i].find('.'), blank - 4) << "three decimals: " << lines[i];
    EXPECT_EQ(lines[i].substr(blank + 1), expected[i]);
  }
}

int ConnectTo(const std::string& address_port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  const std::string port = address_port.substr(address_port.find(':') + 1);
  sa.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
  inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const timeval limit{3, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

double Stamp(const std::string& line) { return std::stod(line.substr(0, line.find(' '))); }

// A request is stamped when its first bytes arrived, not when its head was complete: of two
// requests, the one begun first has the earlier stamp even when it is finished (and logged)
// after the other.
TEST(RequestLogTest, StampIsWhenTheRequestBeganToArrive) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  const int slow = ConnectTo(sim.camera());
  ASSERT_GE(slow, 0);
  const std::string first = "GET /slow HTTP/1.0\r\n";
  ASSERT_EQ(write(slow, first.data(), first.size()), static_cast<ssize_t>(first.size()));
  usleep(20'000);  // so that the two arrivals are clearly apart
  Http(sim.camera(), "/quick");
  ASSERT_EQ(write(slow, "\r\n", 2), 2);
  char c;
  while (read(slow, &c, 1) == 1) {
  }
  close(slow);
  const std::vector<std::string> lines = Lines(ReadFile(sim.log_path()));
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_NE(lines[0].find("/quick"), std::string::npos);
  ASSERT_NE(lines[1].find("/slow"), std::string::npos);
  EXPECT_LT(Stamp(lines[1]), Stamp(lines[0]));
}

TEST(ServiceTest, VersionAndProblemReports) {
  Camsim sim({"--service-version", "0.36"});
  ASSERT_TRUE(sim.ok());
  const RawReply version = Http(sim.service(), "/Kivo/KivoVersion.php5?V=0.35&C=BB+");
  EXPECT_EQ(version.status, 200);
  EXPECT_EQ(version.body, "0.36");
  const RawReply report = Http(
      sim.service(),
      "/Kivo/Errors.php5?V=0.35&C=B&msg=GetSSID%20called%20when%20busy%5B%20%20%20%20Camera%20%20"
      "%20%20%5D");
  EXPECT_EQ(report.status, 200);
  EXPECT_EQ(ReadFile(sim.reports_path()),
            "V=0.35\tC=B\tmsg=GetSSID called when busy[    Camera    ]\n");
  EXPECT_EQ(sim.Control("reports"), "ok 1");
  EXPECT_EQ(Http(sim.service(), "/Kivo/other").status, 404);
  ASSERT_EQ(sim.Control("set version 1.0"), "ok");
  EXPECT_EQ(Http(sim.service(), "/Kivo/KivoVersion.php5?V=0.35&C=").body, "1.0");
}

TEST(ControlTest, CommandLineClientFlipsFaults) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  int code = -1;
  std::string out = RunCamsim("--control " + sim.control() + " fault delay 1500 80", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(out, "ok 80=delay:1500 8080=none service=none unplugged=no\n");
  out = RunCamsim("--control " + sim.control() + " fault bogus", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(out.starts_with("error"));
}

TEST(ControlTest, PokesRecordsAndState) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  EXPECT_EQ(sim.Control("record bacpac"), "ok 00 64 01 00 03 00 ff 00 22 01 00 01 04 02 01 01");
  EXPECT_EQ(sim.Control("poke bacpac 12 0x63"), "ok");
  EXPECT_EQ(static_cast<uint8_t>(sim.BacPacRecord()[12]), 0x63);
  EXPECT_TRUE(sim.Control("poke bacpac 16 1").starts_with("error"));
  EXPECT_EQ(sim.Control("unpoke"), "ok");
  EXPECT_EQ(static_cast<uint8_t>(sim.BacPacRecord()[12]), 4);
  EXPECT_EQ(sim.Control("set card missing"), "ok");
  EXPECT_EQ(static_cast<uint8_t>(sim.CameraRecord()[25]), 255);
  EXPECT_EQ(sim.Control("set power off"), "ok");
  EXPECT_EQ(sim.BacPacRecord()[9], 0);
  EXPECT_TRUE(sim.Control("set battery 101").starts_with("error"));
  EXPECT_TRUE(sim.Control("launch rockets").starts_with("error"));
}

TEST(ControlTest, QuitEndsTheSimulator) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  EXPECT_EQ(sim.Control("quit"), "ok bye");
  int refused = 0;
  for (int i = 0; i < 200 && refused != ECONNREFUSED; ++i) {
    refused = TryConnect(sim.camera(), 500);
    if (refused != ECONNREFUSED) usleep(10'000);
  }
  EXPECT_EQ(refused, ECONNREFUSED);
}

TEST(CommandLineTest, HelpExplainsEveryOption) {
  int code = -1;
  const std::string help = RunCamsim("--help", &code);
  EXPECT_EQ(code, 0);
  for (const char* option :
       {"--address", "--port", "--media-port", "--password", "--model", "--power", "--boot-ms",
        "--battery", "--card", "--folder-files", "--clock", "--service", "--service-version",
        "--reports", "--log", "--ports-file", "--control-listen", "--fault", "--control",
        "silent", "delay", "reset", "refuse", "garbage", "short", "text", "nobody",
        "wrongpass", "hostile", "unplugged"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

struct BadArgsRow {
  const char* name;
  const char* args;
};

class BadArgsTest : public ::testing::TestWithParam<BadArgsRow> {};

TEST_P(BadArgsTest, RefusedWithExitCode2) {
  int code = -1;
  const std::string out = RunCamsim(GetParam().args, &code);
  EXPECT_EQ(code, 2) << out;
  EXPECT_NE(out.find("kivo-camsim:"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Args, BadArgsTest,
    ::testing::Values(BadArgsRow{"UnknownOption", "--colour red"},
                      BadArgsRow{"UnknownModel", "--model 5"},
                      BadArgsRow{"BadAddress", "--address 10.5.5"},
                      BadArgsRow{"BadPort", "--port 70000"},
                      BadArgsRow{"BadClock", "--clock 2013-02-30"},
                      BadArgsRow{"BadFault", "--fault wobble"},
                      BadArgsRow{"MissingValue", "--password"},
                      BadArgsRow{"ControlWithoutCommand", "--control 127.0.0.1:1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineTest, AddressInUseFailsCleanly) {
  Camsim sim;
  ASSERT_TRUE(sim.ok());
  const std::string port = sim.camera().substr(sim.camera().rfind(':') + 1);
  int code = -1;
  const std::string out = RunCamsim("--address 127.0.0.1 --media-port 0 --port " + port, &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(out.find("cannot listen"), std::string::npos) << out;
}

}  // namespace
}  // namespace kivo::camsim::testing
