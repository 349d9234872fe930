// A renderer without a screen, for tests and tools: it mirrors the model the way the Qt window
// does (a transcript of every change it was told about) and clicks the way a user can, which is
// only on what is visible and enabled, menus above it included. Loop thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/component.h"

namespace kivo {

class HeadlessRenderer {
 public:
  struct Change {
    std::string component;
    Property property;
    // The new caption, "1"/"0" for flags, the line count for lines, "row:text" for one line, the value, the data's size,
    // the selected rows "0,2".
    std::string value;
  };

  explicit HeadlessRenderer(ComponentModel& model);
  ~HeadlessRenderer();
  HeadlessRenderer(const HeadlessRenderer&) = delete;
  HeadlessRenderer& operator=(const HeadlessRenderer&) = delete;

  // True when a user could reach |name|: it and every menu above it are visible and enabled.
  bool CanClick(std::string_view name) const;
  // Clicks like a user; returns false, doing nothing, when the user could not.
  bool UserClick(std::string_view name);
  // Opens a menu like a user (its opening event runs); false when it cannot be opened.
  bool OpenMenu(std::string_view name);

  const std::vector<Change>& Transcript() const { return transcript_; }
  // Every text the status bar showed, in order.
  std::vector<std::string> StatusHistory() const;

 private:
  ComponentModel& model_;
  int observer_ = 0;
  std::vector<Change> transcript_;
};

}  // namespace kivo
