// The Windows half of the platform layer where it differs from POSIX: line ends of new settings
// files, atomic replacement over an existing file, the program folder's spelling, the loop's
// level-triggered socket readiness on top of WSAAsyncSelect.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/poll_event_loop.h"
#include "platform/program_dir.h"
#include "platform/socket_api.h"
#include "temp_dir.h"

namespace kivo {
namespace {

using testing::TempDir;

struct LineEndCase {
  const char* name;
  const char* existing;  // nullptr: no file yet
  const char* expected;
};

const LineEndCase kLineEndCases[] = {
    {"NewFileGetsCrLf", nullptr, "[Camera]\r\nIP=10.5.5.9\r\n"},
    {"EmptyFileGetsCrLf", "", "[Camera]\r\nIP=10.5.5.9\r\n"},
    {"LfFileKeepsLf", "[Camera]\nIP=1.2.3.4\n", "[Camera]\nIP=10.5.5.9\n"},
    {"CrLfFileKeepsCrLf", "[Camera]\r\nIP=1.2.3.4\r\n", "[Camera]\r\nIP=10.5.5.9\r\n"},
    {"ByteOrderMarkKeptWithOneSection", "\xEF\xBB\xBF[Camera]\r\nIP=1.2.3.4\r\n",
     "\xEF\xBB\xBF[Camera]\r\nIP=10.5.5.9\r\n"},
};

class IniLineEndTest : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(IniLineEndTest, WritesExpectedBytes) {
  TempDir dir;
  if (GetParam().existing != nullptr) dir.Write("Kivo.ini", GetParam().existing);
  {
    IniFile ini(dir.File("Kivo.ini"));
    ini.WriteString("Camera", "IP", "10.5.5.9");
    ini.UpdateFile();
  }
  EXPECT_EQ(dir.Read("Kivo.ini"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Win32, IniLineEndTest, ::testing::ValuesIn(kLineEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32AtomicFileTest, ReplacesAnExistingFileAndLeavesNoTemporary) {
  TempDir dir;
  dir.Write("Kivo.ini", "old");
  WriteFileAtomically(dir.File("Kivo.ini"), "new contents");
  EXPECT_EQ(dir.Read("Kivo.ini"), "new contents");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kivo.ini"});
}

TEST(Win32AtomicFileTest, MissingFolderThrowsWithTheName) {
  TempDir dir;
  try {
    WriteFileAtomically(dir.File("missing/Kivo.ini"), "x");
    FAIL() << "no exception";
  } catch (const FileWriteError& error) {
    EXPECT_NE(std::string(error.what()).find("missing/Kivo.ini"), std::string::npos);
  }
}

TEST(Win32ProgramDirTest, ExecutableDirHoldsThisProgramWithForwardSlashes) {
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(dir.find('\\'), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(dir + "kivo_platform_tests.exe")));
  EXPECT_TRUE(IsDirectoryWritable(dir));
}

// A connected loopback pair: |client| from socket_api, |server| accepted here.
struct LoopbackPair {
  int client = socket_api::kNoSocket;
  SOCKET server = INVALID_SOCKET;
  ~LoopbackPair() {
    if (client != socket_api::kNoSocket) socket_api::CloseSocket(client);
    if (server != INVALID_SOCKET) closesocket(server);
  }
};

void Connect(LoopbackPair* pair) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(listener, INVALID_SOCKET);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  int len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  ASSERT_EQ(socket_api::OpenTcpSocket(&pair->client), 0);
  const int rc = socket_api::Connect(pair->client, "127.0.0.1", ntohs(addr.sin_port));
  EXPECT_TRUE(rc == 0 || rc == 10036) << rc;
  pair->server = accept(listener, nullptr, nullptr);
  closesocket(listener);
  ASSERT_NE(pair->server, INVALID_SOCKET);
}

TEST(Win32EventLoopTest, UnreadDataKeepsReportingAndWriteWatchFiresWhenAdded) {
  PollEventLoop loop;
  LoopbackPair pair;
  ASSERT_NO_FATAL_FAILURE(Connect(&pair));
  int read_calls = 0;
  int write_calls = 0;
  const auto id = loop.WatchFd(pair.client, EventLoop::kRead, [&](unsigned ready) {
    if (ready & EventLoop::kRead) ++read_calls;
    if (ready & EventLoop::kWrite) ++write_calls;
  });
  ASSERT_EQ(send(pair.server, "abc", 3, 0), 3);
  // The data is never read: a level-triggered loop reports it again and again.
  EXPECT_TRUE(loop.RunUntil([&] { return read_calls >= 3; }, 5000));
  loop.SetWatchEvents(id, EventLoop::kWrite);
  EXPECT_TRUE(loop.RunUntil([&] { return write_calls >= 1; }, 5000));
  loop.Unwatch(id);
}

TEST(Win32EventLoopTest, RefusedConnectReportsTheError) {
  PollEventLoop loop;
  // Bind a port, then release it: nobody listens there.
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  int len = sizeof addr;
  getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
  closesocket(probe);

  int handle = socket_api::kNoSocket;
  ASSERT_EQ(socket_api::OpenTcpSocket(&handle), 0);
  socket_api::Connect(handle, "127.0.0.1", ntohs(addr.sin_port));
  unsigned seen = 0;
  loop.WatchFd(handle, EventLoop::kWrite, [&](unsigned ready) { seen |= ready; });
  EXPECT_TRUE(loop.RunUntil([&] { return seen != 0; }, 5000));
  int error = 0;
  EXPECT_EQ(socket_api::PendingError(handle, &error), 0);
  EXPECT_EQ(error, 10061);
  socket_api::CloseSocket(handle);
}

}  // namespace
}  // namespace kivo
