#include "ui/qt/qt_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVariant>

namespace kivo {
namespace {

constexpr char kNameProperty[] = "kivoAccessibleName";

// A label whose name is the one the window gave it, nothing borrowed.
class NamedLabel : public QAccessibleWidget {
 public:
  explicit NamedLabel(QWidget* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      const QVariant name = widget()->property(kNameProperty);
      if (name.isValid()) return name.toString();
      // Labels the window did not name (those of dialogs) read as they always did.
      const QString shown = static_cast<QLabel*>(widget())->text();
      return shown.isEmpty() ? QAccessibleWidget::text(t) : shown;
    }
    if (t == QAccessible::Value) return QString();
    return QAccessibleWidget::text(t);
  }
};

// Qt keeps the first interface made for an object, often while the label is still being built,
// so the factory serves every label from the start and reads the name when asked.
QAccessibleInterface* NamedLabelFactory(const QString& class_name, QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  if (label == nullptr || class_name != QLatin1String("QLabel")) return nullptr;
  return new NamedLabel(label);  // owned by Qt's accessibility cache
}

class FlatFocus : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && event->type() == QEvent::FocusIn) button->setFlat(false);
    if (button != nullptr && event->type() == QEvent::FocusOut) button->setFlat(true);
    return false;
  }
};

}  // namespace

QString AccessibleText(const std::string& caption) {
  QString text;
  const QString in = QString::fromStdString(caption);
  for (qsizetype i = 0; i < in.size(); ++i) {
    const QChar c = in[i];
    if (c == '&') {
      if (i + 1 < in.size() && in[i + 1] == '&') text += '&', ++i;
      continue;
    }
    text += (c == '\r' || c == '\n') ? QChar(' ') : c;
  }
  return text.simplified();
}

QString DisplayText(const std::string& caption) {
  QString text = QString::fromStdString(caption);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  return text;
}

void SetAccessibleName(QWidget* widget, const QString& name) {
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    if (label->property(kNameProperty).toString() == name && label->property(kNameProperty).isValid())
      return;
    label->setProperty(kNameProperty, name);
    QAccessibleEvent changed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    return;
  }
  widget->setAccessibleName(name);
}

void InstallAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(NamedLabelFactory);
    return true;
  }();
  (void)installed;
}

void ShowFocusOnFlatButton(QPushButton* button) {
  button->installEventFilter(new FlatFocus(button));  // owned by the button
}

}  // namespace kivo
