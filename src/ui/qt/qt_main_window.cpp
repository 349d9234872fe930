#include "ui/qt/qt_main_window.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QHeaderView>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QStatusBar>
#include <QToolButton>

#include "ui/qt/qt_accessible.h"
#include "ui/qt/qt_file_list.h"

namespace kivo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A group box in a colour of its own: a rounded grey border around the colour, the title centred
// inside its top edge. Painted here rather than by a style sheet, whose engine would cost most of
// a megabyte of memory for three boxes.
class ColourGroupBox : public QGroupBox {
 public:
  ColourGroupBox(const QColor& fill, QWidget* parent) : QGroupBox(parent), fill_(fill) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(fill_);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    const QString text = title();
    if (text.isEmpty()) return;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(3, 2, -3, 0), Qt::AlignHCenter | Qt::AlignTop, text);
  }

 private:
  QColor fill_;
};


// The model's captions keep their blanks ("    Camera    ") and their "&" accelerator markers,
// both of which Qt understands as they are.
QFont FontFor(const Component& c, const QFont& base) {
  QFont font = base;
  if (!c.font.family.empty()) {
    font.setFamily(Q(c.font.family));
    // Where the named fixed-pitch family is missing, the system's own fixed-pitch one stands in.
    if (c.font.family.find("Courier") != std::string::npos) {
      font.setStyleHint(QFont::TypeWriter);
      font.setFixedPitch(true);
    }
  }
  if (c.font.height_px > 0) font.setPixelSize(c.font.height_px);
  font.setBold(c.font.bold);
  return font;
}

}  // namespace

QtMainWindow::QtMainWindow(ComponentModel& model, const std::string& form,
                           const std::string& main_menu)
    : model_(model), form_(model.Get(form)) {
  InstallAccessibility();
  QFont base = font();
  base.setPixelSize(11);
  setFont(base);
  BuildMenus(model.Get(main_menu));
  BuildControls();
  observer_ = model_.Subscribe([this](Component& c, Property what) { Apply(c, what); });
  setWindowTitle(Q(form_.Caption()));
  setMinimumSize(form_.min_width, form_.min_height);
  SetUpFitting();
}

QWidget* QtMainWindow::Client() const { return client_; }

QtMainWindow::~QtMainWindow() { model_.Unsubscribe(observer_); }

void QtMainWindow::BuildMenus(Component& main_menu) {
  for (Component* top : main_menu.Children()) {
    QMenu* menu = menuBar()->addMenu(Q(top->Caption()));
    menus_[top] = menu;
    actions_[top] = menu->menuAction();
    BuildMenu(menu, *top);
    ApplyAll(*top);
  }
}

void QtMainWindow::BuildMenu(QMenu* menu, Component& parent) {
  // A menu's opening is an event of its own (the Options menu refreshes a check mark there).
  connect(menu, &QMenu::aboutToShow, this, [this, &parent] {
    if (parent.OnClick) model_.Dispatch(parent.OnClick);
  });
  for (Component* item : parent.Children()) {
    QAction* action = nullptr;
    if (item->Kind() == ComponentKind::kSeparator) {
      action = menu->addSeparator();
    } else if (item->Kind() == ComponentKind::kMenu) {
      QMenu* sub = menu->addMenu(Q(item->Caption()));
      menus_[item] = sub;
      action = sub->menuAction();
      BuildMenu(sub, *item);
    } else {
      action = menu->addAction(Q(item->Caption()));
      if (!item->short_cut.empty()) action->setShortcut(QKeySequence(Q(item->short_cut)));
      Component* c = item;
      // A setting is checkable whether or not it is on, so assistive technology can tell it
      // from a command; exclusive choices share a group and are drawn with radio marks.
      if (item->checkable || !item->check_group.empty()) action->setCheckable(true);
      if (!item->check_group.empty()) {
        QActionGroup*& group = check_groups_[item->check_group];
        if (group == nullptr) {
          group = new QActionGroup(this);
          group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        }
        group->addAction(action);
      }
      connect(action, &QAction::triggered, this, [this, c, action] {
        // Qt flips a checked action (and its group) by itself; the model decides, so undo that.
        action->setChecked(c->Checked());
        model_.Click(c->Name());
        SyncChecks(*c);
      });
    }
    actions_[item] = action;
    ApplyAll(*item);
  }
}

