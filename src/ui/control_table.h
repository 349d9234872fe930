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

// Designed outer size of the window, and its default (first start) size and place.
inline constexpr int kDesignedWidth = 608;
inline constexpr int kDesignedHeight = 601;

}  // namespace kivo
