// Moving and resizing the borderless main window: which resize zone of the
// view a point lies in, and the rectangle a drag of that zone gives. Pure
// arithmetic; the view's drag loops feed it the mouse positions.
#pragma once

#include "framework/Rect.h"

namespace k3 {

// The resize zones, numbered as the view uses them; None is the background
// (a drag there moves the window).
enum class BorderZone {
  None = 0,
  TopLeft = 1,
  TopRight = 2,
  BottomLeft = 3,
  BottomRight = 4,
  Left = 5,
  Top = 6,
  Right = 7,
  Bottom = 8,
};

// The smallest size a resize leaves the main window (logical pixels).
inline constexpr int kMinimumFrameWidth = 800;
inline constexpr int kMinimumFrameHeight = 600;

// The zone of point (x, y) in the client rectangle `client`: 16 x 16 corner
// squares (32 x 32 centred on the corners, half outside) and 8-pixel edge
// strips (logical pixels at `dpi`), tested corners first; an empty
// rectangle has none.
BorderZone HitTestBorder(const Rect& client, int x, int y, int dpi = 96);

// The window rectangle after dragging `zone` of `start` by (dx, dy): only
// the zone's edges move, and never so far that the window gets narrower or
// lower than the minimum; the opposite edges stay where they were.
Rect ResizeByZone(const Rect& start, BorderZone zone, int dx, int dy, int dpi = 96);

}  // namespace k3
