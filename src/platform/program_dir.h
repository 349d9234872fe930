// The program directory: where "Kivo.ini", "ErrorLog.txt" and the temporary files live. It is
// the executable's directory, or a per-user folder when that one cannot be written (an installed
// package). Thread-safe; decided once per process, with a one-time note on standard error.
#pragma once

#include <string>

namespace kivo {

// The program directory with a trailing "/".
std::string ProgramDir();

// When ProgramDir() is the per-user fallback: the executable's own directory (with "/"), where
// a "Kivo.ini" shipped beside the program may still be read; otherwise "".
std::string ProgramDirReadOnlySource();

// Makes ProgramDir() return |dir| (a trailing "/" is added when missing) from now on. For tests
// and tools; an empty |dir| goes back to the normal choice.
void SetProgramDirForTesting(std::string dir);

struct ProgramDirChoice {
  std::string dir;   // with a trailing "/"
  bool fallback = false;
};

// The rule itself, without touching the system: the executable's directory when it is known
// and writable; otherwise $XDG_CONFIG_HOME/kivo/ when that variable holds an absolute path,
// else <home>/.config/kivo/.
ProgramDirChoice ChooseProgramDir(const std::string& executable_dir, bool executable_dir_writable,
                                  const std::string& xdg_config_home, const std::string& home);

// The note printed once when the fallback is used.
std::string ProgramDirNote(const std::string& executable_dir, const std::string& chosen);

// Operating-system parts.
std::string ExecutableDir();  // directory of the running executable with "/", or "" if unknown
bool IsDirectoryWritable(const std::string& dir);
bool MakeDirectories(const std::string& dir);  // like mkdir -p; true when it exists afterwards
std::string EnvironmentVariable(const char* name);  // "" when unset
std::string HomeDirectory();

}  // namespace kivo
