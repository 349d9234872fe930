// The Qt window on the screen: placed inside the available geometry (the work area) of the
// screen it is on, or of the nearest one when it is on none (a position saved on a monitor
// that is gone); and, in a window without a minimum size of its own, controls that follow its
// right and bottom edges when it is smaller than designed. The arithmetic is ui/window_fit.h's.
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <algorithm>
#include <climits>

#include "ui/qt/qt_main_window.h"
#include "ui/window_fit.h"

namespace kivo {
namespace {

QScreen* ScreenNearest(const QRect& r) {
  if (QScreen* on = QGuiApplication::screenAt(r.center())) return on;
  QScreen* nearest = QGuiApplication::primaryScreen();
  long best = LONG_MAX;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->availableGeometry();
    const long dx = std::max({0, g.left() - r.center().x(), r.center().x() - g.right()});
    const long dy = std::max({0, g.top() - r.center().y(), r.center().y() - g.bottom()});
    if (dx * dx + dy * dy < best) {
      best = dx * dx + dy * dy;
      nearest = screen;
    }
  }
  return nearest;
}

ScreenRect Screen(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

}  // namespace

std::vector<Component*> QtMainWindow::TopLevelControls() const {
  std::vector<Component*> controls;
  for (const auto& [c, widget] : widgets_) {
    if (c->Parent() == &form_ && widget != status_label_)
      controls.push_back(const_cast<Component*>(c));
  }
  return controls;
}

void QtMainWindow::SetUpFitting() {
  if (form_.min_width > 0 || form_.min_height > 0) return;
  follows_edges_ = true;
  design_width_ = form_.GetBounds().width;
  design_height_ = form_.GetBounds().height;
  std::vector<Bounds> design;
  for (const Component* c : TopLevelControls()) design.push_back(c->GetBounds());
  const Bounds smallest = SmallestFollowingParent(design, design_width_, design_height_);
  setMinimumSize(smallest.width, smallest.height);
}

// |inner| (the window without its frame) fitted into its screen's work area.
QRect QtMainWindow::Fitted(const QRect& inner) const {
  QScreen* screen = ScreenNearest(inner);
  if (screen == nullptr) return inner;
  // The frame is known once the window is shown; before, it counts as none.
  const QRect frame = isVisible() ? frameGeometry() : geometry();
  const int left = geometry().left() - frame.left(), top = geometry().top() - frame.top();
  const int right = frame.right() - geometry().right();
  const int bottom = frame.bottom() - geometry().bottom();
  const ScreenRect outer{inner.left() - left, inner.top() - top, inner.right() + 1 + right,
                         inner.bottom() + 1 + bottom};
  const ScreenRect fitted =
      FitToWorkArea(outer, Screen(screen->availableGeometry()),
                    minimumWidth() + left + right, minimumHeight() + top + bottom);
  return QRect(fitted.left + left, fitted.top + top, fitted.Width() - left - right,
               fitted.Height() - top - bottom);
}

void QtMainWindow::FollowEdges() {
  const std::vector<Component*> controls = TopLevelControls();
  std::vector<Bounds> design;
  for (const Component* c : controls) design.push_back(c->GetBounds());
  const std::vector<Bounds> placed =
      FollowParent(design, design_width_, design_height_, width(), height());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const Bounds& b = placed[i];
    widgets_.at(controls[i])->setGeometry(b.left, b.top, b.width, b.height);
  }
}

}  // namespace kivo
