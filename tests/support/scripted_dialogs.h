// ScriptedDialogs: the dialogs a test hands to the windows. Loop thread only.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace kivo {

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
