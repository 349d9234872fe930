// Where the program keeps its files. A copy that lives outside the system's program folders and
// may write there keeps everything beside the executable; an installed one (even run as root), or
// one in a folder it cannot write, uses per-user folders. Thread-safe; decided once per process.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kivo {

// Every folder ends in "/".
struct ProgramFolders {
  std::string settings;  // "Kivo.ini"
  std::string logs;      // "ErrorLog.txt", "netlog.txt"
  std::string work;      // the request pool's temporary files (downloaded photos are renamed in
                         // place), the Wi-Fi query script and its answer
};

enum class FolderReason {
  kBesideProgram,  // a portable copy: everything beside the executable
  kInstalled,      // the executable lives in a system folder
  kNotWritable,    // the executable's folder is unknown or cannot be written
};

// What the rule looks at; gathered from the system by GatherFolderFacts().
struct FolderFacts {
  std::string executable_dir;            // "" when unknown
  bool executable_dir_writable = false;
  std::vector<std::string> system_dirs;  // folders whose programs count as installed
  ProgramFolders per_user;               // the folders an installed program uses
};

struct FolderChoice {
  ProgramFolders folders;
  FolderReason reason = FolderReason::kBesideProgram;
};

// The rule: installed (inside one of facts.system_dirs) -> per-user folders; otherwise beside
// the executable when it is known and writable, else per-user folders.
FolderChoice ChooseProgramFolders(const FolderFacts& facts);

// True when |path| is |dir| or lies below it. '\\' and '/' are the same separator and letters
// compare without case (Windows folders; no Linux system folder differs from another by case).
bool IsInsideDir(const std::string& path, const std::string& dir);

// Per-user folders on Linux, from the XDG base-directory variables (a relative or empty value
// is ignored): $XDG_CONFIG_HOME/kivo/ (~/.config), $XDG_STATE_HOME/kivo/ (~/.local/state),
// $XDG_CACHE_HOME/kivo/ (~/.cache).
ProgramFolders XdgProgramFolders(const std::function<std::string(const char*)>& environment,
                                 const std::string& home);

// Per-user folder on Windows: <roaming application data>/Kivo/ for all three; without one,
// <profile>/AppData/Roaming/Kivo/.
ProgramFolders WindowsProgramFolders(const std::string& roaming_app_data,
                                     const std::string& profile);

// The one-time note that tells where the files went; "" for kBesideProgram.
std::string ProgramFolderNote(const std::string& executable_dir, const FolderChoice& choice);

// The settings file for a program that only reads settings (kivo-cli): the chosen settings
// folder's |name|, or, when the per-user folders are chosen and hold no such file, the copy
// beside the executable (shipped with the program, or left by a portable copy) if there is one.
// Decided without creating a folder or saying a word: a reader leaves no trace.
std::string SettingsFileToRead(const FolderFacts& facts, const std::string& name,
                               const std::function<bool(const std::string&)>& exists);
// The same from the system's facts (GatherFolderFacts).
std::string SettingsFileToRead(const std::string& name);

// The folders in use (decided on the first call).
ProgramFolders ProgramFoldersInUse();
// The settings folder, with a trailing "/".
std::string ProgramDir();

// When the per-user folders are in use: the executable's own directory (with "/"), where a
// "Kivo.ini" shipped beside the program may still be read; otherwise "".
std::string ProgramDirReadOnlySource();

// The note about the per-user folders when the platform could not show it itself (a Windows GUI
// program has no standard error): the caller shows it; "" otherwise, and on every later call.
std::string TakeProgramFolderNote();

// Operating-system parts.
FolderFacts GatherFolderFacts();
bool ShowProgramFolderNote(const std::string& note);  // false: nobody would see it
std::string ExecutableDir();  // directory of the running executable with "/", or "" if unknown
bool IsDirectoryWritable(const std::string& dir);
bool MakeDirectories(const std::string& dir);  // like mkdir -p; true when it exists afterwards
std::string EnvironmentVariable(const char* name);  // "" when unset
std::string HomeDirectory();

}  // namespace kivo
