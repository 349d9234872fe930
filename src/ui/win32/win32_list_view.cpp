// The file list as a report-style list view: a column per title, rows of tab-separated cells,
// several rows selectable with mouse and keyboard. Rows change in place (only the cells that
// differ are set again), so a download's progress keeps the user's place and selection. The
// user's selection reaches the model once the list is settled, then the list is clicked.
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/win32/win32_control.h"

namespace kivo {
namespace {

using win32::Utf8;
using win32::Wide;

constexpr UINT_PTR kSelectionTimer = 1;
constexpr wchar_t kSelfProperty[] = L"KivoListView";

std::vector<std::wstring> Cells(const std::string& line) {
  std::vector<std::wstring> cells;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    cells.push_back(Wide(line.substr(start, tab == std::string::npos ? tab : tab - start)));
    if (tab == std::string::npos) return cells;
    start = tab + 1;
  }
}

class Win32ListView : public Win32Control {
 public:
  Win32ListView(ComponentModel& model, Component& c, HWND parent) : model_(model), c_(c) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    const Bounds& b = c.GetBounds();
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, Wide(c.accessible_name).c_str(),
                              WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT |
                                  LVS_SHOWSELALWAYS,
                              b.left, b.top, b.width, b.height, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetPropW(window_, kSelfProperty, this);
    ListView_SetExtendedListViewStyle(window_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER |
                                                   LVS_EX_LABELTIP);
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      std::wstring title = Wide(c.columns[i]);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.pszText = title.data();
      column.cx = i < c.column_widths.size() ? c.column_widths[i] : 100;
      column.iSubItem = static_cast<int>(i);
      SendMessageW(window_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
  }

  ~Win32ListView() override {
    if (IsWindow(window_)) {
      KillTimer(window_, kSelectionTimer);
      RemovePropW(window_, kSelfProperty);
    }
  }

  bool Apply(Property what) override {
    switch (what) {
      case Property::kLines:
        ShowRows();
        ShowSelection();
        return true;
      case Property::kLine:
        // One row changed in place: only its cells are set again.
        if (c_.ChangedLine() < shown_.size()) {
          UpdateRow(static_cast<int>(c_.ChangedLine()), Cells(c_.Lines()[c_.ChangedLine()]));
        } else {
          ShowRows();
        }
        return true;
      case Property::kSelection:
        ShowSelection();
        return true;
      case Property::kCaption:
      case Property::kValue:
      case Property::kData:
      case Property::kChecked:
      case Property::kFontColor:
        return true;
      case Property::kEnabled:
      case Property::kVisible:
      case Property::kHint:
      case Property::kBounds:
        return false;
    }
    return false;
  }

  bool Notify(const NMHDR& header, LRESULT* result) override {
    if (header.code != LVN_ITEMCHANGED) return false;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    *result = 0;
    if (applying_ || !(change.uChanged & LVIF_STATE) ||
        !((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
      return true;
    // One click deselects one row and selects another, a Shift+click many: the model hears of
    // the selection once the list has settled.
    SetTimer(window_, kSelectionTimer, USER_TIMER_MINIMUM, &SelectionSettled);
    return true;
  }

  void Inspect(NativeControl& out) const override {
    HWND header = reinterpret_cast<HWND>(SendMessageW(window_, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int k = 0; k < columns; ++k) {
      wchar_t title[256] = L"";
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT;
      column.pszText = title;
      column.cchTextMax = 256;
      SendMessageW(window_, LVM_GETCOLUMNW, k, reinterpret_cast<LPARAM>(&column));
      out.columns.push_back(Utf8(title));
    }
    const int rows = static_cast<int>(SendMessageW(window_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      std::string line;
      for (int k = 0; k < columns; ++k) line += (k ? "\t" : "") + Utf8(CellText(row, k));
      out.items.push_back(line);
    }
    out.selection = SelectedRows();
  }

 private:
  static void CALLBACK SelectionSettled(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    auto* self = static_cast<Win32ListView*>(GetPropW(window, kSelfProperty));
    if (self == nullptr) return;
    std::vector<int> rows = self->SelectedRows();
    if (rows == self->c_.Selection()) return;
    self->c_.SetSelection(std::move(rows));
    self->model_.Click(self->c_.Name());
  }

  std::wstring CellText(int row, int column) const {
    std::wstring text(512, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT n =
        SendMessageW(window_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(n));
    return text;
  }

  void SetCell(int row, int column, std::wstring text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    SendMessageW(window_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  }

  // The same number of rows: only cells that differ are set, in place. Otherwise the list is
  // filled anew.
  void ShowRows() {
    std::vector<std::vector<std::wstring>> rows;
    for (const std::string& line : c_.Lines()) rows.push_back(Cells(line));
    applying_ = true;
    const bool refill = rows.size() != shown_.size();
    if (refill) {
      SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
      SendMessageW(window_, LVM_DELETEALLITEMS, 0, 0);
      shown_.assign(rows.size(), {});
      SendMessageW(window_, LVM_SETITEMCOUNT, rows.size(), 0);  // room for all rows at once
      for (std::size_t i = 0; i < rows.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(window_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) UpdateRow(static_cast<int>(i), rows[i]);
    if (refill) {
      SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(window_, nullptr, TRUE);
    }
    applying_ = false;
  }

  void UpdateRow(int row, const std::vector<std::wstring>& cells) {
    std::vector<std::wstring>& shown = shown_[static_cast<std::size_t>(row)];
    shown.resize(std::max(shown.size(), cells.size()));
    for (std::size_t k = 0; k < shown.size(); ++k) {
      const std::wstring& want = k < cells.size() ? cells[k] : std::wstring();
      if (shown[k] == want) continue;
      SetCell(row, static_cast<int>(k), want);
      shown[k] = want;
    }
  }

  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int i = -1;;) {
      i = static_cast<int>(SendMessageW(window_, LVM_GETNEXTITEM, i, LVNI_SELECTED));
      if (i < 0) return rows;
      rows.push_back(i);
    }
  }

  void ShowSelection() {
    const std::vector<int>& want = c_.Selection();
    if (SelectedRows() == want) return;
    applying_ = true;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    SendMessageW(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (int row : want)
      SendMessageW(window_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    if (!want.empty()) {
      // The keyboard carries on from the first selected row.
      LVITEMW focus{};
      focus.stateMask = LVIS_FOCUSED;
      focus.state = LVIS_FOCUSED;
      SendMessageW(window_, LVM_SETITEMSTATE, want.front(), reinterpret_cast<LPARAM>(&focus));
    }
    applying_ = false;
  }

  ComponentModel& model_;
  Component& c_;
  std::vector<std::vector<std::wstring>> shown_;  // the cells as the list shows them
  bool applying_ = false;
};

}  // namespace

std::unique_ptr<Win32Control> MakeWin32ListView(ComponentModel& model, Component& c,
                                                HWND parent) {
  return std::make_unique<Win32ListView>(model, c, parent);
}

}  // namespace kivo
