// What the program's start-up needs of a window that shows one form of a component model, the
// same for every renderer (Qt, Win32): show it, close it, bring it to the front, and hear of its
// closing and of the Escape key. UI thread only; the callbacks run on it.
#pragma once

#include <functional>

namespace kivo {

class FormWindow {
 public:
  virtual ~FormWindow() = default;

  // Called when the user (or the system, at logout) closes the window, before it goes away or
  // is hidden.
  std::function<void()> on_close;

  // Places the window at its form's bounds and shows it.
  virtual void ShowForm() = 0;
  // Closes the window as its close box does.
  virtual void Close() = 0;
  // Brings the shown window in front of the others.
  virtual void Raise() = 0;
  // Whether the window is on the screen now.
  virtual bool Shown() const = 0;
  // The Escape key anywhere in the window runs |handler|.
  virtual void OnEscape(std::function<void()> handler) = 0;
};

}  // namespace kivo
