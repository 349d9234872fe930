// The file list as a report-style list view: a column per title, rows of tab-separated cells,
// several rows selectable with mouse and keyboard. The list holds no texts of its own (owner
// data): it knows how many rows there are and asks for the cells it draws, straight from the
// model's lines, so a card of thousands of files costs one message to show, and a row changed
// by a download's progress costs the redrawing of that row only, keeping the user's place and
// selection. The user's selection reaches the model once the list is settled, then the list is
// clicked.
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/win32/win32_control.h"

namespace kivo {
namespace {

using win32::Utf8;
using win32::Wide;

constexpr UINT_PTR kSelectionTimer = 1;
constexpr wchar_t kSelfProperty[] = L"KivoListView";

// Cell |column| of a row of tab-separated cells; empty when the row has fewer.
std::string_view Cell(std::string_view line, int column) {
  for (; column > 0; --column) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return {};
    line.remove_prefix(tab + 1);
  }
  return line.substr(0, line.find('\t'));
}

class Win32ListView : public Win32Control {
 public:
  Win32ListView(ComponentModel& model, Component& c, HWND parent) : model_(model), c_(c) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    const Bounds& b = c.GetBounds();
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, Wide(c.accessible_name).c_str(),
                              WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT |
                                  LVS_SHOWSELALWAYS | LVS_OWNERDATA,
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
        // One row changed in place: only that row asks for its cells again.
        if (c_.ChangedLine() < RowCount()) {
          const WPARAM row = c_.ChangedLine();
          SendMessageW(window_, LVM_REDRAWITEMS, row, static_cast<LPARAM>(row));
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
    *result = 0;
    switch (header.code) {
      case LVN_GETDISPINFOW:
        GiveCell(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
        return true;
      case LVN_ODFINDITEMW: {
        // Typing a name's first letters moves to the row whose name starts with them.
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        *result = FindRow(find.lvfi, find.iStart);
        return true;
      }
      case LVN_ITEMCHANGED: {
        // A row's state, or every row's at once (iItem -1: select all, deselect all).
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) &&
            (change.iItem < 0 || ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)))
          SelectionChanged();
        return true;
      }
      case LVN_ODSTATECHANGED:  // a range of rows, as a Shift+click selects them
        SelectionChanged();
        return true;
      case LVN_ITEMACTIVATE:  // a double-click, or Enter, on a row
        SelectionSettled(window_, kSelectionTimer, 0, 0);
        model_.Activate(c_.Name());
        return true;
      default:
        return false;
    }
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
  std::size_t RowCount() const {
    return static_cast<std::size_t>(SendMessageW(window_, LVM_GETITEMCOUNT, 0, 0));
  }

  // The cell the list asks for, read from the model's line. The list may keep the pointer for
  // two more requests, so the texts take turns in a few buffers of their own.
  void GiveCell(LVITEMW& item) {
    if (!(item.mask & LVIF_TEXT)) return;
    const std::vector<std::string>& lines = c_.Lines();
    std::wstring& text = cell_texts_[next_cell_text_++ % std::size(cell_texts_)];
    text = item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < lines.size()
               ? Wide(Cell(lines[static_cast<std::size_t>(item.iItem)], item.iSubItem))
               : std::wstring();
    item.pszText = text.data();
  }

  // The first row from |start| on (round to the top with LVFI_WRAP) whose name begins with the
  // text (LVFI_PARTIAL) or is the text (LVFI_STRING), ignoring case; -1 when there is none.
  int FindRow(const LVFINDINFOW& find, int start) const {
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.psz == nullptr) return -1;
    const std::wstring wanted = find.psz;
    const std::vector<std::string>& lines = c_.Lines();
    const int count = static_cast<int>(lines.size());
    start = start < 0 || start >= count ? 0 : start;
    const int end = find.flags & LVFI_WRAP ? start + count : count;
    for (int i = start; i < end; ++i) {
      const int row = i % count;
      std::wstring name = Wide(Cell(lines[static_cast<std::size_t>(row)], 0));
      if (!(find.flags & LVFI_PARTIAL) && name.size() != wanted.size()) continue;
      if (name.size() >= wanted.size() &&
          CompareStringOrdinal(name.c_str(), static_cast<int>(wanted.size()), wanted.c_str(),
                               static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL)
        return row;
    }
    return -1;
  }

  // One click deselects one row and selects another, a Shift+click many: the model hears of the
  // selection once the list has settled.
  void SelectionChanged() {
    if (!applying_) SetTimer(window_, kSelectionTimer, USER_TIMER_MINIMUM, &SelectionSettled);
  }

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

  // The rows' texts may all be new: the list draws again what it shows. As many rows as before
  // keep the user's place, and the count is not set again (even unchanged, that costs the list
  // a round of scroll-bar updates). Another count is another list, shown from the top with
  // nothing focused, as a list filled anew would be.
  void ShowRows() {
    const std::size_t count = c_.Lines().size();
    applying_ = true;
    if (count == RowCount()) {
      InvalidateRect(window_, nullptr, FALSE);
    } else {
      const int focused =
          static_cast<int>(SendMessageW(window_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
      if (focused >= 0) {
        LVITEMW focus{};
        focus.stateMask = LVIS_FOCUSED;
        SendMessageW(window_, LVM_SETITEMSTATE, focused, reinterpret_cast<LPARAM>(&focus));
      }
      SendMessageW(window_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
      if (count > 0) SendMessageW(window_, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    applying_ = false;
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
  std::wstring cell_texts_[3];  // the last cells given to the list, which it may still read
  unsigned next_cell_text_ = 0;
  bool applying_ = false;
};

}  // namespace

std::unique_ptr<Win32Control> MakeWin32ListView(ComponentModel& model, Component& c,
                                                HWND parent) {
  return std::make_unique<Win32ListView>(model, c, parent);
}

}  // namespace kivo
