// Every window of the program rendered by Qt (offscreen): each component got a widget or menu
// action showing the model's caption, state, rows, value and picture, when the window is made
// and after two rounds of changes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <memory>

#include "ui/every_window.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"

namespace kivo {
namespace {

using testing::EveryWindow;
using testing::Lines;

// Lets queued repaints and the status bar's deferred text reach the widgets.
void Settle() {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 100) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(RendererLevel, QtShowsEveryComponentOfEveryWindow) {
  int argc = 1;
  char arg0[] = "kivo_gui_renderer_test";
  char* argv[] = {arg0, nullptr};
  QApplication app(argc, argv);
  QtEventLoop loop;
  EveryWindow windows(loop);
  std::vector<std::unique_ptr<QtMainWindow>> renderers;
  for (const EveryWindow::Window& w : windows.Windows()) {
    renderers.push_back(std::make_unique<QtMainWindow>(*w.model, w.form, w.main_menu));
    renderers.back()->ShowForm();
  }
  for (const char* when : {"as made", "after changes", "after more changes"}) {
    Settle();
    for (std::size_t i = 0; i < renderers.size(); ++i) {
      const EveryWindow::Window w = windows.Windows()[i];
      EXPECT_EQ(Lines(CompareWithModel(*w.model, renderers[i]->Inspect())), "")
          << w.form << " " << when;
    }
    windows.Change();
  }
}

}  // namespace
}  // namespace kivo
