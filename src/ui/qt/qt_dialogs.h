// Dialogs on Qt: QMessageBox, QInputDialog, QFileDialog, owned by the main window.
// GUI thread only.
#pragma once

#include "platform/dialogs.h"

class QWidget;

namespace kivo {

class QtDialogs : public Dialogs {
 public:
  // |title| is the application's title, shown on message boxes.
  explicit QtDialogs(std::string title) : title_(std::move(title)) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  MsgResult MessageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
  std::optional<std::string> InputQuery(const std::string& title, const std::string& prompt,
                                        const std::string& initial) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& initial_dir,
                                      const std::string& file_name,
                                      const std::string& filter) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initial_dir) override;

 private:
  std::string title_;
  QWidget* parent_ = nullptr;
};

}  // namespace kivo
