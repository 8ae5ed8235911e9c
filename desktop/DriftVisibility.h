// When the drifting photo is worth showing: not behind a locked screen, not
// on a display that is off, not over a full-screen program on its screen.
// Pure rules; the drifting window gathers the facts from the system.
#pragma once

#include <cstdint>
#include <string_view>

#include "framework/Rect.h"

namespace k3 {

// Why the drift is hidden; nothing set, it shows.
struct DriftVisibility {
  bool locked = false;
  bool displayOff = false;
  bool fullScreen = false;
  constexpr bool Hidden() const { return locked || displayOff || fullScreen; }
};

// What the user and the system ask of the drift besides when it can be
// seen.
struct DriftHold {
  // The user's pause: the photo stays where it is with the frame it shows.
  bool paused = false;
  // The user hid the photos.
  bool hidden = false;
  // The system's "Show animations" is off: the photo stands still and an
  // effect shows its first frame; photos still switch.
  bool animationsOff = false;
};

// What runs.
struct DriftActivity {
  // The window is on the screen.
  bool shown = false;
  // Photos switch at the chosen interval.
  bool switching = false;
  // The motion steps and the effects animate.
  bool moving = false;
  constexpr bool operator==(const DriftActivity&) const = default;
};

constexpr DriftActivity ActivityOf(const DriftVisibility& visibility, const DriftHold& hold) {
  DriftActivity a;
  a.shown = !visibility.Hidden() && !hold.hidden;
  a.switching = a.shown && !hold.paused;
  a.moving = a.switching && !hold.animationsOff;
  return a;
}

// The display state of a power-setting notification (the session's display
// or the console's): 0 off, 1 on, 2 dimmed (still showing).
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
  // A window of the system's own overlays (task switching, snap layouts,
  // the emoji panel, clipboard history, input candidates, Start, search,
  // notifications, the Xbox Game Bar, screen snipping): they come and go
  // over the screen in moments.
  bool systemOverlay = false;
  bool visible = false;
  bool minimized = false;
  // Its client area on the screen; a maximized window with a caption
  // leaves the caption's strip of the screen uncovered.
  Rect client;
  // Whether it is on the screen where the photo drifts.
  bool onDriftScreen = false;
};

// Whether a process whose program file is named `fileName` (its name alone,
// any case) shows the system's own overlays.
bool IsSystemOverlayProgram(std::wstring_view fileName);

// Whether `inner` covers the whole of `screen`.
constexpr bool Covers(const Rect& inner, const Rect& screen) {
  return !screen.Empty() && inner.left <= screen.left && inner.top <= screen.top && inner.right >= screen.right &&
         inner.bottom >= screen.bottom;
}

// Whether a full-screen program has the foreground on the screen `screen`
// of the drift: a visible foreign window whose client area covers that
// whole screen, or the shell reporting a presentation (any screen) or a
// Direct3D full-screen program in the foreground on that screen. The
// system's overlays never count.
bool FullScreenForeground(const ForegroundFacts& f, const Rect& screen, ShellState shell);

// What is seen of a full-screen program in the foreground: on which monitor
// (its rectangle), or over every monitor (the shell's presentation mode).
struct FullScreenSeen {
  bool seen = false;
  bool everywhere = false;
  Rect monitor;
  constexpr bool operator==(const FullScreenSeen&) const = default;
};

// A full-screen program hides the drift once it has kept the foreground for
// kSettleMs: an overlay or a program that covers the screen for a moment
// does not make the photo blink. Its end shows the drift at once.
class FullScreenSettle {
 public:
  static constexpr std::uint64_t kSettleMs = 500;
  // What was seen at `nowMs`; whether the drift hides for it.
  bool Seen(bool fullScreen, std::uint64_t nowMs) {
    if (!fullScreen) {
      since_ = 0;
      seen_ = false;
      return false;
    }
    if (!seen_) {
      seen_ = true;
      since_ = nowMs;
    }
    return nowMs - since_ >= kSettleMs;
  }
  // How long until what is seen now would hide the drift (0: it does, or
  // nothing is seen).
  std::uint64_t Remaining(std::uint64_t nowMs) const {
    if (!seen_ || nowMs - since_ >= kSettleMs) return 0;
    return kSettleMs - (nowMs - since_);
  }
  // What is seen counts at once (the drift's first look, when it appears
  // over a program that has covered the screen for a while).
  void Settled(std::uint64_t nowMs) {
    seen_ = true;
    since_ = nowMs - kSettleMs;
  }

 private:
  bool seen_ = false;
  std::uint64_t since_ = 0;
};

// Where a centre goes after the screen changed: a picture of width x
// height centred at (x, y) that no longer lies inside `desktop` is moved
// the least distance that puts it inside (centred where it is larger).
void KeepInside(double& x, double& y, int width, int height, const Rect& desktop);

}  // namespace k3
