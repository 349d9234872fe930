#include "ui/window_fit.h"

#include <algorithm>
#include <cstddef>

namespace kivo {
namespace {

// One axis of a control: where it starts and how long it is.
struct Span {
  int start, length;
  int End() const { return start + length; }
};

Span Horizontal(const Bounds& b) { return {b.left, b.width}; }
Span Vertical(const Bounds& b) { return {b.top, b.height}; }

// Where each span goes when the parent's |designed| length becomes designed + |delta| (<= 0).
std::vector<Span> Follow(const std::vector<Span>& spans, int designed, int delta) {
  std::vector<bool> stretches(spans.size());
  for (std::size_t i = 0; i < spans.size(); ++i) stretches[i] = 2 * spans[i].length > designed;
  std::vector<Span> out = spans;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (stretches[i]) {
      out[i].length = std::max(1, spans[i].length + delta);
      continue;
    }
    for (std::size_t k = 0; k < spans.size(); ++k) {
      if (!stretches[k]) continue;
      if (spans[i].start >= spans[k].End() || spans[i].End() == spans[k].End()) {
        out[i].start = spans[i].start + delta;
        break;
      }
    }
  }
  return out;
}

bool Overlap(const Bounds& a, const Bounds& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Moves [start, start + length) into [low, high) as far as it can; the start wins.
int Clamp(int start, int length, int low, int high) {
  return std::max(low, std::min(start, high - length));
}

}  // namespace

ScreenRect FitToWorkArea(const ScreenRect& window, const ScreenRect& work, int min_width,
                         int min_height) {
  const int width = std::max(std::min(window.Width(), work.Width()), min_width);
  const int height = std::max(std::min(window.Height(), work.Height()), min_height);
  const int left = Clamp(window.left, width, work.left, work.right);
  const int top = Clamp(window.top, height, work.top, work.bottom);
  return {left, top, left + width, top + height};
}

std::vector<Bounds> FollowParent(const std::vector<Bounds>& design, int design_width,
                                 int design_height, int width, int height) {
  std::vector<Span> across, down;
  for (const Bounds& b : design) {
    across.push_back(Horizontal(b));
    down.push_back(Vertical(b));
  }
  across = Follow(across, design_width, std::min(0, width - design_width));
  down = Follow(down, design_height, std::min(0, height - design_height));
  std::vector<Bounds> out;
  for (std::size_t i = 0; i < design.size(); ++i)
    out.push_back({across[i].start, down[i].start, across[i].length, down[i].length});
  return out;
}

Bounds SmallestFollowingParent(const std::vector<Bounds>& design, int design_width,
                               int design_height) {
  // Whether the parent may be |delta| shorter along one axis: the other axis as designed.
  auto fits = [&](int width, int height) {
    const std::vector<Bounds> placed =
        FollowParent(design, design_width, design_height, width, height);
    for (std::size_t i = 0; i < design.size(); ++i) {
      const bool stretched = placed[i].width != design[i].width ||
                             placed[i].height != design[i].height;
      if (stretched && (2 * placed[i].width < design[i].width ||
                        2 * placed[i].height < design[i].height))
        return false;
      for (std::size_t k = i + 1; k < design.size(); ++k) {
        if (Overlap(placed[i], placed[k]) && !Overlap(design[i], design[k])) return false;
      }
    }
    return true;
  };
  int width = design_width;
  while (2 * (width - 1) >= design_width && fits(width - 1, design_height)) --width;
  int height = design_height;
  while (2 * (height - 1) >= design_height && fits(design_width, height - 1)) --height;
  return {0, 0, width, height};
}

std::vector<int> FitColumns(const std::vector<int>& widths, int client_width) {
  std::vector<int> out;
  long total = 0;
  for (int w : widths) {
    out.push_back(std::max(0, w));
    total += out.back();
  }
  if (total <= 0 || client_width <= 0) return std::vector<int>(widths.size(), 0);
  // The last column (the download's state, often empty) takes what the list gains, and gives
  // up to half of itself before the others narrow.
  int& last = out.back();
  const long missing = total - client_width;
  if (missing <= 0) {
    last += static_cast<int>(-missing);
    return out;
  }
  const int given = static_cast<int>(std::min<long>(missing, last / 2));
  last -= given;
  total -= given;
  if (total <= client_width) return out;
  // Then every column narrows alike; each right edge is scaled and rounded, so that rounding
  // never adds up to a gap.
  long edge = 0;
  int placed = 0;
  for (int& w : out) {
    edge += w;
    const int right = static_cast<int>(edge * client_width / total);
    w = right - placed;
    placed = right;
  }
  return out;
}

}  // namespace kivo
