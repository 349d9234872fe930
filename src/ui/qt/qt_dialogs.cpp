#include "ui/qt/qt_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace kivo {
namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
// Messages break their lines with a carriage return (and sometimes CR LF); Qt wants "\n".
QString Lines(const std::string& s) {
  QString text = Q(s);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  return text;
}
}  // namespace

MsgResult QtDialogs::MessageBox(const std::string& text, MsgType type, MsgButtons buttons) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (type) {
    case MsgType::kInformation: icon = QMessageBox::Information; break;
    case MsgType::kWarning: icon = QMessageBox::Warning; break;
    case MsgType::kError: icon = QMessageBox::Critical; break;
    case MsgType::kConfirmation: icon = QMessageBox::Question; break;
  }
  QMessageBox box(icon, Q(title_), Lines(text),
                  buttons == MsgButtons::kYesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                : QMessageBox::Ok,
                  parent_);
  int answer = box.exec();
  if (answer == QMessageBox::Yes) return MsgResult::kYes;
  if (answer == QMessageBox::No) return MsgResult::kNo;
  return MsgResult::kOk;
}

std::optional<std::string> QtDialogs::InputQuery(const std::string& title,
                                                 const std::string& prompt,
                                                 const std::string& initial) {
  bool ok = false;
  QString text = QInputDialog::getText(parent_, Q(title), Q(prompt), QLineEdit::Normal,
                                       Q(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

std::optional<std::string> QtDialogs::OpenFile(const std::string& title,
                                               const std::string& initial_dir,
                                               const std::string& file_name,
                                               const std::string& filter) {
  // "description|pattern" becomes Qt's "description (pattern)".
  QString qt_filter = Q(filter);
  if (int bar = qt_filter.indexOf('|'); bar >= 0)
    qt_filter = qt_filter.left(bar) + " (" + qt_filter.mid(bar + 1) + ")";
  QString start = Q(initial_dir);
  if (!file_name.empty()) start += (start.isEmpty() || start.endsWith('/') ? "" : "/") + Q(file_name);
  QString chosen = QFileDialog::getOpenFileName(parent_, Q(title), start, qt_filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string& title,
                                                   const std::string& initial_dir) {
  QString chosen = QFileDialog::getExistingDirectory(parent_, Q(title), Q(initial_dir));
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

}  // namespace kivo
