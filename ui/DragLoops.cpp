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

void MoveByDrag(HWND view, HWND frame, const std::function<bool()>& held) {
  POINT last = fw::MessagePosition();
  // Each move goes from where the frame is now, with the size it has now:
  // a frame dragged onto a monitor of another DPI keeps the rectangle the
  // system suggested for it, under the mouse, for the rest of the drag.
  fw::RunMouseLoop(
      view,
      [&](POINT to) {
        RECT now;
        ::GetWindowRect(frame, &now);
        ::MoveWindow(frame, now.left + to.x - last.x, now.top + to.y - last.y, now.right - now.left,
                     now.bottom - now.top, TRUE);
        last = to;
      },
      held);
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
