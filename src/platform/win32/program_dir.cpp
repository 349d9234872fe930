#include "platform/program_dir.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <vector>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

std::string ForwardSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// "" when the folder is not known (FOLDERID_UserProgramFiles is missing before Windows 7).
std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string result;
  if (SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path) == S_OK && path != nullptr) {
    result = ForwardSlashes(win32::Utf8(path));
  }
  CoTaskMemFree(path);
  return result;
}

}  // namespace

FolderFacts GatherFolderFacts() {
  FolderFacts facts;
  facts.executable_dir = ExecutableDir();
  facts.executable_dir_writable =
      !facts.executable_dir.empty() && IsDirectoryWritable(facts.executable_dir);
  // The machine-wide program folders (both views on 64-bit Windows) and the per-user one that
  // per-user installers use, %LOCALAPPDATA%\Programs.
  std::vector<std::string> dirs = {
      KnownFolder(FOLDERID_ProgramFiles), KnownFolder(FOLDERID_ProgramFilesX86),
      ForwardSlashes(EnvironmentVariable("ProgramFiles")),
      ForwardSlashes(EnvironmentVariable("ProgramFiles(x86)")),
      ForwardSlashes(EnvironmentVariable("ProgramW6432")), KnownFolder(FOLDERID_UserProgramFiles)};
  const std::string local = KnownFolder(FOLDERID_LocalAppData);
  if (!local.empty()) dirs.push_back(local + "/Programs");
  for (std::string& dir : dirs) {
    if (!dir.empty()) facts.system_dirs.push_back(std::move(dir));
  }
  std::string roaming = KnownFolder(FOLDERID_RoamingAppData);
  if (roaming.empty()) roaming = EnvironmentVariable("APPDATA");
  facts.per_user = WindowsProgramFolders(roaming, HomeDirectory());
  return facts;
}

// A GUI program's standard error goes nowhere: the caller shows the note in the window.
bool ShowProgramFolderNote(const std::string&) { return false; }

std::string ExecutableDir() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      // Forward slashes: the rest of the program joins names with "/", which Windows accepts.
      std::string path = win32::Utf8(std::wstring_view(buf.data(), n));
      for (char& c : path) {
        if (c == '\\') c = '/';
      }
      const size_t slash = path.rfind('/');
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    buf.resize(buf.size() * 2);
  }
}

bool IsDirectoryWritable(const std::string& dir) {
  // Access rights on Windows are ACLs, virtualised folders and read-only media; trying is the
  // only reliable test.
  const std::wstring probe = win32::Wide(dir) + L"/kivo-write-test.tmp";
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  CloseHandle(file);
  return true;
}

bool MakeDirectories(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::u8path(dir), error);
  return std::filesystem::is_directory(std::filesystem::u8path(dir), error);
}

std::string EnvironmentVariable(const char* name) {
  const std::wstring wide_name = win32::Wide(name);
  const DWORD n = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wide_name.c_str(), value.data(), n);
  value.resize(got);
  return win32::Utf8(value);
}

std::string HomeDirectory() {
  std::string home = EnvironmentVariable("USERPROFILE");
  for (char& c : home) {
    if (c == '\\') c = '/';
  }
  return home;
}

}  // namespace kivo
