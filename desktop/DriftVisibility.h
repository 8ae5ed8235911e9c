// When the drifting photo is worth showing: not behind a locked screen, not
// on a display that is off, not over a full-screen program on its screen.
// Pure rules; the drifting window gathers the facts from the system.
#pragma once

#include "framework/Rect.h"

namespace k3 {

// Why the drift is hidden; nothing set, it shows.
struct DriftVisibility {
  bool locked = false;
  bool displayOff = false;
  bool fullScreen = false;
  constexpr bool Hidden() const { return locked || displayOff || fullScreen; }
};

// The console display state of a power-setting notification: 0 off,
// 1 on, 2 dimmed (still showing).
constexpr bool DisplayIsOff(unsigned long state) { return state == 0; }

// The shell's own view of the user's state (SHQueryUserNotificationState),
// as far as it matters here.
enum class ShellState { Unknown, Presentation, Direct3DFullScreen, Other };

// What is known of the window in the foreground.
struct ForegroundFacts {
  bool present = false;
  // A window of this program: the user works with the program itself.
  bool ownProcess = false;
  // The desktop, its icon view or the shell's own windows.
  bool desktopOrShell = false;
  bool visible = false;
  bool minimized = false;
  // Its client area on the screen; a maximized window with a caption
  // leaves the caption's strip of the screen uncovered.
  Rect client;
  // Whether it is on the screen where the photo drifts.
  bool onDriftScreen = false;
};

// Whether `inner` covers the whole of `screen`.
constexpr bool Covers(const Rect& inner, const Rect& screen) {
  return !screen.Empty() && inner.left <= screen.left && inner.top <= screen.top && inner.right >= screen.right &&
         inner.bottom >= screen.bottom;
}

// Whether a full-screen program has the foreground on the screen `screen`
// of the drift: a visible foreign window whose client area covers that
// whole screen, or the shell reporting a presentation (any screen) or a
// Direct3D full-screen program in the foreground on that screen.
bool FullScreenForeground(const ForegroundFacts& f, const Rect& screen, ShellState shell);

// Where a centre goes after the screen changed: a picture of width x
// height centred at (x, y) that no longer lies inside `desktop` is moved
// the least distance that puts it inside (centred where it is larger).
void KeepInside(double& x, double& y, int width, int height, const Rect& desktop);

}  // namespace k3
