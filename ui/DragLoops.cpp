#include "ui/DragLoops.h"

#include "framework/Services.h"

namespace k3 {

namespace {

bool PrimaryButtonHeld() {
  const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (::GetAsyncKeyState(button) & 0x8000) != 0;
}

// Runs `onMove` with the screen position of every mouse move until the
// button is released or the capture is lost. Waits for input between
// polls rather than spinning a core.
template <typename OnMove>
void DragLoop(HWND view, OnMove onMove) {
  ::SetCapture(view);
  for (;;) {
    MSG msg;
    const bool got = ::PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) != FALSE;
    if ((got && msg.message == WM_LBUTTONUP) || !PrimaryButtonHeld() || ::GetCapture() != view) break;
    if (got && msg.message == WM_MOUSEMOVE) onMove(msg.pt);
    PumpPaintMessages();
    if (!got) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_MOUSE | QS_PAINT);
  }
  if (::GetCapture() == view) ::ReleaseCapture();
}

POINT DragStart() {
  const DWORD pos = ::GetMessagePos();
  return POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

}  // namespace

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
  const POINT from = DragStart();
  RECT start;
  ::GetWindowRect(frame, &start);
  DragLoop(view, [&](POINT to) {
    ::MoveWindow(frame, start.left + to.x - from.x, start.top + to.y - from.y, start.right - start.left,
                 start.bottom - start.top, TRUE);
  });
}

void ResizeByBorder(HWND view, HWND frame, BorderZone zone) {
  const POINT from = DragStart();
  // The view covers the frame exactly.
  RECT start;
  ::GetWindowRect(view, &start);
  HCURSOR cursor = BorderCursor(zone);
  DragLoop(view, [&](POINT to) {
    ::SetCursor(cursor);
    const RECT r = ToRect(ResizeByZone(FromRect(start), zone, to.x - from.x, to.y - from.y));
    ::MoveWindow(frame, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  });
}

}  // namespace k3
