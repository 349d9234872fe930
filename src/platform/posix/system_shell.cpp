#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/shell.h"

extern char** environ;

namespace kivo {
namespace {

// Starts |argv| detached: a short-lived intermediate child forks the real program and exits at
// once, so the program is re-parented to init and never becomes a zombie of ours. Standard
// input and output go to /dev/null. Returns false when the program could not be executed.
bool SpawnDetached(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  int status_pipe[2];
  if (pipe2(status_pipe, O_CLOEXEC) != 0) return false;
  pid_t middle = fork();
  if (middle < 0) {
    close(status_pipe[0]);
    close(status_pipe[1]);
    return false;
  }
  if (middle == 0) {
    setsid();
    pid_t child = fork();
    if (child == 0) {
      int null_fd = open("/dev/null", O_RDWR);
      if (null_fd >= 0) {
        dup2(null_fd, 0);
        dup2(null_fd, 1);
        if (null_fd > 2) close(null_fd);
      }
      std::vector<char*> argv;
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      char failed = 1;
      [[maybe_unused]] ssize_t n = write(status_pipe[1], &failed, 1);
      _exit(127);
    }
    _exit(child < 0 ? 1 : 0);
  }
  close(status_pipe[1]);
  int status = 0;
  waitpid(middle, &status, 0);
  // The pipe closes on a successful exec (close-on-exec) and carries one byte on failure.
  char failed = 0;
  ssize_t n = read(status_pipe[0], &failed, 1);
  close(status_pipe[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace

bool SystemShell::OpenUrl(const std::string& url) { return SpawnDetached({"xdg-open", url}); }

bool SystemShell::StartProgram(const std::string& program, const std::string& arguments) {
  std::vector<std::string> args{program};
  std::istringstream in(arguments);
  std::string word;
  while (in >> word) args.push_back(word);
  return SpawnDetached(args);
}

bool SystemShell::StartScript(const std::string& path) { return SpawnDetached({"/bin/sh", path}); }

std::string SystemShell::UrlOpener() const { return "xdg-open"; }

}  // namespace kivo
