// TWSocket line mode: one OnDataAvailable per line, the line limit, lines left at the close.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/wsocket.h"
#include "net_test_util.h"
#include "script_server.h"

namespace kivo {
namespace {

using testing::LoopTest;
using testing::Script;
using testing::ScriptServer;

struct LineCase {
  const char* name;
  std::vector<std::size_t> pieces;
};

class LineModeTest : public LoopTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineModeTest, DeliversOneLinePerEventWhateverTheSplits) {
  ScriptServer server;
  server.Serve({Script().SendPieces("one\r\ntwo\r\n\r\nthree-and-more\r\ntail", GetParam().pieces, 10).Close()});
  TWSocket socket(loop_);
  socket.LineMode = true;
  std::vector<std::string> lines;
  std::vector<std::string> order;
  socket.OnDataAvailable = [&](TWSocket& s, int) {
    std::string line;
    char buf[4];  // a line read in small parts
    int n;
    while ((n = s.Receive(buf, sizeof buf)) > 0) line.append(buf, n);
    lines.push_back(line);
  };
  socket.OnSessionClosed = [&](TWSocket&, int) { order.push_back("closed after " + std::to_string(lines.size())); };
  socket.SetAddr("127.0.0.1");
  socket.Port = std::to_string(server.port());
  socket.Connect();
  ASSERT_TRUE(WaitFor([&] { return socket.State() == wsClosed; }));
  EXPECT_EQ(lines, (std::vector<std::string>{"one\r\n", "two\r\n", "\r\n", "three-and-more\r\n", "tail"}));
  EXPECT_EQ(order, std::vector<std::string>{"closed after 5"});
}

INSTANTIATE_TEST_SUITE_P(Splits, LineModeTest,
                         ::testing::Values(LineCase{"Whole", {}}, LineCase{"InsideLineEnd", {4, 1, 6}},
                                           LineCase{"ByteByByte", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoopTest, LineLimitDropsAnEndlessLineUnlessKept) {
  ScriptServer server;
  server.Serve({Script().Send(std::string(300, 'x')).Pause(50).Send("yy\nok\n").Silent()});
  TWSocket socket(loop_);
  socket.LineMode = true;
  socket.LineLimit = 100;
  socket.LineEnd = "\n";
  std::vector<int> exceeded;
  std::vector<std::string> lines;
  socket.OnLineLimitExceeded = [&](TWSocket&, int length, bool& clear) {
    exceeded.push_back(length);
    EXPECT_TRUE(clear);
  };
  socket.OnDataAvailable = [&](TWSocket& s, int) {
    char buf[512];
    int n = s.Receive(buf, sizeof buf);
    lines.emplace_back(buf, n > 0 ? n : 0);
  };
  socket.SetAddr("127.0.0.1");
  socket.Port = std::to_string(server.port());
  socket.Connect();
  ASSERT_TRUE(WaitFor([&] { return lines.size() == 2; }));
  ASSERT_FALSE(exceeded.empty());
  EXPECT_GT(exceeded.front(), 100);
  EXPECT_EQ(lines, (std::vector<std::string>{"yy\n", "ok\n"}));
}

}  // namespace
}  // namespace kivo
