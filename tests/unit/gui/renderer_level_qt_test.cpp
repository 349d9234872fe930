// Every window of the program rendered by Qt (offscreen): each component got a widget or menu
// action showing the model's caption, state, rows, value and picture, when the window is made
// and after two rounds of changes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
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

// A download moves its bars and rate line for every chunk: the window paints the first change at
// once and then at most one every few frames, ending on the latest; a reading of the window
// shows the latest at once.
TEST(RendererLevel, QtPaintsFrequentChangesAFewTimesASecondEndingOnTheLatest) {
  int argc = 1;
  char arg0[] = "kivo_gui_renderer_test";
  char* argv[] = {arg0, nullptr};
  QApplication app(argc, argv);
  ComponentModel model;
  Component& form = model.Add("F", ComponentKind::kForm);
  form.SetBounds({0, 0, 300, 200});
  model.Add("M", ComponentKind::kMainMenu, &form);
  Component& bar = model.Add("Bar", ComponentKind::kProgressBar, &form);
  Component& rate = model.Add("Rate", ComponentKind::kLabel, &form);
  rate.frequent = true;
  Component& plain = model.Add("Plain", ComponentKind::kLabel, &form);
  QtMainWindow window(model, "F", "M");
  window.ShowForm();
  auto* shown_bar = window.findChild<QProgressBar*>("Bar");
  auto* shown_rate = window.findChild<QLabel*>("Rate");
  auto* shown_plain = window.findChild<QLabel*>("Plain");
  ASSERT_TRUE(shown_bar && shown_rate && shown_plain);
  int painted = 0;
  QObject::connect(shown_bar, &QProgressBar::valueChanged, [&] { ++painted; });

  for (int i = 1; i <= 500; ++i) {
    bar.SetValue(i);
    rate.SetCaption(std::to_string(i) + " KB/s");
    plain.SetCaption("line " + std::to_string(i));
  }
  EXPECT_LT(painted, 20);
  EXPECT_EQ(shown_plain->text(), "line 500");  // an ordinary label shows every change
  Settle();
  EXPECT_EQ(shown_bar->value(), 500);
  EXPECT_EQ(shown_rate->text(), "500 KB/s");

  bar.SetValue(1000);
  rate.SetCaption("done");
  EXPECT_EQ(Lines(CompareWithModel(model, window.Inspect())), "");
}

}  // namespace
}  // namespace kivo
