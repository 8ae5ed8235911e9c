#include "ui/BorderZones.h"

#include <algorithm>

#include "framework/Dpi.h"

namespace k3 {

namespace {

// Half-open: left and top inclusive, right and bottom exclusive.
bool Inside(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

bool InCornerSquare(int x, int y, int cx, int cy, int half) {
  return Inside(x, y, cx - half, cy - half, cx + half, cy + half);
}

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

BorderZone HitTestBorder(const Rect& r, int x, int y, int dpi) {
  if (r.Empty()) return BorderZone::None;
  const int c = ScaleForDpi(16, dpi), e = ScaleForDpi(8, dpi);
  if (InCornerSquare(x, y, r.left, r.top, c)) return BorderZone::TopLeft;
  if (InCornerSquare(x, y, r.left, r.bottom, c)) return BorderZone::BottomLeft;
  if (InCornerSquare(x, y, r.right, r.top, c)) return BorderZone::TopRight;
  if (InCornerSquare(x, y, r.right, r.bottom, c)) return BorderZone::BottomRight;
  if (Inside(x, y, r.left - e, r.top + e, r.left + e, r.bottom - e)) return BorderZone::Left;
  if (Inside(x, y, r.left + e, r.bottom - e, r.right - e, r.bottom + e)) return BorderZone::Bottom;
  if (Inside(x, y, r.left + e, r.top - e, r.right - e, r.top + e)) return BorderZone::Top;
  if (Inside(x, y, r.right - e, r.top + e, r.right + e, r.bottom - e)) return BorderZone::Right;
  return BorderZone::None;
}

Rect ResizeByZone(const Rect& start, BorderZone zone, int dx, int dy, int dpi) {
  const int w0 = start.Width(), h0 = start.Height();
  const int minimumWidth = ScaleForDpi(kMinimumFrameWidth, dpi);
  const int minimumHeight = ScaleForDpi(kMinimumFrameHeight, dpi);
  Rect r = start;
  if (MovesLeft(zone)) r.left = start.left + std::min(dx, w0 - minimumWidth);
  if (MovesTop(zone)) r.top = start.top + std::min(dy, h0 - minimumHeight);
  if (MovesRight(zone)) r.right = start.right + std::max(dx, minimumWidth - w0);
  if (MovesBottom(zone)) r.bottom = start.bottom + std::max(dy, minimumHeight - h0);
  return r;
}

}  // namespace k3
