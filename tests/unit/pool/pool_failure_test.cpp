// Requests the pool must not report as whole: a file it cannot create or write, a body that
// stops short of its length.
#include <csignal>
#include <sys/resource.h>

#include "pool_fixture.h"

namespace kivo {
namespace {

using testing::Script;
using testing::ScriptServer;

TEST_F(PoolTest, NoTemporaryFileEndsTheRequestWithAnError) {
  Make(dir_.File("no-such-folder") + "/");
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply("body")).Close()});
  Get(server.Url("/"));
  WaitDone(1);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].error, kPoolErrorCannotCreateFile);
  EXPECT_EQ(done_[0].file, "");
  EXPECT_TRUE(LogHas("cannot create a temporary file"));
}

TEST_F(PoolTest, ChunkThatCannotBeWrittenEndsTheRequestWithAnError) {
  ScriptServer server;
  std::string body(64 * 1024, 'j');
  server.Serve({Script().ReadRequest().Send(Reply(body)).Close()});
  // A file-size limit makes the disk "full" after 4 KiB for this process.
  struct rlimit old_limit;
  getrlimit(RLIMIT_FSIZE, &old_limit);
  struct rlimit small = old_limit;
  small.rlim_cur = 4096;
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Get(server.Url("/"));
  WaitDone(1);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_EQ(done_[0].error, kPoolErrorWriteFault);
  EXPECT_TRUE(LogHas("cannot write"));
  EXPECT_EQ(net_->Flags(1), Tnet::kFree);
}

TEST_F(PoolTest, BodyShorterThanItsLengthIsNotASuccess) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nhalf").Close(),
                Script().ReadRequest().Send("HTTP/1.0 200 OK\r\n\r\nno length, ended by close").Close()});
  Get(server.Url("/cut"));
  WaitDone(1);
  Get(server.Url("/whole"));
  WaitDone(2);
  ASSERT_EQ(done_.size(), 2u);
  EXPECT_EQ(done_[0].error, kPoolErrorShortBody);
  EXPECT_EQ(dir_.Read("TMP0001.txt"), "half");  // kept for the requester to inspect or drop
  EXPECT_TRUE(LogHas("body ended after 4 of 100 bytes"));
  EXPECT_EQ(done_[1].error, 0);
}

TEST_F(PoolTest, CompletionMayStartTheNextRequestOnTheSameSlot) {
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply("first")).Close(),
                Script().ReadRequest().Send(Reply("second")).Close()});
  std::vector<Done> seen;
  net_->GetURL(server.Url("/1"), [&](const std::string& u, const std::string& f, std::uint16_t e) {
    seen.push_back({u, f, e});
    net_->GetURL(server.Url("/2"), [&](const std::string& u2, const std::string& f2,
                                       std::uint16_t e2) { seen.push_back({u2, f2, e2}); });
  });
  loop_.RunUntil([&] { return seen.size() == 2; }, 5000);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].url, server.Url("/1"));
  EXPECT_EQ(seen[0].file, dir_.File("TMP0001.txt"));
  EXPECT_EQ(seen[1].url, server.Url("/2"));
  EXPECT_EQ(seen[1].file, dir_.File("TMP0002.txt"));
}

}  // namespace
}  // namespace kivo
