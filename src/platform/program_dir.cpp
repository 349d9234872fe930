#include "platform/program_dir.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>

#include "platform/file_path.h"

namespace kivo {
namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || (dir.back() != '/' && dir.back() != '\\')) dir += '/';
  return dir;
}

char Folded(char c) {
  if (c == '\\') return '/';
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct State {
  std::mutex mutex;
  std::optional<ProgramFolders> folders;  // guarded by mutex, as are the rest
  std::string read_only_source;
  std::string pending_note;
};

State& Shared() {
  static State state;
  return state;
}

ProgramFolders AllIn(const std::string& dir) { return {dir, dir, dir}; }

}  // namespace

bool IsInsideDir(const std::string& path, const std::string& dir) {
  if (dir.empty()) return false;
  const std::string folder = WithSlash(dir);
  const std::string target = WithSlash(path);
  if (target.size() < folder.size()) return false;
  for (size_t i = 0; i < folder.size(); ++i) {
    if (Folded(target[i]) != Folded(folder[i])) return false;
  }
  return true;
}

FolderChoice ChooseProgramFolders(const FolderFacts& facts) {
  const std::string& exe = facts.executable_dir;
  for (const std::string& system_dir : facts.system_dirs) {
    if (!exe.empty() && IsInsideDir(exe, system_dir)) {
      return {facts.per_user, FolderReason::kInstalled};
    }
  }
  if (exe.empty() || !facts.executable_dir_writable) {
    return {facts.per_user, FolderReason::kNotWritable};
  }
  return {AllIn(WithSlash(exe)), FolderReason::kBesideProgram};
}

ProgramFolders XdgProgramFolders(const std::function<std::string(const char*)>& environment,
                                 const std::string& home) {
  const std::string base = WithSlash(home.empty() ? std::string("/tmp") : home);
  auto pick = [&](const char* variable, const char* fallback) {
    const std::string value = environment(variable);
    return (!value.empty() && value.front() == '/' ? WithSlash(value) : base + fallback) + "kivo/";
  };
  return {pick("XDG_CONFIG_HOME", ".config/"), pick("XDG_STATE_HOME", ".local/state/"),
          pick("XDG_CACHE_HOME", ".cache/")};
}

ProgramFolders WindowsProgramFolders(const std::string& roaming_app_data,
                                     const std::string& profile) {
  std::string base = !roaming_app_data.empty() ? WithSlash(roaming_app_data)
                     : !profile.empty()        ? WithSlash(profile) + "AppData/Roaming/"
                                               : std::string();
  for (char& c : base) {
    if (c == '\\') c = '/';
  }
  return AllIn(base + "Kivo/");
}

std::string ProgramFolderNote(const std::string& executable_dir, const FolderChoice& choice) {
  if (choice.reason == FolderReason::kBesideProgram) return {};
  const std::string where = executable_dir.empty() ? std::string("(unknown)") : executable_dir;
  std::string note = choice.reason == FolderReason::kInstalled
                         ? "Kivo is installed in " + where + ": "
                         : "Kivo: the program directory " + where + " is not writable; ";
  const ProgramFolders& f = choice.folders;
  note += "settings are kept in " + f.settings;
  if (f.logs != f.settings) note += ", logs in " + f.logs;
  if (f.work != f.settings) note += ", temporary files in " + f.work;
  return note;
}

std::string SettingsFileToRead(const FolderFacts& facts, const std::string& name,
                               const std::function<bool(const std::string&)>& exists) {
  const FolderChoice choice = ChooseProgramFolders(facts);
  const std::string chosen = choice.folders.settings + name;
  if (choice.reason == FolderReason::kBesideProgram || facts.executable_dir.empty() ||
      exists(chosen))
    return chosen;
  const std::string beside = WithSlash(facts.executable_dir) + name;
  return exists(beside) ? beside : chosen;
}

std::string SettingsFileToRead(const std::string& name) {
  return SettingsFileToRead(GatherFolderFacts(), name, [](const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(PathFromUtf8(path), ec);
  });
}

ProgramFolders ProgramFoldersInUse() {
  State& state = Shared();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.folders) return *state.folders;
  const FolderFacts facts = GatherFolderFacts();
  const FolderChoice choice = ChooseProgramFolders(facts);
  if (choice.reason != FolderReason::kBesideProgram) {
    std::string note = ProgramFolderNote(facts.executable_dir, choice);
    for (const std::string& dir :
         {choice.folders.settings, choice.folders.logs, choice.folders.work}) {
      if (!MakeDirectories(dir)) note += "; cannot create " + dir + ", nothing will be saved there";
    }
    if (!ShowProgramFolderNote(note)) state.pending_note = note;
    if (!facts.executable_dir.empty()) state.read_only_source = WithSlash(facts.executable_dir);
  }
  state.folders = choice.folders;
  return *state.folders;
}

std::string ProgramDir() { return ProgramFoldersInUse().settings; }

std::string ProgramDirReadOnlySource() {
  ProgramFoldersInUse();
  State& state = Shared();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.read_only_source;
}

std::string TakeProgramFolderNote() {
  ProgramFoldersInUse();
  State& state = Shared();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::string note;
  note.swap(state.pending_note);
  return note;
}

}  // namespace kivo
