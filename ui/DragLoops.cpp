#include "ui/DragLoops.h"

#include "framework/MouseLoop.h"
#include "framework/Services.h"

namespace k3 {

HCURSOR BorderCursor(BorderZone zone) {
  switch (zone) {
    case BorderZone::TopLeft:
    case BorderZone::BottomRight:
      return ::LoadCursorW(nullptr, IDC_SIZENWSE);
    case BorderZone::TopRight:
    case BorderZone::BottomLeft:
      return ::LoadCursorW(nullptr, IDC_SIZENESW);
    case BorderZone::Left:
    case BorderZone::Right:
      return ::LoadCursorW(nullptr, IDC_SIZEWE);
    case BorderZone::Top:
    case BorderZone::Bottom:
      return ::LoadCursorW(nullptr, IDC_SIZENS);
    case BorderZone::None:
      break;
  }
  return nullptr;
}

void MoveByDrag(HWND view, HWND frame) {
  const POINT from = fw::MessagePosition();
  RECT start;
  ::GetWindowRect(frame, &start);
  fw::RunMouseLoop(view, [&](POINT to) {
    ::MoveWindow(frame, start.left + to.x - from.x, start.top + to.y - from.y, start.right - start.left,
                 start.bottom - start.top, TRUE);
  });
}

void ResizeByBorder(HWND view, HWND frame, BorderZone zone, int dpi) {
  const POINT from = fw::MessagePosition();
  // The view covers the frame exactly.
  RECT start;
  ::GetWindowRect(view, &start);
  HCURSOR cursor = BorderCursor(zone);
  fw::RunMouseLoop(view, [&](POINT to) {
    ::SetCursor(cursor);
    const RECT r = ToRect(ResizeByZone(FromRect(start), zone, to.x - from.x, to.y - from.y, dpi));
    ::MoveWindow(frame, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  });
}

}  // namespace k3
