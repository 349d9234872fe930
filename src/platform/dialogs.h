// Modal dialogs the window logic needs: message box, one-line input, file-open. Loop thread
// only; each call returns when the user has answered. The real ones are the renderers' (ui/qt,
// ui/win32); tests hand in their own.
#pragma once

#include <optional>
#include <string>

namespace kivo {

enum class MsgType { kInformation, kWarning, kError, kConfirmation };
enum class MsgButtons { kOk, kYesNo };
enum class MsgResult { kOk, kYes, kNo, kCancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MsgResult MessageBox(const std::string& text, MsgType type, MsgButtons buttons) = 0;
  // One-line input; nullopt when the user cancels.
  virtual std::optional<std::string> InputQuery(const std::string& title, const std::string& prompt,
                                                const std::string& initial) = 0;
  // File-open dialog; |filter| in the "description|pattern" form ("*.exe|*.exe").
  // nullopt when the user cancels.
  virtual std::optional<std::string> OpenFile(const std::string& title,
                                              const std::string& initial_dir,
                                              const std::string& file_name,
                                              const std::string& filter) = 0;
  // Folder chooser starting at |initial_dir|; nullopt when the user cancels (and where a
  // platform offers no chooser).
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& initial_dir) {
    (void)title;
    (void)initial_dir;
    return std::nullopt;
  }
};

}  // namespace kivo
