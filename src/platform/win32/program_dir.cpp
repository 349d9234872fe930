#include "platform/program_dir.h"

#include <windows.h>

#include <filesystem>
#include <vector>

#include "platform/win32/wide_text.h"

namespace kivo {

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
