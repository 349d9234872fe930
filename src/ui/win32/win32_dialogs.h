// Dialogs on Win32: MessageBox, a one-line input dialog built in memory (no resource file),
// the common file-open dialog and the system's folder picker. UI thread only; each call runs a
// modal loop, during which the event loop's sockets and posted tasks keep being served (they
// arrive as messages).
#pragma once

#include <windows.h>
// The method below is the dialogs interface's MessageBox, not the Win32 macro.
#undef MessageBox

#include <string>

#include "platform/dialogs.h"

namespace kivo {

class Win32Dialogs : public Dialogs {
 public:
  explicit Win32Dialogs(std::string title) : title_(std::move(title)) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  MsgResult MessageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
  std::optional<std::string> InputQuery(const std::string& title, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& initial_dir,
                                      const std::string& file_name,
                                      const std::string& filter) override;
  // The system's folder picker (win32_folder_picker.cpp).
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial_dir) override;

 private:
  std::string title_;
  HWND owner_ = nullptr;
};

}  // namespace kivo
