#include "ui/qt/qt_file_list.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelection>
#include <algorithm>
#include <string_view>

namespace kivo {

// The component's rows as a table. The number of rows is the one last announced to the view,
// so the view never hears of rows it has not been told about; the texts are read from the
// component when a cell is drawn.
class FileListRows : public QAbstractTableModel {
 public:
  FileListRows(const Component& c, QObject* parent) : QAbstractTableModel(parent), c_(c) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : rows_;
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(c_.columns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    return Cell(index.row(), index.column());
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        static_cast<std::size_t>(section) >= c_.columns.size())
      return {};
    return QString::fromStdString(c_.columns[static_cast<std::size_t>(section)]);
  }

  // Cell |column| of row |row|: the text between its tabs.
  QString Cell(int row, int column) const {
    if (row < 0 || row >= rows_ || static_cast<std::size_t>(row) >= c_.Lines().size()) return {};
    std::string_view line = c_.Lines()[static_cast<std::size_t>(row)];
    for (int k = 0; k < column; ++k) {
      const std::size_t tab = line.find('\t');
      if (tab == std::string_view::npos) return {};
      line.remove_prefix(tab + 1);
    }
    line = line.substr(0, line.find('\t'));
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
  }

  // Every row replaced: a reset when their number changed, otherwise only the texts.
  void AllRows() {
    const int now = static_cast<int>(c_.Lines().size());
    if (now != rows_) {
      beginResetModel();
      rows_ = now;
      endResetModel();
    } else if (rows_ > 0) {
      emit dataChanged(index(0, 0), index(rows_ - 1, columnCount({}) - 1));
    }
  }
  void OneRow(std::size_t row) {
    if (row >= static_cast<std::size_t>(rows_)) return;
    // Cell by cell: the view repaints a single cell's rectangle for each, where a range of
    // cells would repaint the whole list.
    const int r = static_cast<int>(row);
    for (int k = 0; k < columnCount({}); ++k) emit dataChanged(index(r, k), index(r, k));
  }

 private:
  const Component& c_;
  int rows_ = 0;
};

QtFileList::QtFileList(ComponentModel& model, Component& c, QWidget* parent)
    : QTreeView(parent), model_(model), c_(c), rows_(new FileListRows(c, this)) {
  setModel(rows_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAlternatingRowColors(true);
  setAllColumnsShowFocus(true);
  for (std::size_t i = 0; i < c.column_widths.size(); ++i)
    setColumnWidth(static_cast<int>(i), c.column_widths[i]);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (applying_) return;
    std::vector<int> rows = SelectedRows();
    if (rows == c_.Selection()) return;
    c_.SetSelection(std::move(rows));
    model_.Click(c_.Name());
  });
  // A double-click or Enter on a row: the selection has reached the model by then.
  connect(this, &QAbstractItemView::activated, this, [this] { model_.Activate(c_.Name()); });
}

QtFileList::~QtFileList() = default;

void QtFileList::Apply(Property what) {
  applying_ = true;
  if (what == Property::kLines) rows_->AllRows();
  if (what == Property::kLine) rows_->OneRow(c_.ChangedLine());
  if (what == Property::kLines || what == Property::kSelection) ShowSelection();
  applying_ = false;
}

void QtFileList::ShowSelection() {
  if (SelectedRows() == c_.Selection()) return;
  // Runs of neighbouring rows become one range each: selecting every row is one range.
  QItemSelection selection;
  const std::vector<int>& want = c_.Selection();
  const int rows = rows_->rowCount({});
  const int last_column = std::max(0, rows_->columnCount({}) - 1);
  for (std::size_t i = 0; i < want.size();) {
    std::size_t j = i;
    while (j + 1 < want.size() && want[j + 1] == want[j] + 1) ++j;
    const int first = want[i], last = std::min(want[j], rows - 1);
    if (first >= 0 && first <= last)
      selection.select(rows_->index(first, 0), rows_->index(last, last_column));
    i = j + 1;
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  // The keyboard carries on from the first selected row.
  if (!want.empty() && want.front() >= 0 && want.front() < rows)
    selectionModel()->setCurrentIndex(rows_->index(want.front(), 0), QItemSelectionModel::NoUpdate);
}

std::vector<std::string> QtFileList::Titles() const {
  std::vector<std::string> titles;
  for (int k = 0; k < rows_->columnCount({}); ++k)
    titles.push_back(rows_->headerData(k, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
  return titles;
}

std::vector<std::string> QtFileList::Rows() const {
  std::vector<std::string> lines;
  const int columns = rows_->columnCount({});
  for (int row = 0; row < rows_->rowCount({}); ++row) {
    std::string line;
    for (int k = 0; k < columns; ++k) line += (k ? "\t" : "") + rows_->Cell(row, k).toStdString();
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<int> QtFileList::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace kivo
