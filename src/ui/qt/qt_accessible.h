// What the Qt window tells assistive technology (screen readers, keyboard users): accessible
// names made from the model's captions, labels that never borrow a group box's title, and flat
// buttons that show keyboard focus. GUI thread only; no callbacks.
#pragma once

#include <QString>
#include <string>

class QPushButton;
class QWidget;

namespace kivo {

// A caption as it reads aloud: line breaks become blanks, "&" accelerator markers go ("&&"
// stays one "&"), and the blanks used for layout are dropped.
QString AccessibleText(const std::string& caption);

// A caption as a widget shows it: a CR (alone or before LF) is a line break.
QString DisplayText(const std::string& caption);

// Makes labels report the names set below; call before the first label is built.
void InstallAccessibility();

// Sets |widget|'s accessible name. A label's name is exactly |name|, even when empty (Qt would
// otherwise fall back to the title of the group box around it).
void SetAccessibleName(QWidget* widget, const QString& name);

// A flat button draws no frame, so nothing shows that it has keyboard focus: it takes its
// raised look while it has focus.
void ShowFocusOnFlatButton(QPushButton* button);

}  // namespace kivo
