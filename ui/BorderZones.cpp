#include "ui/BorderZones.h"

#include <algorithm>

namespace k3 {

namespace {

// Half-open: left and top inclusive, right and bottom exclusive.
bool Inside(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

bool InCornerSquare(int x, int y, int cx, int cy) { return Inside(x, y, cx - 16, cy - 16, cx + 16, cy + 16); }

bool MovesLeft(BorderZone z) {
  return z == BorderZone::TopLeft || z == BorderZone::BottomLeft || z == BorderZone::Left;
}
bool MovesTop(BorderZone z) { return z == BorderZone::TopLeft || z == BorderZone::TopRight || z == BorderZone::Top; }
bool MovesRight(BorderZone z) {
  return z == BorderZone::TopRight || z == BorderZone::BottomRight || z == BorderZone::Right;
}
bool MovesBottom(BorderZone z) {
  return z == BorderZone::BottomLeft || z == BorderZone::BottomRight || z == BorderZone::Bottom;
}

}  // namespace

BorderZone HitTestBorder(const Rect& r, int x, int y) {
  if (r.Empty()) return BorderZone::None;
  if (InCornerSquare(x, y, r.left, r.top)) return BorderZone::TopLeft;
  if (InCornerSquare(x, y, r.left, r.bottom)) return BorderZone::BottomLeft;
  if (InCornerSquare(x, y, r.right, r.top)) return BorderZone::TopRight;
  if (InCornerSquare(x, y, r.right, r.bottom)) return BorderZone::BottomRight;
  if (Inside(x, y, r.left - 8, r.top + 8, r.left + 8, r.bottom - 8)) return BorderZone::Left;
  if (Inside(x, y, r.left + 8, r.bottom - 8, r.right - 8, r.bottom + 8)) return BorderZone::Bottom;
  if (Inside(x, y, r.left + 8, r.top - 8, r.right - 8, r.top + 8)) return BorderZone::Top;
  if (Inside(x, y, r.right - 8, r.top + 8, r.right + 8, r.bottom - 8)) return BorderZone::Right;
  return BorderZone::None;
}

Rect ResizeByZone(const Rect& start, BorderZone zone, int dx, int dy) {
  const int w0 = start.Width(), h0 = start.Height();
  Rect r = start;
  if (MovesLeft(zone)) r.left = start.left + std::min(dx, w0 - kMinimumFrameWidth);
  if (MovesTop(zone)) r.top = start.top + std::min(dy, h0 - kMinimumFrameHeight);
  if (MovesRight(zone)) r.right = start.right + std::max(dx, kMinimumFrameWidth - w0);
  if (MovesBottom(zone)) r.bottom = start.bottom + std::max(dy, kMinimumFrameHeight - h0);
  return r;
}

}  // namespace k3
