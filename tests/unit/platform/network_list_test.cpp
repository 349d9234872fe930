// Whether a network list is open: a process started as one of the tools counts while it runs.
#include "platform/network_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "temp_dir.h"

extern char** environ;

namespace kivo {
namespace {

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
  const bool while_running = NetworkListShowing();
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(while_running);
  EXPECT_FALSE(NetworkListShowing());
}

}  // namespace
}  // namespace kivo
