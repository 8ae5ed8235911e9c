// The program's private window messages, all in one place. A private
// message means something only to the window class it is sent to, so the
// same number serves different classes on purpose: WM_USER + 1 is the
// view's "load the photo list" and the frame's "run the splash". Numbers
// within one class never repeat.
#pragma once

#include <windows.h>

namespace k3 {

// The main frame (app/MainFrame).
// Posted at its creation in normal mode: runs the splash.
inline constexpr UINT WM_START_SPLASH = WM_USER + 1;
// Posted after it appeared, was activated or clicked: the drop hint and the
// drifting window take their places in the stacking order again.
inline constexpr UINT WM_RESTORE_STACKING = WM_USER + 3;
// The notification area's icon: its clicks and its menu's key (app/DriftControls).
inline constexpr UINT WM_TRAY_ICON = WM_USER + 4;

// The main view (ui/ChildView).
// Posted at its creation: loads IMG.DAT once the window is on the screen.
inline constexpr UINT WM_LOAD_IMAGE_LIST = WM_USER + 1;
// (The workers' results reach the interface thread through their own
// message-only window: framework/WorkNotice.h.)

// The drifting window (desktop/Driftlet).
// Posted when the foreground window changed, moved, was sized or
// minimized: the window asks whether a full-screen program now covers it.
inline constexpr UINT WM_DRIFT_FOREGROUND = WM_USER + 20;

}  // namespace k3
