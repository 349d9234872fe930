// Modal dialogs the window logic needs: message box, one-line input, file-open. Loop thread
// only; each call returns when the user has answered. The real implementation is Qt's
// (ui/qt); ScriptedDialogs answers from a script for tests.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

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

// Records every dialog shown and answers from queues; an empty queue answers "cancel"
// (MsgResult::kOk for message boxes with one button, kNo for Yes/No).
class ScriptedDialogs : public Dialogs {
 public:
  struct Shown {
    std::string kind;  // "message", "input", "open", "folder"
    std::string text;  // message text, or input/open title
    std::string prompt;
    std::string initial;
    MsgType type = MsgType::kInformation;
    MsgButtons buttons = MsgButtons::kOk;
  };

  MsgResult MessageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
  std::optional<std::string> InputQuery(const std::string& title, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& initial_dir,
                                      const std::string& file_name,
                                      const std::string& filter) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial_dir) override;

  std::deque<MsgResult> message_answers;
  std::deque<std::optional<std::string>> input_answers;
  std::deque<std::optional<std::string>> open_answers;
  std::deque<std::optional<std::string>> folder_answers;
  std::vector<Shown> shown;
};

}  // namespace kivo