void QtMainWindow::SyncChecks(const Component& clicked) {
  for (const auto& [item, action] : actions_) {
    if (item == &clicked || (!clicked.check_group.empty() && item->check_group == clicked.check_group))
      if (action->isCheckable()) action->setChecked(item->Checked());
  }
}

void QtMainWindow::BuildControls() {
  client_ = new QWidget(this);
  setCentralWidget(client_);
  status_label_ = new QLabel(this);
  statusBar()->addWidget(status_label_, 1);
  // Parents come before their children in the model, so one pass in order is enough.
  for (const auto& owned : model_.All()) {
    Component& c = *owned;
    switch (c.Kind()) {
      case ComponentKind::kForm:
      case ComponentKind::kMainMenu:
      case ComponentKind::kMenu:
      case ComponentKind::kMenuItem:
      case ComponentKind::kSeparator:
        continue;
      case ComponentKind::kStatusBar:
        widgets_[&c] = status_label_;
        statusBar()->setAccessibleName(QString::fromStdString(c.accessible_name));
        ApplyAll(c);
        continue;
      case ComponentKind::kBitBtn:
      case ComponentKind::kSpeedButton:
      case ComponentKind::kButton:
      case ComponentKind::kLabel:
      case ComponentKind::kGroupBox:
      case ComponentKind::kPanel:
      case ComponentKind::kListBox:
      case ComponentKind::kFileList:
      case ComponentKind::kProgressBar:
      case ComponentKind::kPicture:
        break;
    }
    QWidget* parent = client_;
    if (c.Parent()) {
      auto it = widgets_.find(c.Parent());
      if (it != widgets_.end()) parent = it->second;
    }
    widgets_[&c] = BuildControl(c, parent);
    ApplyAll(c);
  }
}

QWidget* QtMainWindow::BuildControl(Component& c, QWidget* parent) {
  QWidget* w = nullptr;
  Component* comp = &c;
  auto click = [this, comp] { model_.Click(comp->Name()); };
  switch (c.Kind()) {
    case ComponentKind::kBitBtn:
    case ComponentKind::kButton: {
      auto* b = new QPushButton(parent);
      connect(b, &QPushButton::clicked, this, click);
      w = b;
      break;
    }
    case ComponentKind::kSpeedButton: {
      auto* b = new QPushButton(parent);
      b->setFlat(true);
      ShowFocusOnFlatButton(b);
      connect(b, &QPushButton::clicked, this, click);
      w = b;
      break;
    }
    case ComponentKind::kLabel: {
      auto* l = new QLabel(parent);
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      // A label paints its own background, in the colour of what it sits on, so a new text (the
      // clock's, every second) repaints the label alone and not the group box behind it. One
      // that fills a sunken panel stays transparent: it would cover the panel's frame.
      const bool in_panel = c.Parent() != nullptr && c.Parent()->Kind() == ComponentKind::kPanel;
      l->setAutoFillBackground(!in_panel);
      for (const Component* under = c.Parent(); under != nullptr && !in_panel;
           under = under->Parent()) {
        if (!under->color) continue;
        QPalette p = l->palette();
        p.setColor(QPalette::Window, QColor(under->color->r, under->color->g, under->color->b));
        l->setPalette(p);
        break;
      }
      if (c.font.height_px >= 20) l->setAlignment(Qt::AlignCenter);
      w = l;
      break;
    }
    case ComponentKind::kGroupBox: {
      if (c.color) {
        w = new ColourGroupBox(QColor(c.color->r, c.color->g, c.color->b), parent);
      } else {
        w = new QGroupBox(parent);
      }
      break;
    }
    case ComponentKind::kPanel: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::Panel);
      f->setFrameShadow(QFrame::Sunken);
      w = f;
      break;
    }
    case ComponentKind::kListBox: {
      w = new QListWidget(parent);
      break;
    }
    case ComponentKind::kFileList:
      w = new QtFileList(model_, c, parent);
      break;
    case ComponentKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 1000);
      bar->setTextVisible(true);
      w = bar;
      break;
    }
    case ComponentKind::kPicture: {
      auto* l = new QLabel(parent);
      l->setAlignment(Qt::AlignCenter);
      l->setFrameShape(QFrame::StyledPanel);
      w = l;
      break;
    }
    case ComponentKind::kForm:  // never here: BuildControls makes none of these
    case ComponentKind::kMainMenu:
    case ComponentKind::kMenu:
    case ComponentKind::kMenuItem:
    case ComponentKind::kSeparator:
    case ComponentKind::kStatusBar:
      w = new QWidget(parent);
      break;
  }
  w->setObjectName(Q(c.Name()));
  w->setFont(FontFor(c, font()));
  if (c.color) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QColor(c.color->r, c.color->g, c.color->b));
    w->setPalette(p);
    // A coloured group box paints its own rounded background.
    w->setAutoFillBackground(c.Kind() != ComponentKind::kGroupBox);
  }
  return w;
}

