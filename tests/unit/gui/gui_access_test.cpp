// The real Qt window, offscreen, as assistive technology and the keyboard meet it (through
// QAccessible in this process, no accessibility bus), and how it lays out its texts: names,
// checkable settings, focus, line breaks, minimum size, room for the largest values.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QTreeView>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>
#include <memory>

#include "platform/clock.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"
#include "forms/cameras_texts.h"
#include "forms/cameras_window.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_shell.h"
#include "forms/main_window.h"

namespace kivo {
namespace {

class GuiAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kivo-gui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
    form_ = std::make_unique<TForm1>(FormEnvironment{loop_, clock_, dialogs_, shell_, dir_, "/usr/bin/vlc"});
    form_->FormCreate();
    window_ = std::make_unique<QtMainWindow>(form_->Model(), "Form1", "MainMenu1");
    window_->ShowForm();
    QApplication::setActiveWindow(window_.get());
    QApplication::processEvents();
  }
  void TearDown() override {
    window_.reset();
    form_.reset();
    std::filesystem::remove_all(dir_);
  }
  template <typename W = QWidget>
  W* Widget(const char* name) {
    W* w = window_->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static QString Name(QObject* o) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
    return a ? a->text(QAccessible::Name) : QString("(none)");
  }
  QAction* Action(const char* menu_name, const char* caption) {
    for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>()) {
      for (QAction* a : menu->actions())
        if (a->text() == caption) return a;
    }
    ADD_FAILURE() << menu_name << " " << caption;
    return nullptr;
  }

  std::string dir_;
  QtEventLoop loop_;
  FakeClock clock_{41334.5};
  ScriptedDialogs dialogs_;
  ScriptedShell shell_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<QtMainWindow> window_;
};

struct NameCase {
  const char* component;
  const char* caption;  // set first; nullptr keeps the window's own
  const char* expected;
};

TEST_F(GuiAccess, EveryControlIsNamedByWhatItShows) {
  const NameCase cases[] = {
      {"OnBtn", nullptr, "ON"},
      {"CamPanel", nullptr, "Camera"},
      {"GroupBox3", nullptr, "SD Card"},
      {"GroupBox2", nullptr, "Camera clock"},
      {"Panel1", nullptr, "Video Record Time"},
      {"Photos", "2", "Photos: 2"},
      {"PhotosAvailable", "4659", "Available: 4659"},
      {"VideoAvailable", "2055 min", "Available: 2055 min"},
      {"CamBat", "Battery: 99%", "Battery: 99%"},
      {"ModeL", "", ""},  // empty: not the group box's "Camera"
      {"BacPacBat", "WiFi Battery:\rCharging", "WiFi Battery: Charging"},
  };
  for (const NameCase& c : cases) {
    if (c.caption) (*form_)[c.component].SetCaption(c.caption);
    EXPECT_EQ(Name(Widget(c.component)), c.expected) << c.component;
  }
  EXPECT_EQ(Name(window_->statusBar()), "Status");
  (*form_)["StatusBar"].SetCaption("Connected Camera is on");
  EXPECT_EQ(Name(window_->statusBar()->findChild<QLabel*>()), "Connected Camera is on");
}

TEST_F(GuiAccess, ACarriageReturnInACaptionIsALineBreak) {
  auto* label = Widget<QLabel>("BacPacBat");
  (*form_)["BacPacBat"].SetCaption("WiFi Battery:\rCharging");
  EXPECT_EQ(label->text(), "WiFi Battery:\nCharging");
  EXPECT_GT(label->sizeHint().height(), QFontMetrics(label->font()).height() * 3 / 2);
  EXPECT_LE(label->sizeHint().height(), label->height());
}

