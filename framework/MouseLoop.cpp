#include "framework/MouseLoop.h"

#include "framework/Services.h"

namespace fw {

bool PrimaryButtonHeld() {
  const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (::GetAsyncKeyState(button) & 0x8000) != 0;
}

POINT MessagePosition() {
  const DWORD pos = ::GetMessagePos();
  return POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

MouseLoopResult RunMouseLoop(HWND window, const std::function<void(POINT)>& onMove, const std::function<bool()>& held,
                             const bool* captureLost) {
  MouseLoopResult result;
  ::SetCapture(window);
  for (;;) {
    MSG msg;
    const bool got = ::PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) != FALSE;
    if ((got && msg.message == WM_LBUTTONUP) || !held()) break;
    if ((captureLost && *captureLost) || ::GetCapture() != window) break;
    if (got && msg.message == WM_MOUSEMOVE) {
      result.moved = true;
      result.last = msg.pt;
      onMove(msg.pt);
    }
    k3::PumpPaintMessages();
    if (!got) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_MOUSE | QS_PAINT);
  }
  if (::GetCapture() == window) ::ReleaseCapture();
  return result;
}

}  // namespace fw
