// The main window's controls (everything but the menus) as data: kind, parent, caption, hint,
// designed bounds, font and colours. The window builds its component model from this table.
#pragma once

#include <optional>
#include <span>

#include "ui/component.h"

namespace kivo {

struct ControlSpec {
  const char* name;
  ComponentKind kind;
  const char* parent;  // "" for the client area of the form
  const char* caption;
  const char* hint;
  Bounds bounds;  // relative to the parent's client area
  FontSpec font;
  Rgb font_color;
  std::optional<Rgb> color;
  bool diagnostic;  // shown only in diagnostics mode
  bool enabled;
};

std::span<const ControlSpec> MainControlTable();

struct AccessibleSpec {
  const char* name;
  const char* caption_label;  // the label that says what this value is, or ""
  const char* own_name;       // a name for a control that shows no text of its own, or ""
};

std::span<const AccessibleSpec> AccessibleTable();

// Designed outer size of the window, and its default (first start) size and place.
inline constexpr int kDesignedWidth = 608;
inline constexpr int kDesignedHeight = 601;
// The smallest window that still shows every control a user needs (the buttons, the three
// group boxes and the status bar): the first start's size. Stored sizes are kept at least this.
inline constexpr int kMinimumWidth = 434;
inline constexpr int kMinimumHeight = 245;

}  // namespace kivo
