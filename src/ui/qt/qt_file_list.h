// The file list for Qt: a view over the component's rows that reads only the rows on screen.
// Replacing every row costs one reset of the view whatever their number (or, when the number
// stays, one "texts changed", so the user's place and selection stay); one row changed in place
// repaints that row alone. The user's selection reaches the component, then the list is
// clicked. GUI thread only.
#pragma once

#include <QTreeView>
#include <string>
#include <vector>

#include "ui/component.h"

namespace kivo {

class FileListRows;

class QtFileList : public QTreeView {
  Q_OBJECT

 public:
  QtFileList(ComponentModel& model, Component& c, QWidget* parent);
  ~QtFileList() override;

  // kLines, kLine and kSelection of the component; other properties are not the list's.
  void Apply(Property what);

  // What the list shows: its column titles, every row as tab-separated cells, selected rows.
  std::vector<std::string> Titles() const;
  std::vector<std::string> Rows() const;
  std::vector<int> SelectedRows() const;

 private:
  void ShowSelection();

  ComponentModel& model_;
  Component& c_;
  FileListRows* rows_;
  bool applying_ = false;
};

}  // namespace kivo
