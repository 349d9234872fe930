// Names for assistive technology on Win32 controls: the name a screen reader speaks is set
// through the system's dynamic annotation (IAccPropServices), so a value label can be read with
// the label that names it ("Camera date 12/08/2026") as the Linux window does. UI thread only;
// COM initialised on it.
#pragma once

#include <windows.h>

#include <string>

namespace kivo::win32 {

// The caption as assistive technology reads it: "&" markers dropped ("&&" is one "&"), line
// ends as blanks, runs of blanks as one, no blanks at the ends.
std::string AccessibleText(const std::string& caption);

// Gives |control| the accessible name |name|. False when the system has no annotation service.
bool SetAccessibleName(HWND control, const std::string& name);

}  // namespace kivo::win32
