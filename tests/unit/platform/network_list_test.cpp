// Whether a network list is open: a process started as one of the tools counts while it runs.
#include "platform/network_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "temp_dir.h"

extern char** environ;

namespace kivo {
namespace {

// Waits until the kernel shows |pid| running |program|: a spawned child's parent may resume while
// the new program's arguments are not yet in place, and /proc then shows an empty command line.
bool WaitUntilRunning(pid_t pid, const std::string& program) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string first;
    if (std::getline(in, first, '\0') && first == program) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

TEST(NetworkList, AToolsProcessCountsAsAnOpenListWhileItRuns) {
  if (NetworkListShowing()) GTEST_SKIP() << "a network list is open on this machine";
  testing::TempDir dir;
  // A copy of sleep under the name of the connection editor and its watched process.
  const NetworkListTool* tool = nullptr;
  for (const NetworkListTool& t : NetworkListTools())
    if (std::string(t.program) == t.process) tool = &t;
  ASSERT_NE(tool, nullptr);
  const std::string fake = dir.File(tool->process);
  std::filesystem::copy_file("/bin/sleep", fake);
  std::string seconds = "30";
  char* argv[] = {const_cast<char*>(fake.c_str()), seconds.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, fake.c_str(), nullptr, nullptr, argv, environ), 0);
  const bool started = WaitUntilRunning(pid, fake);
  const bool while_running = NetworkListShowing();
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(started) << "the child never showed up in /proc";
  EXPECT_TRUE(while_running);
  EXPECT_FALSE(NetworkListShowing());
}

}  // namespace
}  // namespace kivo
