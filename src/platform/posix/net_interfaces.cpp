#include "platform/net_interfaces.h"

#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <vector>

#include "platform/socket_errors.h"

extern char** environ;

namespace kivo {
namespace {

// How long a Wi-Fi query program may take before its answer is given up.
constexpr int kQueryTimeoutMs = 2000;

// Runs |argv| (looked up on PATH, no shell: an interface name is passed as it is) and returns
// what it wrote to standard output; "" when it could not run, failed or took too long.
std::string ProgramOutput(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return "";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return "";
  }
  std::string text;
  bool complete = false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kQueryTimeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd pfd{out[0], POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      complete = n == 0;
      break;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  if (!complete) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return "";
  return text;
}

}  // namespace

int ListNetInterfaces(std::vector<NetInterface>* out) {
  out->clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return LastWinsockError();
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    NetInterface nif;
    nif.name = entry->ifa_name;
    nif.index = if_nametoindex(entry->ifa_name);
    nif.address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
    if (entry->ifa_netmask != nullptr && entry->ifa_netmask->sa_family == AF_INET)
      nif.netmask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr;
    nif.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    nif.running = (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_RUNNING) != 0;
    out->push_back(std::move(nif));
  }
  freeifaddrs(list);
  return 0;
}

int FindNetInterface(const std::string& name, NetInterface* found) {
  const unsigned index =
      name.empty() || name.size() >= IF_NAMESIZE ? 0 : if_nametoindex(name.c_str());
  if (index == 0) return kErrorNoSuchInterface;
  *found = NetInterface{};
  found->name = name;
  found->index = index;
  std::vector<NetInterface> all;
  if (ListNetInterfaces(&all) == 0) {
    for (const NetInterface& nif : all) {
      if (nif.name == name) {
        *found = nif;
        break;
      }
    }
  }
  return 0;
}

std::string WifiNetworkName(const std::string& interface_name) {
  if (interface_name.empty()) return "";
  std::string name = SsidFromIwLink(ProgramOutput({"iw", "dev", interface_name, "link"}));
  if (!name.empty()) return name;
  // NetworkManager names the connection after the network unless the user renamed it; it
  // answers "TYPE\nCONNECTION", and only a Wi-Fi device's connection is a Wi-Fi network.
  const std::string answer = ProgramOutput(
      {"nmcli", "-t", "-g", "GENERAL.TYPE,GENERAL.CONNECTION", "device", "show", interface_name});
  constexpr std::string_view kWifi = "wifi\n";
  if (answer.compare(0, kWifi.size(), kWifi) != 0) return "";
  std::string connection = answer.substr(kWifi.size());
  while (!connection.empty() && (connection.back() == '\n' || connection.back() == '\r'))
    connection.pop_back();
  return connection;
}

}  // namespace kivo