void QtMainWindow::ApplyAll(Component& c) {
  for (Property p : {Property::kCaption, Property::kChecked, Property::kEnabled,
                     Property::kVisible, Property::kHint, Property::kFontColor, Property::kLines,
                     Property::kBounds, Property::kValue, Property::kData, Property::kSelection})
    Apply(c, p);
}

void QtMainWindow::ApplyNewKinds(Component& c, QWidget* w, Property what) {
  if (auto* list = qobject_cast<QtFileList*>(w)) {
    list->Apply(what);
  } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
    if (what == Property::kValue) bar->setValue(c.Value());
    if (what == Property::kCaption) bar->setFormat(Q(c.Caption()));
  } else if (auto* picture = qobject_cast<QLabel*>(w)) {
    if (what != Property::kData && what != Property::kCaption && what != Property::kBounds) return;
    QPixmap pixmap;
    const std::string& data = c.Data();
    if (!data.empty() &&
        pixmap.loadFromData(reinterpret_cast<const uchar*>(data.data()),
                            static_cast<uint>(data.size()))) {
      picture->setPixmap(pixmap.scaled(picture->size() - QSize(4, 4), Qt::KeepAspectRatio,
                                       Qt::SmoothTransformation));
    } else {
      picture->setText(Q(c.Caption()));
    }
  }
}

void QtMainWindow::Apply(Component& c, Property what) {
  if (&c == &form_) {
    if (what == Property::kCaption) setWindowTitle(Q(c.Caption()));
    if (what == Property::kBounds && !applying_geometry_) {
      const Bounds& b = c.GetBounds();
      applying_geometry_ = true;
      setGeometry(Fitted(QRect(b.left, b.top, b.width, b.height)));
      applying_geometry_ = false;
    }
    return;
  }
  if (auto it = actions_.find(&c); it != actions_.end()) {
    QAction* a = it->second;
    switch (what) {
      case Property::kCaption:
        if (!a->isSeparator()) a->setText(Q(c.Caption()));
        break;
      case Property::kChecked:
        // Only a checked item shows a check box, as on the platform the menus come from.
        if (c.Kind() == ComponentKind::kMenuItem) {
          if (!c.checkable && c.check_group.empty()) a->setCheckable(c.Checked());
          a->setChecked(c.Checked());
        }
        break;
      case Property::kEnabled:
        a->setEnabled(c.Enabled());
        break;
      case Property::kVisible:
        a->setVisible(c.Visible());
        break;
      case Property::kHint:
        a->setStatusTip(Q(c.Hint()));
        a->setToolTip(Q(c.Hint()));
        break;
      default:
        break;
    }
    return;
  }
  auto it = widgets_.find(&c);
  if (it == widgets_.end()) return;
  QWidget* w = it->second;
  // The status bar's text waits, but what it reads aloud changes at once (below).
  if (w != status_label_ && Deferred(c, what)) return;
  if (c.Kind() == ComponentKind::kFileList || c.Kind() == ComponentKind::kProgressBar ||
      c.Kind() == ComponentKind::kPicture) {
    ApplyNewKinds(c, w, what);
    if (what == Property::kCaption) SetAccessibleName(w, AccessibleName(c));
    if (what == Property::kCaption || what == Property::kLines) return;
  }
  switch (what) {
    case Property::kCaption:
      if (w == status_label_) {
        if (!Deferred(c, what)) status_label_->setText(Q(c.Caption()));
      } else if (auto* b = qobject_cast<QPushButton*>(w)) b->setText(DisplayText(c.Caption()));
      else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(DisplayText(c.Caption()));
      else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(Q(c.Caption()));
      SetAccessibleName(w, AccessibleName(c));
      break;
    case Property::kEnabled:
      if (w == status_label_) break;
      // Qt hands the focus of a control being disabled to the next one, where a stray Space
      // would press it; the window itself keeps the focus instead.
      if (!c.Enabled() && w->hasFocus()) client_->setFocus(Qt::OtherFocusReason);
      w->setEnabled(c.Enabled());
      break;
    case Property::kVisible:
      if (w != status_label_) w->setVisible(c.Visible());
      break;
    case Property::kHint:
      w->setToolTip(Q(c.Hint()));
      break;
    case Property::kFontColor: {
      QPalette p = w->palette();
      QColor color(c.FontColor().r, c.FontColor().g, c.FontColor().b);
      // Only the enabled look takes the colour: a disabled control stays greyed out.
      for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, color);
        p.setColor(group, QPalette::ButtonText, color);
      }
      w->setPalette(p);
      break;
    }
    case Property::kLines:
      if (auto* list = qobject_cast<QListWidget*>(w)) {
        // A log grows by one line at a time: add the new lines instead of rebuilding the list.
        const auto& lines = c.Lines();
        int have = list->count();
        bool grows = have > 0 && static_cast<std::size_t>(have) <= lines.size() &&
                     list->item(0)->text() == Q(lines[0]) &&
                     list->item(have - 1)->text() == Q(lines[have - 1]);
        if (!grows) {
          list->clear();
          have = 0;
        }
        for (std::size_t i = have; i < lines.size(); ++i) list->addItem(Q(lines[i]));
        if (grows) list->scrollToBottom();
      }
      break;
    case Property::kBounds:
      if (w != status_label_) {
        const Bounds& b = c.GetBounds();
        w->setGeometry(b.left, b.top, b.width, b.height);
        if (follows_edges_ && c.Parent() == &form_) FollowEdges();
      }
      break;
    default:
      break;
  }
}

