#include "address_switch.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace kivo::camsim {
namespace {

// The harness exports this in the namespace it creates.
constexpr const char* kNamespaceMarker = "KIVO_E2E_NETNS";

bool RunIp(std::vector<std::string> args, std::string* error) {
  args.insert(args.begin(), "ip");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "ip", nullptr, nullptr, argv.data(), environ) != 0) {
    *error = "cannot start 'ip'";
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      *error = "lost the 'ip' command";
      return false;
    }
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string command;
    for (size_t i = 0; i + 1 < argv.size(); ++i) command += std::string(i ? " " : "") + argv[i];
    *error = "'" + command + "' failed";
    return false;
  }
  return true;
}

}  // namespace

bool CanSwitchAddress(const std::string& address) {
  const char* marker = std::getenv(kNamespaceMarker);
  return marker != nullptr && *marker != '\0' && !address.starts_with("127.");
}

bool UnplugAddress(const std::string& address, std::string* error) {
  return RunIp({"addr", "del", address + "/32", "dev", "lo"}, error) &&
         RunIp({"route", "add", address + "/32", "dev", "lo"}, error);
}

bool PlugAddress(const std::string& address, std::string* error) {
  std::string ignored;
  RunIp({"route", "del", address + "/32", "dev", "lo"}, &ignored);
  return RunIp({"addr", "add", address + "/32", "dev", "lo"}, error);
}

}  // namespace kivo::camsim
