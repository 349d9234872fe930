#include "platform/user_dirs.h"

#include <cstdio>
#include <cstdlib>

namespace kivo {

std::string UserPicturesDir() {
  const char* home_env = std::getenv("HOME");
  const std::string home = home_env ? home_env : "";
  std::string dir;
  // xdg-user-dir reads ~/.config/user-dirs.dirs; without an entry it answers the home folder.
  if (FILE* pipe = popen("xdg-user-dir PICTURES 2>/dev/null", "r")) {
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) dir += buffer;
    pclose(pipe);
  }
  while (!dir.empty() && (dir.back() == '\n' || dir.back() == '/')) dir.pop_back();
  if (dir.empty() || dir == home || dir.front() != '/') {
    dir = home.empty() ? "Pictures" : home + "/Pictures";
  }
  return dir;
}

std::string UserPicturesSubdir(const std::string& name) { return UserPicturesDir() + "/" + name; }

}  // namespace kivo
