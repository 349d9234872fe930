// What the Qt window shows of each component, read back from its widgets and menu actions.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "ui/qt/qt_file_list.h"
#include "ui/qt/qt_main_window.h"

namespace kivo {
namespace {

std::string S(const QString& text) { return text.toStdString(); }

void ReadWidget(const QWidget* w, NativeControl& out) {
  out.native_class = w->metaObject()->className();
  // The control's own state, whatever the state of the box it sits in.
  out.enabled = w->parentWidget() ? w->isEnabledTo(w->parentWidget()) : w->isEnabled();
  out.visible = !w->isHidden();
  if (auto* b = qobject_cast<const QPushButton*>(w)) {
    out.caption = S(b->text());
  } else if (auto* l = qobject_cast<const QLabel*>(w)) {
    out.caption = S(l->text());
    out.shows_picture = !l->pixmap().isNull();
  } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
    out.caption = S(g->title());
  } else if (auto* bar = qobject_cast<const QProgressBar*>(w)) {
    out.caption = S(bar->format());
    out.value = bar->value();
  } else if (auto* list = qobject_cast<const QListWidget*>(w)) {
    for (int i = 0; i < list->count(); ++i) out.items.push_back(S(list->item(i)->text()));
  } else if (auto* files = qobject_cast<const QtFileList*>(w)) {
    out.columns = files->Titles();
    out.items = files->Rows();
    out.selection = files->SelectedRows();
  }
}

}  // namespace

std::vector<NativeControl> QtMainWindow::Inspect() {
  ShowAllLatest();
  std::vector<NativeControl> shown;
  for (const auto& owned : model_.All()) {
    const Component& c = *owned;
    NativeControl out;
    out.component = c.Name();
    if (&c == &form_) {
      out.native_class = metaObject()->className();
      out.caption = S(windowTitle());
    } else if (c.Kind() == ComponentKind::kMainMenu) {
      out.native_class = menuBar()->metaObject()->className();
    } else if (auto a = actions_.find(&c); a != actions_.end()) {
      const QAction* action = a->second;
      out.native_class = action->menu() ? "QMenu" : action->isSeparator() ? "separator" : "QAction";
      out.caption = S(action->text());
      out.enabled = action->isEnabled();
      out.visible = action->isVisible();
      out.checked = action->isChecked();
    } else if (auto w = widgets_.find(&c); w != widgets_.end()) {
      ReadWidget(w->second, out);
    }
    shown.push_back(std::move(out));
  }
  return shown;
}

}  // namespace kivo
