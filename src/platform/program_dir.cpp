#include "platform/program_dir.h"

#include <iostream>
#include <mutex>

namespace kivo {
namespace {

std::mutex& DirMutex() {
  static std::mutex mutex;
  return mutex;
}

// Guarded by DirMutex().
std::string& CachedDir() {
  static std::string dir;
  return dir;
}

// Guarded by DirMutex().
std::string& CachedSource() {
  static std::string dir;
  return dir;
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace

ProgramDirChoice ChooseProgramDir(const std::string& executable_dir, bool executable_dir_writable,
                                  const std::string& xdg_config_home, const std::string& home) {
  if (!executable_dir.empty() && executable_dir_writable) return {WithSlash(executable_dir), false};
  // The XDG rule: a relative value is to be ignored.
  std::string base = !xdg_config_home.empty() && xdg_config_home.front() == '/'
                         ? WithSlash(xdg_config_home)
                         : WithSlash(home.empty() ? std::string("/tmp") : home) + ".config/";
  return {base + "kivo/", true};
}

std::string ProgramDirNote(const std::string& executable_dir, const std::string& chosen) {
  return "Kivo: the program directory " +
         (executable_dir.empty() ? std::string("(unknown)") : executable_dir) +
         " is not writable; settings and logs are kept in " + chosen;
}

std::string ProgramDir() {
  std::lock_guard<std::mutex> lock(DirMutex());
  std::string& cached = CachedDir();
  if (!cached.empty()) return cached;
  const std::string exe_dir = ExecutableDir();
  const bool writable = !exe_dir.empty() && IsDirectoryWritable(exe_dir);
  const ProgramDirChoice choice = ChooseProgramDir(
      exe_dir, writable, EnvironmentVariable("XDG_CONFIG_HOME"), HomeDirectory());
  if (choice.fallback) {
    std::cerr << ProgramDirNote(exe_dir, choice.dir) << '\n';
    if (!MakeDirectories(choice.dir)) {
      std::cerr << "Kivo: cannot create " << choice.dir << "; settings will not be saved\n";
    }
  }
  cached = choice.dir;
  CachedSource() = choice.fallback && !exe_dir.empty() ? WithSlash(exe_dir) : std::string();
  return cached;
}

std::string ProgramDirReadOnlySource() {
  ProgramDir();
  std::lock_guard<std::mutex> lock(DirMutex());
  return CachedSource();
}

void SetProgramDirForTesting(std::string dir) {
  std::lock_guard<std::mutex> lock(DirMutex());
  CachedDir() = dir.empty() ? std::string() : WithSlash(std::move(dir));
}

}  // namespace kivo
