// Renders a ComponentModel as a Qt main window: menu bar, absolutely placed controls, status
// bar. Mirrors every property change of the model and forwards clicks, menu openings, moves,
// resizes and the close request back to it. GUI thread only.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <functional>
#include <map>
#include <string>

#include "ui/component.h"
#include "ui/form_window.h"
#include "ui/native_view.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QWidget;

namespace kivo {

class QtMainWindow : public QMainWindow, public FormWindow {
 public:
  // |form| names the kForm component whose caption and bounds are the window's; |main_menu|
  // the kMainMenu component whose children are the menu bar's menus.
  QtMainWindow(ComponentModel& model, const std::string& form, const std::string& main_menu);
  ~QtMainWindow() override;

  // on_close runs when the user (or the window manager, or a signal) closes the window.
  // Places the window at the form's bounds, shows it, and lets Qt settle the geometry.
  void ShowForm() override;
  void Close() override { close(); }
  void Raise() override { raise(); }
  bool Shown() const override { return isVisible(); }
  // The area holding the controls; it keeps the keyboard focus when a focused control goes off.
  QWidget* Client() const;
  // Esc anywhere in the window (its lists included) runs |handler|.
  void OnEscape(std::function<void()> handler) override;
  // What each component shows, read back from its widget or menu action (qt_inspect.cpp), once
  // the changes still waiting to be painted are shown.
  std::vector<NativeControl> Inspect();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus(Component& main_menu);
  // The screen (qt_window_fit.cpp): the window kept inside the work area of its screen, and the
  // controls of a window without a minimum size of its own following its edges.
  void SetUpFitting();
  QRect Fitted(const QRect& inner) const;
  void FollowEdges();
  std::vector<Component*> TopLevelControls() const;
  void BuildMenu(QMenu* menu, Component& parent);
  void BuildControls();
  QWidget* BuildControl(Component& c, QWidget* parent);
  void Apply(Component& c, Property what);
  void ApplyAll(Component& c);
  // The file list (qt_file_list.h), progress bar and picture kinds.
  void ApplyNewKinds(Component& c, QWidget* w, Property what);
  void StoreGeometry();
  // After a click: the marks of the item (and its exclusive group) show the model's again.
  void SyncChecks(const Component& clicked);
  // The caption as it reads aloud; value labels with their caption label.
  QString AccessibleName(const Component& c) const;
  // Progress bars, the status bar and frequent labels may change for every chunk of a download,
  // thousands of times a second; painting each change would cost more than the download. The
  // first change shows at once, later ones at most every 33 ms, always ending on the latest.
  // Deferred() says whether this change waits; ShowLatest() shows what waited.
  bool Deferred(Component& c, Property what);
  void ShowLatest(Component& c);
  void ShowAllLatest();

  ComponentModel& model_;
  Component& form_;
  int observer_ = 0;
  bool applying_geometry_ = false;
  bool follows_edges_ = false;            // the controls follow the window's edges
  int design_width_ = 0, design_height_ = 0;  // the size they were laid out for
  std::map<const Component*, QWidget*> widgets_;
  std::map<const Component*, QAction*> actions_;
  std::map<const Component*, QMenu*> menus_;
  QLabel* status_label_ = nullptr;
  QWidget* client_ = nullptr;
  std::map<std::string, QActionGroup*> check_groups_;
  struct Pace {
    QElapsedTimer shown;  // since the component last changed on screen
    bool pending = false;
  };
  std::map<Component*, Pace> pace_;
  bool showing_latest_ = false;
};

}  // namespace kivo
