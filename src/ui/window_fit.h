// Windows on the screen, the same for every renderer: a window that would not fit the work area
// of its monitor (the screen less the task bar) is shrunk to it, never below its minimum size,
// and moved onto it; the controls of a window made smaller than designed follow its edges; and
// a list's columns fill its width. Plain functions on rectangles, any thread.
#pragma once

#include <vector>

#include "ui/component.h"

namespace kivo {

// A rectangle on the screen, right and bottom exclusive.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// |window| (its outer edges) fitted into |work|: each side shrunk to the work area's, but not
// below |min_width| x |min_height|; then moved so that it lies inside. A window still larger
// than the work area (its minimum is) keeps its top-left corner, caption and menus, inside.
ScreenRect FitToWorkArea(const ScreenRect& window, const ScreenRect& work, int min_width,
                         int min_height);

// The controls |design| (sibling bounds, designed in a parent of |design_width| x
// |design_height|) placed in a parent now |width| x |height|. Only a parent smaller than
// designed changes anything. Per axis: a control longer than half the parent stretches with it;
// one that starts past the far edge of a stretching one, or ends where it ends, moves with the
// far edge; the rest stay.
std::vector<Bounds> FollowParent(const std::vector<Bounds>& design, int design_width,
                                 int design_height, int width, int height);

// The smallest parent, no smaller than half the designed size, for which FollowParent leaves no
// two controls overlapping that did not overlap as designed, and no stretching control shorter
// than half of its designed length. As {0, 0, width, height}.
Bounds SmallestFollowingParent(const std::vector<Bounds>& design, int design_width,
                               int design_height);

// A list's column widths for rows |client_width| wide, from the designed |widths| (at the
// list's DPI): together they fill it exactly, with no sideways scroll bar and no gap at the
// right. The last column takes what there is to spare, and gives up to half of itself before
// the others narrow alike.
std::vector<int> FitColumns(const std::vector<int>& widths, int client_width);

}  // namespace kivo