TEST_F(GuiAccess, SettingsAreCheckableChoicesAndAClickLeavesTheMarksToTheStatus) {
  QAction* video = Action("Mode1", "&Video");
  QAction* photo = Action("Mode1", "&Photo");
  ASSERT_TRUE(video && photo);
  EXPECT_TRUE(video->isCheckable());
  ASSERT_NE(video->actionGroup(), nullptr);
  EXPECT_TRUE(video->actionGroup()->isExclusive());  // drawn with radio marks
  EXPECT_EQ(video->actionGroup(), photo->actionGroup());
  EXPECT_FALSE(Action("Options1", "&IP Address")->isCheckable());
  // What a screen reader is told of the item: a checkable one.
  QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(video->parent());
  ASSERT_NE(menu, nullptr);
  bool seen = false;
  for (int i = 0; i < menu->childCount(); ++i) {
    QAccessibleInterface* item = menu->child(i);
    if (item == nullptr || item->text(QAccessible::Name) != "Video") continue;
    seen = true;
    EXPECT_TRUE(item->state().checkable);
  }
  EXPECT_TRUE(seen);
  (*form_)["Photo1"].SetChecked(true);
  (*form_)["Video1"].SetEnabled(true);
  video->trigger();
  EXPECT_TRUE(photo->isChecked());
  EXPECT_FALSE(video->isChecked());
}

TEST_F(GuiAccess, TheFlatRecordButtonShowsFocusAndFocusStaysOnTheWindowWhenItGoesOff) {
  auto* record = Widget<QPushButton>("RecordBtn");
  (*form_)["RecordBtn"].SetEnabled(true);
  EXPECT_TRUE(record->isFlat());
  record->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(record->hasFocus());
  EXPECT_FALSE(record->isFlat());  // a raised frame shows where the keyboard is
  (*form_)["RecordBtn"].SetEnabled(false);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), window_->Client());
  EXPECT_TRUE(record->isFlat());
}

TEST_F(GuiAccess, TheWindowNeverShrinksBelowItsFirstStartSize) {
  EXPECT_EQ(window_->minimumSize(), QSize(434, 245));
}

TEST_F(GuiAccess, ValueLabelsHaveRoomForTheLargestValuesTheRecordHolds) {
  const std::pair<const char*, const char*> largest[] = {
      {"Photos", "65535"}, {"PhotosAvailable", "65535"}, {"Videos", "255"},
      {"VideoAvailable", "65535 min"}, {"Label2", "Available:"}, {"Label1", "Photos: "}};
  for (const auto& [name, text] : largest) {
    (*form_)[name].SetCaption(text);
    auto* label = Widget<QLabel>(name);
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << name;
    QWidget* box = label->parentWidget();
    EXPECT_LE(label->geometry().right(), box->contentsRect().right()) << name;
  }
}

// The Cameras window from the keyboard: Tab goes from the list through every button and back,
// each control has a name, and Enter on a row chooses it (here: no camera behind the row).
TEST_F(GuiAccess, TheCamerasWindowIsReachedByTabAndEnterChoosesARow) {
  TCamerasForm cameras(*form_);
  QtMainWindow window(cameras.Model(), "Cameras", "CamerasMenu");
  window.ShowForm();
  QApplication::setActiveWindow(&window);
  auto* list = window.findChild<QTreeView*>("CameraList");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Name(list), cameras_text::kListName);
  list->setFocus(Qt::TabFocusReason);
  std::vector<std::string> order;
  for (int i = 0; i < 6; ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    order.push_back(focused->objectName().toStdString());
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"CameraList", "RecordAllBtn", "StopAllBtn",
                                             "SyncClocksBtn", "DownloadAllNewBtn", "ControlBtn"}));
  EXPECT_EQ(QApplication::focusWidget(), list);
  for (const char* button : {"RecordAllBtn", "ControlBtn"})
    EXPECT_EQ(Name(window.findChild<QPushButton*>(button)),
              QString::fromStdString(cameras[button].Caption()));

  cameras["CameraList"].SetLines({"kcam1\tHero 3 Black"});
  cameras["CameraList"].SetSelection({0});
  QApplication::processEvents();
  list->setFocus();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(list, &enter);
  EXPECT_EQ(cameras["CamerasStatus"].Caption(), cameras_text::kSelectFirst);
}

}  // namespace
}  // namespace kivo

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
