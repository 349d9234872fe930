#include "platform/exclusive_file.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

ExclusiveFile::Result ExclusiveFile::Create(const std::string& path,
                                            std::unique_ptr<ExclusiveFile>* file,
                                            std::string* error) {
  // CREATE_NEW fails on any existing name; FILE_FLAG_OPEN_REPARSE_POINT keeps a link from
  // being followed should one appear in between.
  HANDLE handle = CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return Result::kNameTaken;
    if (error) *error = win32::SystemErrorText(code);
    return Result::kFailed;
  }
  file->reset(new ExclusiveFile(reinterpret_cast<std::intptr_t>(handle)));
  return Result::kCreated;
}

ExclusiveFile::~ExclusiveFile() { Close(nullptr); }

bool ExclusiveFile::Write(const char* data, std::size_t len, std::string* error) {
  if (handle_ == -1) {
    if (error) *error = "file is closed";
    return false;
  }
  while (len > 0) {
    const DWORD chunk = static_cast<DWORD>(len < (1u << 30) ? len : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), data, chunk, &written, nullptr) || written == 0) {
      if (error) *error = written == 0 && GetLastError() == 0
                              ? std::string("nothing written")
                              : win32::SystemErrorText(GetLastError());
      return false;
    }
    data += written;
    len -= written;
  }
  return true;
}

bool ExclusiveFile::Close(std::string* error) {
  if (handle_ == -1) return true;
  const BOOL ok = CloseHandle(AsHandle(handle_));
  handle_ = -1;
  if (!ok && error) *error = win32::SystemErrorText(GetLastError());
  return ok != 0;
}

}  // namespace kivo
