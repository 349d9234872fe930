// The folder chooser: the system's own file dialog in its pick-folders mode (IFileOpenDialog,
// FOS_PICKFOLDERS), opened at the current folder (or the nearest one above it that exists).
// The event loop's sockets keep being served while it is open.
#include <shobjidl.h>

#include <filesystem>

#include "platform/win32/wide_text.h"
#include "ui/win32/win32_dialogs.h"

namespace kivo {
namespace {

using win32::Utf8;
using win32::Wide;

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
};

// The shell item of |dir| or of the nearest folder above it that exists; nullptr for none.
IShellItem* ExistingFolder(const std::string& dir) {
  std::error_code error;
  for (std::filesystem::path p = Wide(dir); !p.empty(); p = p.parent_path()) {
    IShellItem* item = nullptr;
    if (std::filesystem::is_directory(p, error) &&
        SUCCEEDED(SHCreateItemFromParsingName(p.c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(&item))))
      return item;
    if (p == p.parent_path()) break;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> Win32Dialogs::ChooseFolder(const std::string& title,
                                                      const std::string& initial_dir) {
  Released<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog.p))))
    return std::nullopt;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog.p->GetOptions(&options);
  dialog.p->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog.p->SetTitle(Wide(title).c_str());
  Released<IShellItem> start{ExistingFolder(initial_dir)};
  if (start.p != nullptr) dialog.p->SetFolder(start.p);
  // Owned by the window the user asked from (Browse and Download), which it blocks meanwhile.
  HWND owner = GetActiveWindow();
  if (owner == nullptr) owner = owner_;
  if (FAILED(dialog.p->Show(owner))) return std::nullopt;  // cancelled, or it could not open
  Released<IShellItem> chosen;
  if (FAILED(dialog.p->GetResult(&chosen.p))) return std::nullopt;
  wchar_t* path = nullptr;
  if (FAILED(chosen.p->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr)
    return std::nullopt;
  std::string result = Utf8(path);
  CoTaskMemFree(path);
  return result;
}

}  // namespace kivo
