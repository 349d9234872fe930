// The real Qt window, offscreen: every menu and item is where the menu table puts it, with its
// caption, shortcut, visibility and enabled state; clicking an item leaves its check mark to
// the handler; closing the window writes the settings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"
#include "ui/menu_table.h"

namespace kivo {
namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

class GuiSmoke : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kivo-gui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

// Finds the action for |name| by walking the rendered menus along the table's parent chain.
QAction* FindAction(QMenuBar* bar, const MenuSpec& spec) {
  std::vector<const MenuSpec*> chain{&spec};
  while (std::string(chain.back()->parent) != kMainMenuName)
    chain.push_back(FindMenuSpec(chain.back()->parent));
  QList<QAction*> actions = bar->actions();
  QAction* found = nullptr;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    found = nullptr;
    for (QAction* a : actions) {
      if (a->isSeparator() != (std::string((*it)->caption) == kSeparatorCaption)) continue;
      if (a->isSeparator() || a->text() == Q((*it)->caption)) {
        if (a->isSeparator() && a->objectName() != Q((*it)->name)) continue;
        found = a;
        break;
      }
    }
    if (!found) return nullptr;
    if (found->menu()) actions = found->menu()->actions();
  }
  return found;
}

TEST_F(GuiSmoke, MenuTreeMatchesTheTableAndClosingSavesTheSettings) {
  int argc = 1;
  char arg0[] = "kivo_gui_smoke_test";
  char* argv[] = {arg0, nullptr};
  QApplication app(argc, argv);
  QtEventLoop loop;
  FakeClock clock(41334.5);
  ScriptedDialogs dialogs;
  ScriptedShell shell;
  TForm1 form(FormEnvironment{loop, clock, dialogs, shell, dir_, "/usr/bin/vlc"});
  std::vector<std::string> errors;
  form.Model().OnException = [&](const std::string& e) { errors.push_back(e); };
  form.FormCreate();
  QtMainWindow window(form.Model(), "Form1", "MainMenu1");
  bool closed = false;
  window.on_close = [&] {
    closed = true;
    form.FormClose();
  };
  form.OnCloseRequest = [&] { window.close(); };
  form.FormShow(1280, 1024);
  window.ShowForm();
  QApplication::processEvents();

  EXPECT_EQ(window.windowTitle(), "Kivo");
  int checked_rows = 0;
  for (const MenuSpec& spec : MainMenuTable()) {
    if (std::string(spec.caption) == kSeparatorCaption) continue;
    QAction* action = FindAction(window.menuBar(), spec);
    ASSERT_NE(action, nullptr) << spec.name;
    EXPECT_EQ(action->shortcut(), QKeySequence(Q(spec.short_cut))) << spec.name;
    EXPECT_EQ(action->isVisible(), spec.visible) << spec.name;
    Component& c = form[spec.name];
    // Qt reports a hidden action as disabled, so only visible ones can be compared.
    if (spec.visible) {
      EXPECT_EQ(action->isEnabled(), c.Enabled()) << spec.name;
    }
    if (*spec.hint) {
      EXPECT_EQ(action->statusTip(), Q(spec.hint)) << spec.name;
    }
    ++checked_rows;
  }
  EXPECT_GT(checked_rows, 60);

  // A click reaches the handler but the check mark stays the model's.
  QAction* auto_van = FindAction(window.menuBar(), *FindMenuSpec("AutoVAN"));
  ASSERT_NE(auto_van, nullptr);
  int clicks = 0;
  form["AutoVAN"].OnClick = [&] { ++clicks; };
  auto_van->trigger();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(auto_van->isChecked());
  form["AutoVAN"].SetChecked(true);
  EXPECT_TRUE(auto_van->isChecked());
  auto_van->trigger();  // Qt would uncheck it; the model keeps it checked
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(auto_van->isChecked());
  EXPECT_FALSE(FindAction(window.menuBar(), *FindMenuSpec("IPAddress1"))->isCheckable());

  // Model changes reach the widgets.
  auto* on_btn = window.findChild<QPushButton*>("OnBtn");
  ASSERT_NE(on_btn, nullptr);
  EXPECT_EQ(on_btn->text(), "ON");
  EXPECT_FALSE(on_btn->isEnabled());
  form["OnBtn"].SetCaption("OFF");
  EXPECT_EQ(on_btn->text(), "OFF");
  EXPECT_FALSE(window.findChild<QWidget*>("ListBox1")->isVisible());
  EXPECT_TRUE(window.findChild<QWidget*>("CamPanel")->isVisible());
  form["StatusBar"].SetCaption("Receiving");
  form["StatusBar"].SetCaption("Connected Camera is on");
  QLabel* status = window.statusBar()->findChild<QLabel*>();
  ASSERT_NE(status, nullptr);
  // Status lines that follow each other within a frame reach the screen together, the latest
  // winning.
  QElapsedTimer waited;
  waited.start();
  while (status->text() != "Connected Camera is on" && waited.elapsed() < 2000)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(status->text(), "Connected Camera is on");

  form.Model().Click("Exit1");
  EXPECT_TRUE(closed);
  EXPECT_TRUE(errors.empty());
  std::ifstream in(dir_ + "Kivo.ini");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("AutoVAN=1"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("Width=434"), std::string::npos) << text.str();
}

}  // namespace
}  // namespace kivo

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
