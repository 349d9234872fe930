#include "platform/atomic_file.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, DWORD error) {
  throw FileWriteError("Cannot " + what + " \"" + path + "\": " + win32::SystemErrorText(error));
}

// A name no other writer picks at the same moment; CREATE_NEW settles any collision anyway.
std::wstring TemporaryName(const std::string& path, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const unsigned long mix = static_cast<unsigned long>(GetTickCount64()) ^
                            (GetCurrentProcessId() << 16) ^
                            (counter.fetch_add(1) * 2654435761u) ^ attempt;
  return win32::Wide(path) + L".tmp" + std::to_wstring(mix & 0xffffff);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* contents) {
  HANDLE file = CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string data;
  char buf[8192];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buf, sizeof buf, &n, nullptr)) {
      CloseHandle(file);
      return false;
    }
    if (n == 0) break;
    data.append(buf, n);
  }
  CloseHandle(file);
  *contents = std::move(data);
  return true;
}

void WriteFileAtomically(const std::string& path, std::string_view contents) {
  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp = TemporaryName(path, attempt);
    file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
      Fail("create a temporary file for", path, GetLastError());
  }
  if (file == INVALID_HANDLE_VALUE) Fail("create a temporary file for", path, ERROR_FILE_EXISTS);

  auto abandon = [&](const char* what, DWORD error) {
    CloseHandle(file);
    DeleteFileW(temp.c_str());
    Fail(what, path, error);
  };
  size_t done = 0;
  while (done < contents.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(contents.size() - done, 1 << 20));
    if (!WriteFile(file, contents.data() + done, chunk, &n, nullptr)) {
      abandon("write", GetLastError());
    }
    done += n;
  }
  if (!FlushFileBuffers(file)) abandon("flush", GetLastError());
  CloseHandle(file);

  const std::wstring target = win32::Wide(path);
  // ReplaceFile keeps the old file's attributes and access rights, as the POSIX version keeps
  // the permission bits; with no old file a plain rename does.
  if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    return;
  }
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND &&
      MoveFileExW(temp.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return;
  }
  if (error == ERROR_FILE_NOT_FOUND) error = GetLastError();
  DeleteFileW(temp.c_str());
  Fail("replace", path, error);
}

bool NewTextFilesUseCrlf() { return true; }

}  // namespace kivo
