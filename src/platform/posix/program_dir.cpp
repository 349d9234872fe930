#include "platform/program_dir.h"

#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <vector>

namespace kivo {
namespace {

// Programs below these folders are installed: by the package manager (/usr, also /usr/local),
// by hand or by a vendor (/opt), or by another packaging system.
const char* const kSystemDirs[] = {"/usr", "/opt", "/bin", "/sbin", "/lib", "/lib64",
                                   "/snap", "/nix/store", "/gnu/store"};

}  // namespace

FolderFacts GatherFolderFacts() {
  FolderFacts facts;
  facts.executable_dir = ExecutableDir();
  facts.executable_dir_writable =
      !facts.executable_dir.empty() && IsDirectoryWritable(facts.executable_dir);
  facts.system_dirs.assign(std::begin(kSystemDirs), std::end(kSystemDirs));
  facts.per_user = XdgProgramFolders(EnvironmentVariable, HomeDirectory());
  return facts;
}

bool ShowProgramFolderNote(const std::string& note) {
  std::cerr << note << '\n';
  return true;
}

std::string ExecutableDir() {
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  std::string path(buf.data(), static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

bool IsDirectoryWritable(const std::string& dir) {
  // access() honours read-only mounts as well as permissions.
  return access(dir.c_str(), W_OK | X_OK) == 0;
}

bool MakeDirectories(const std::string& dir) {
  std::string path;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    path = dir.substr(0, pos);
    if (path.empty()) continue;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info{};
  return stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string HomeDirectory() {
  std::string home = EnvironmentVariable("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

}  // namespace kivo
