// Every window of the program rendered by Win32 (under Wine in the Windows tree): each
// component got a native control or menu entry showing the model's caption, state, rows,
// value and picture, when the window is made and after two rounds of changes (rows among them
// changed in place). And a user's selection in the list view reaches the model.
#include <gtest/gtest.h>
#include <objbase.h>

#include <memory>

#include "platform/poll_event_loop.h"
#include "ui/every_window.h"
#include "ui/win32/win32_main_window.h"

namespace kivo {
namespace {

using testing::EveryWindow;
using testing::Lines;

// Delivers what the windows posted to themselves (a settled selection among them).
void Pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
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

}  // namespace
}  // namespace kivo