QString QtMainWindow::AccessibleName(const Component& c) const {
  QString text = AccessibleText(c.Caption());
  if (!c.caption_label.empty())
    return AccessibleText(model_.Get(c.caption_label).Caption()) + " " + text;
  if (text.isEmpty() && !c.accessible_name.empty()) return QString::fromStdString(c.accessible_name);
  return text;
}

bool QtMainWindow::Deferred(Component& c, Property what) {
  constexpr qint64 kRepaintMs = 33;
  const bool paced = (what == Property::kCaption || what == Property::kValue) &&
                     (c.Kind() == ComponentKind::kProgressBar ||
                      c.Kind() == ComponentKind::kStatusBar || c.frequent);
  if (!paced || showing_latest_) return false;
  Pace& pace = pace_[&c];
  if (pace.pending) return true;
  if (!pace.shown.isValid() || pace.shown.elapsed() >= kRepaintMs) {
    pace.shown.restart();
    return false;
  }
  pace.pending = true;
  QTimer::singleShot(static_cast<int>(kRepaintMs - pace.shown.elapsed()), this,
                     [this, &c] { ShowLatest(c); });
  return true;
}

void QtMainWindow::ShowLatest(Component& c) {
  Pace& pace = pace_[&c];
  if (!pace.pending) return;
  pace.pending = false;
  pace.shown.restart();
  showing_latest_ = true;
  Apply(c, Property::kCaption);
  if (c.Kind() == ComponentKind::kProgressBar) Apply(c, Property::kValue);
  showing_latest_ = false;
}

void QtMainWindow::ShowAllLatest() {
  for (auto& [c, pace] : pace_)
    if (pace.pending) ShowLatest(*c);
}

void QtMainWindow::OnEscape(std::function<void()> handler) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, [handler] { handler(); });
}

void QtMainWindow::ShowForm() {
  const Bounds& b = form_.GetBounds();
  applying_geometry_ = true;
  setGeometry(Fitted(QRect(b.left, b.top, b.width, b.height)));
  show();
  // Shown, the window has its frame (where the window manager gives one): fitted again with it.
  setGeometry(Fitted(geometry()));
  applying_geometry_ = false;
  StoreGeometry();
}

void QtMainWindow::StoreGeometry() {
  if (applying_geometry_ || !isVisible()) return;
  QRect g = geometry();
  applying_geometry_ = true;
  form_.SetBounds({g.x(), g.y(), g.width(), g.height()});
  applying_geometry_ = false;
}

void QtMainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  StoreGeometry();
}

void QtMainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (follows_edges_) FollowEdges();
  StoreGeometry();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  StoreGeometry();
  if (on_close) on_close();
  event->accept();
}

}  // namespace kivo
