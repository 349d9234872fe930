// Native controls with behaviour of their own beyond a window text and a state: the file list
// (a report-style list view), the progress bar with its text, and the picture. The main window
// makes one for each such component, gives it the model's changes and its WM_NOTIFY messages,
// and asks it for what it shows. UI thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "ui/component.h"
#include "ui/native_view.h"

namespace kivo {

class Win32Control {
 public:
  virtual ~Win32Control() = default;
  HWND Handle() const { return window_; }
  // Mirrors the model's |what| where the kind differs from a plain window; false leaves the
  // property to the main window (enabled, visible, bounds, hint).
  virtual bool Apply(Property what) = 0;
  // A notification the control sent its parent; true (with *result) when handled here.
  virtual bool Notify(const NMHDR& header, LRESULT* result) {
    (void)header;
    (void)result;
    return false;
  }
  // Fills the kind's own part of |out| from the native control.
  virtual void Inspect(NativeControl& out) const = 0;

 protected:
  HWND window_ = nullptr;
};

// A window's text, as UTF-8.
std::string TextOf(HWND window);

// Each makes the native control at the component's bounds inside |parent|.
std::unique_ptr<Win32Control> MakeWin32ListView(ComponentModel& model, Component& c, HWND parent);
std::unique_ptr<Win32Control> MakeWin32ProgressBar(Component& c, HWND parent);
std::unique_ptr<Win32Control> MakeWin32Picture(Component& c, HWND parent);

}  // namespace kivo
