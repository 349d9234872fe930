// The Cameras window in the real Qt renderer (offscreen) with three simulated cameras, each
// behind its own interface (tests/e2e/netns_run.sh --cameras 3): the cameras' rows reach the
// list widget, and a click on the Record All button reaches every camera. Refuses to run
// anywhere but in that namespace.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "rig_env.h"
#include "forms/cameras_texts.h"
#include "forms/cameras_window.h"
#include "forms/main_window.h"
#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_shell.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_main_window.h"

namespace kivo {
namespace {

using rig::Count;
using rig::Env;

bool RunUntil(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer waited;
  waited.start();
  while (!done()) {
    if (waited.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
  return true;
}

TEST(CamerasWindowQt, RowsReachTheListAndRecordAllReachesEveryCamera) {
  if (Env("KIVO_E2E_NETNS") != "1" || Env("KIVO_RIG_CAMERAS") != "3")
    GTEST_SKIP() << "runs only inside tests/e2e/netns_run.sh --cameras 3";
  char pattern[] = "/tmp/kivo-cameras-qt-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = std::string(pattern) + "/";
  std::ofstream(dir + "Kivo.ini") << "[BacPac]\r\nIPAddress=" << Env("KIVO_CAMSIM_ADDRESS")
                                  << "\r\nPassword=cameralnk\r\n";
  {
    QtEventLoop loop;
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    TForm1 form(FormEnvironment{loop, SystemClock::Instance(), dialogs, shell, dir, "/usr/bin/vlc"});
    form.FormCreate();
    TCamerasForm cameras(form);
    QtMainWindow window(cameras.Model(), "Cameras", "CamerasMenu");
    window.ShowForm();
    cameras.Open();

    auto* list = window.findChild<QTreeView*>("CameraList");
    ASSERT_NE(list, nullptr);
    const QString models[] = {"Hero 3 Black", "Hero 3+ Black", "Hero 3 White"};
    auto cell = [list](int row, int column) {
      return list->model()->index(row, column).data().toString();
    };
    ASSERT_TRUE(RunUntil([&] {
      if (list->model()->rowCount() != 3) return false;
      for (int row = 0; row < 3; ++row)
        if (cell(row, 1) != models[row]) return false;
      return true;
    })) << cameras["CamerasStatus"].Caption();
    for (int row = 0; row < 3; ++row)
      EXPECT_EQ(cell(row, 0), QString("kcam%1").arg(row + 1));

    auto* record_all = window.findChild<QPushButton*>("RecordAllBtn");
    ASSERT_NE(record_all, nullptr);
    record_all->click();
    const std::string done = "Record All: kcam1, kcam2, kcam3 done";
    ASSERT_TRUE(RunUntil([&] { return cameras["CamerasStatus"].Caption() == done; }))
        << cameras["CamerasStatus"].Caption();
    // What a person reads: the label in the window's status bar.
    QLabel* said = window.statusBar()->findChild<QLabel*>();
    ASSERT_NE(said, nullptr);
    EXPECT_TRUE(RunUntil([&] { return said->text().toStdString() == done; }))
        << said->text().toStdString();
    for (int c = 1; c <= 3; ++c)
      EXPECT_EQ(Count(c, "/bacpac/SH?t=cameralnk&p=%01"), 1u) << "camera " << c;
    window.findChild<QPushButton*>("StopAllBtn")->click();
    EXPECT_TRUE(RunUntil([&] {
      return cameras["CamerasStatus"].Caption() == "Stop All: kcam1, kcam2, kcam3 done";
    })) << cameras["CamerasStatus"].Caption();
    cameras.Close();
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kivo

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
