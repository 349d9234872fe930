// What a renderer shows for each component, read back from its native controls (widget, window
// handle, menu entry), and the comparison of that with the model. Renderers report it through
// their Inspect(); tests use it to check that every component reached the screen as the model
// says. Plain data and functions, any thread.
#pragma once

#include <string>
#include <vector>

#include "ui/component.h"

namespace kivo {

struct NativeControl {
  std::string component;     // the component's name
  std::string native_class;  // "QPushButton", "SysListView32", ...; empty: nothing was made
  std::string caption;       // the text shown (menu texts without their shortcut)
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  std::vector<std::string> items;    // list rows, file list rows with cells joined by tabs
  std::vector<std::string> columns;  // a file list's column titles
  std::vector<int> selection;        // a file list's selected rows, ascending
  int value = 0;                     // a progress bar's position, 0..1000
  bool shows_picture = false;        // a picture component shows a decoded image
};

// Every difference between |model| and what a renderer reported, one line each, naming the
// component and the property; empty when they agree. A component without a report is one
// difference. Which properties are compared depends on the kind.
std::vector<std::string> CompareWithModel(const ComponentModel& model,
                                          const std::vector<NativeControl>& shown);

}  // namespace kivo
