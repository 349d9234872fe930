#include "support/scripted_dialogs.h"

namespace kivo {

MsgResult ScriptedDialogs::MessageBox(const std::string& text, MsgType type, MsgButtons buttons) {
  shown.push_back({"message", text, "", "", type, buttons});
  if (message_answers.empty()) return buttons == MsgButtons::kOk ? MsgResult::kOk : MsgResult::kNo;
  MsgResult answer = message_answers.front();
  message_answers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::InputQuery(const std::string& title,
                                                       const std::string& prompt,
                                                       const std::string& initial) {
  shown.push_back({"input", title, prompt, initial});
  if (input_answers.empty()) return std::nullopt;
  auto answer = input_answers.front();
  input_answers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::OpenFile(const std::string& title,
                                                     const std::string& initial_dir,
                                                     const std::string& file_name,
                                                     const std::string&) {
  shown.push_back({"open", title, file_name, initial_dir});
  if (open_answers.empty()) return std::nullopt;
  auto answer = open_answers.front();
  open_answers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedDialogs::ChooseFolder(const std::string& title,
                                                         const std::string& initial_dir) {
  shown.push_back({"folder", title, "", initial_dir});
  if (folder_answers.empty()) return std::nullopt;
  auto answer = folder_answers.front();
  folder_answers.pop_front();
  return answer;
}

}  // namespace kivo
