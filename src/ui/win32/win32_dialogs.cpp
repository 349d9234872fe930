#include "ui/win32/win32_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

using win32::Utf8;
using win32::Wide;

// An in-memory dialog template: DLGTEMPLATE, then its items, each DWORD-aligned.
class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& title, short width, short height, WORD items) {
    Align();
    Add32(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Add32(0);  // extended style
    Add16(items);
    Add16(0);
    Add16(0);
    Add16(static_cast<WORD>(width));
    Add16(static_cast<WORD>(height));
    Add16(0);  // no menu
    Add16(0);  // the standard dialog class
    AddText(title);
    Add16(8);  // font size in points
    AddText(L"MS Shell Dlg");
  }
  // |class_atom|: 0x80 button, 0x81 edit, 0x82 static.
  void Item(WORD class_atom, WORD id, DWORD style, short x, short y, short cx, short cy,
            const std::wstring& text) {
    Align();
    Add32(style | WS_CHILD | WS_VISIBLE);
    Add32(0);
    Add16(static_cast<WORD>(x));
    Add16(static_cast<WORD>(y));
    Add16(static_cast<WORD>(cx));
    Add16(static_cast<WORD>(cy));
    Add16(id);
    Add16(0xFFFF);
    Add16(class_atom);
    AddText(text);
    Add16(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Add16(WORD w) { words_.push_back(w); }
  void Add32(DWORD d) {
    Add16(LOWORD(d));
    Add16(HIWORD(d));
  }
  void AddText(const std::wstring& text) {
    for (wchar_t c : text) Add16(static_cast<WORD>(c));
    Add16(0);
  }
  void Align() {
    if (words_.size() % 2 != 0) Add16(0);
  }
  std::vector<WORD> words_;
};

constexpr WORD kEditId = 100;

struct InputState {
  std::wstring initial;
  std::wstring answer;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, l);
      auto* state = reinterpret_cast<InputState*>(l);
      HWND edit = GetDlgItem(dialog, kEditId);
      SetWindowTextW(edit, state->initial.c_str());
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // the focus was set here
    }
    case WM_COMMAND:
      if (LOWORD(w) == IDOK) {
        auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        HWND edit = GetDlgItem(dialog, kEditId);
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(),
                                                       static_cast<int>(text.size()))));
        state->answer = text;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(w) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

MsgResult Win32Dialogs::MessageBox(const std::string& text, MsgType type, MsgButtons buttons) {
  UINT style = buttons == MsgButtons::kYesNo ? MB_YESNO : MB_OK;
  switch (type) {
    case MsgType::kInformation: style |= MB_ICONINFORMATION; break;
    case MsgType::kWarning: style |= MB_ICONWARNING; break;
    case MsgType::kError: style |= MB_ICONERROR; break;
    case MsgType::kConfirmation: style |= MB_ICONQUESTION; break;
  }
  const int answer =
      ::MessageBoxW(owner_, Wide(text).c_str(), Wide(title_).c_str(), style | MB_APPLMODAL);
  if (answer == IDYES) return MsgResult::kYes;
  if (answer == IDNO) return MsgResult::kNo;
  return MsgResult::kOk;
}

std::optional<std::string> Win32Dialogs::InputQuery(const std::string& title,
                                                    const std::string& prompt,
                                                    const std::string& initial) {
  // Sizes in dialog units, as the classic one-line input box lays them out.
  DialogTemplate dialog(Wide(title), 180, 64, 4);
  dialog.Item(0x82, static_cast<WORD>(-1), SS_LEFT, 7, 7, 166, 10, Wide(prompt));
  dialog.Item(0x81, kEditId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 20, 166, 12, L"");
  dialog.Item(0x80, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 69, 42, 50, 14, L"OK");
  dialog.Item(0x80, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 123, 42, 50, 14, L"Cancel");
  InputState state{Wide(initial), {}};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner_,
                                                 &InputProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return Utf8(state.answer);
}

std::optional<std::string> Win32Dialogs::OpenFile(const std::string& title,
                                                  const std::string& initial_dir,
                                                  const std::string& file_name,
                                                  const std::string& filter) {
  // "description|pattern" becomes the dialog's "description\0pattern\0\0".
  std::wstring wide_filter = Wide(filter);
  for (wchar_t& c : wide_filter) {
    if (c == L'|') c = L'\0';
  }
  wide_filter.append(2, L'\0');
  std::wstring dir = Wide(initial_dir);
  for (wchar_t& c : dir) {
    if (c == L'/') c = L'\\';
  }
  std::vector<wchar_t> chosen(32768, L'\0');
  const std::wstring wide_name = Wide(file_name);
  wide_name.copy(chosen.data(), std::min(wide_name.size(), chosen.size() - 1));
  const std::wstring wide_title = Wide(title);
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner_;
  open.lpstrFilter = wide_filter.c_str();
  open.lpstrFile = chosen.data();
  open.nMaxFile = static_cast<DWORD>(chosen.size());
  open.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  open.lpstrTitle = wide_title.c_str();
  open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&open)) return std::nullopt;
  return Utf8(chosen.data());
}

}  // namespace kivo
