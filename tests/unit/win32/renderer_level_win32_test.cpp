// Every window of the program rendered by Win32 (under Wine in the Windows tree): each
// component got a native control or menu entry showing the model's caption, state, rows,
// value and picture, when the window is made and after two rounds of changes (rows among them
// changed in place). And a user's selection in the list view reaches the model, row by row, by
// range and for every row at once; typing a name finds its row; new texts keep the user's place.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "platform/poll_event_loop.h"
#include "ui/every_window.h"
#include "ui/win32/win32_main_window.h"

namespace kivo {
namespace {

using testing::EveryWindow;
using testing::Lines;

// Delivers what the windows posted to themselves (a settled selection among them).
// Dispatches messages for |ms|, or until |done| holds (a loaded machine may need longer than a
// quiet one for a timer to come round).
bool Pump(int ms, const std::function<bool()>& done = nullptr) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done && done()) return true;
    Sleep(5);
  }
  return done && done();
}

// A mouse click on |row| of |list| with |keys| (MK_SHIFT, MK_CONTROL) held.
void ClickRow(HWND list, int row, WPARAM keys) {
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
  PostMessageW(list, WM_LBUTTONUP, keys, at);
}

// Rows named GOPR1000.JPG, GOPR1001.JPG ...
std::vector<std::string> NamedRows(int count, const std::string& state) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i)
    rows.push_back("GOPR" + std::to_string(1000 + i) + ".JPG\t2015-03-01\t2.1 MB\tPhoto\t" + state);
  return rows;
}

class Win32Renderer : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Win32Renderer, ShowsEveryComponentOfEveryWindow) {
  PollEventLoop loop;
  EveryWindow windows(loop);
  std::vector<std::unique_ptr<Win32MainWindow>> renderers;
  for (const EveryWindow::Window& w : windows.Windows()) {
    renderers.push_back(std::make_unique<Win32MainWindow>(*w.model, w.form, w.main_menu));
    renderers.back()->ShowForm();
  }
  for (const char* when : {"as made", "after changes", "after more changes"}) {
    Pump(50);
    for (std::size_t i = 0; i < renderers.size(); ++i) {
      const EveryWindow::Window w = windows.Windows()[i];
      EXPECT_EQ(Lines(CompareWithModel(*w.model, renderers[i]->Inspect())), "")
          << w.form << " " << when;
    }
    windows.Change();
  }
}

TEST_F(Win32Renderer, ListViewSelectionReachesTheModelOnce) {
  PollEventLoop loop;
  EveryWindow windows(loop);
  windows.Change();
  const EveryWindow::Window browse = windows.Windows()[1];
  Component& list = browse.model->Get("FileList");
  list.SetEnabled(true);
  list.SetVisible(true);
  Win32MainWindow window(*browse.model, browse.form, browse.main_menu);
  window.ShowForm();
  std::vector<std::vector<int>> clicks;
  list.OnClick = [&] { clicks.push_back(list.Selection()); };
  ASSERT_TRUE(window.SelectRows("FileList", {1, 3}));
  Pump(100);
  // Clearing the old selection and setting the new one is one change for the model.
  EXPECT_EQ(clicks, (std::vector<std::vector<int>>{{1, 3}}));
  EXPECT_EQ(list.Selection(), (std::vector<int>{1, 3}));
  // The model's own selection shows without a click.
  list.SetSelection({2});
  Pump(100);
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_EQ(Lines(CompareWithModel(*browse.model, window.Inspect())), "");
  list.SetEnabled(false);
  EXPECT_FALSE(window.SelectRows("FileList", {0}));
}

// Selections a list of many rows reports by range or for every row at once reach the model;
// typing a name moves to its row; new texts keep the user's place, a new count starts at the top.
TEST_F(Win32Renderer, ListViewOfManyRows) {
  PollEventLoop loop;
  EveryWindow windows(loop);
  const EveryWindow::Window browse = windows.Windows()[1];
  Component& list = browse.model->Get("FileList");
  list.SetLines(NamedRows(200, ""));
  list.SetEnabled(true);
  list.SetVisible(true);
  Win32MainWindow window(*browse.model, browse.form, browse.main_menu);
  window.ShowForm();
  HWND view = FindWindowExW(window.Handle(), nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(view, nullptr);
  std::vector<std::vector<int>> clicks;
  list.OnClick = [&] { clicks.push_back(list.Selection()); };

  ClickRow(view, 2, 0);
  Pump(3000, [&] { return clicks.size() == 1; });
  ClickRow(view, 6, MK_SHIFT);
  Pump(3000, [&] { return clicks.size() == 2; });
  // Shift+click within the range: the rows beyond it are deselected, the clicked one stays.
  ClickRow(view, 4, MK_SHIFT);
  Pump(3000, [&] { return clicks.size() == 3; });
  EXPECT_EQ(clicks, (std::vector<std::vector<int>>{{2}, {2, 3, 4, 5, 6}, {2, 3, 4}}));

  LVITEMW all{};
  all.stateMask = LVIS_SELECTED;
  all.state = LVIS_SELECTED;
  SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
  Pump(3000, [&] { return list.Selection().size() == 200u; });
  EXPECT_EQ(list.Selection().size(), 200u);
  all.state = 0;
  SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
  Pump(3000, [&] { return list.Selection().empty(); });
  EXPECT_EQ(list.Selection(), std::vector<int>{});
  EXPECT_EQ(clicks.size(), 5u);

  for (char key : std::string("gopr1157")) PostMessageW(view, WM_CHAR, key, 1);  // pressed once
  Pump(3000, [&] { return list.Selection() == std::vector<int>{157}; });
  EXPECT_EQ(list.Selection(), std::vector<int>{157});

  SendMessageW(view, LVM_ENSUREVISIBLE, 20, FALSE);
  const LRESULT top = SendMessageW(view, LVM_GETTOPINDEX, 0, 0);
  ASSERT_GT(top, 0);
  list.SetLines(NamedRows(200, "Downloaded"));
  Pump(50);
  EXPECT_EQ(SendMessageW(view, LVM_GETTOPINDEX, 0, 0), top);
  EXPECT_EQ(Lines(CompareWithModel(*browse.model, window.Inspect())), "");
  list.SetLines(NamedRows(180, ""));
  Pump(50);
  EXPECT_EQ(SendMessageW(view, LVM_GETTOPINDEX, 0, 0), 0);
  EXPECT_EQ(Lines(CompareWithModel(*browse.model, window.Inspect())), "");
}

}  // namespace
}  // namespace kivo
