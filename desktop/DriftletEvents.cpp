// The drifting window's answers to the user and the system: the grab and
// the throw, the timers, and hiding while nobody can see it.
#include "desktop/Driftlet.h"

#include <cstring>
#include <utility>

#include <wtsapi32.h>

#include "framework/Handles.h"
#include "framework/MouseLoop.h"
#include "framework/Services.h"
#include "res/resource.h"

namespace k3 {

// ---------------------------------------------------------------------------
// Mouse

void CDriftlet::DragWindow() {
  // Positions come with the mouse messages themselves: the cursor position
  // the system reports may lag behind the messages already queued.
  const POINT from = fw::MessagePosition();
  POINT last = from;
  captureLost_ = false;
  HCURSOR grab = GrabCursor();
  // The timers wait while the photo is held, so it neither steps nor
  // changes frame. The grab ends when the button comes up or another
  // window takes the mouse capture. Each move goes from where the window
  // is now and the motion's centre follows it at once: a screen of another
  // DPI met on the way prepares the photo for it once, at the pointer.
  grabbing_ = true;
  const fw::MouseLoopResult held = fw::RunMouseLoop(
      m_hWnd,
      [&](POINT to) {
        ::SetCursor(grab);
        RECT now{};
        ::GetWindowRect(m_hWnd, &now);
        motion_.centreX += to.x - last.x;
        motion_.centreY += to.y - last.y;
        ::MoveWindow(m_hWnd, now.left + to.x - last.x, now.top + to.y - last.y, now.right - now.left,
                     now.bottom - now.top, TRUE);
        last = to;
      },
      [this] { return PrimaryButtonHeld(); }, &captureLost_);
  grabbing_ = false;
  if (!held.moved) return;  // a click without movement changes nothing
  motion_.direction = ThrowDirection(from.x, from.y, held.last.x, held.last.y, motion_.direction);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CDriftlet::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CWnd::WindowProc(msg, wp, lp) == -1) return -1;
  watch_.Start(m_hWnd);
  hold_.animationsOff = !ClientAreaAnimationsOn();
  LookAtDpi();
  preparer_.Announce();
  // A full-screen program found at the first look has covered the screen
  // for a while already: the drift does not appear over it.
  const FullScreenSeen fullScreen = watch_.FullScreenNow();
  if (fullScreen.seen) settle_.Settled(::GetTickCount64());
  SeeFullScreen(fullScreen);
  UpdateTimers();
  ApplyZOrder();
  return 0;
}

void CDriftlet::ApplyActivity() {
  if (!m_hWnd) return;
  const DriftActivity next = ActivityOf(visibility_, hold_);
  // Behind a full-screen program, or standing still (no frames that look
  // around), on a system that has sent no foreground event, nothing would
  // tell the window that a full-screen program came or went: then one
  // timer looks once a second (a locked session and a display turned off
  // are always told of, and need none; hidden by the user, it needs none).
  const bool look = (visibility_.fullScreen || (next.shown && !next.moving)) && !hold_.hidden && !visibility_.locked &&
                    !visibility_.displayOff && !watch_.EventsArrive() && !photos_.Empty();
  if (look && !lookTimer_) lookTimer_ = ::SetTimer(m_hWnd, kLookTimer, kLookPeriod, nullptr);
  if (!look && lookTimer_) ::KillTimer(m_hWnd, std::exchange(lookTimer_, 0));
  if (next == activity_) return;
  const DriftActivity was = std::exchange(activity_, next);
  if (!next.shown) {
    StopTimers();
    ::ShowWindow(m_hWnd, SW_HIDE);
    return;
  }
  UpdateTimers();
  if (!was.shown) {
    // Back where it was, in its place in the stack, without taking the
    // activation; the frames go on from where they stopped.
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    RestoreStacking();
    framesSinceLook_ = 0;
    drawn_ = nullptr;
  }
  if (next.switching && !next.moving) {
    // Standing still (the system's animations off): the effect's first
    // frame, where the photo is.
    ComposeFrame();
  } else if (!was.shown) {
    DrawFrame();
  }
}

void CDriftlet::SetPaused(bool paused) {
  hold_.paused = paused;
  ApplyActivity();
}

void CDriftlet::SetHiddenByUser(bool hidden) {
  hold_.hidden = hidden;
  ApplyActivity();
}

void CDriftlet::LookAtAnimations() {
  hold_.animationsOff = !ClientAreaAnimationsOn();
  ApplyActivity();
}

bool CDriftlet::OnSessionChange(WPARAM change) {
  if (change == WTS_SESSION_LOCK) {
    visibility_.locked = true;
  } else if (change == WTS_SESSION_UNLOCK) {
    visibility_.locked = false;
  } else {
    return false;
  }
  ApplyActivity();
  return true;
}

bool CDriftlet::OnPowerBroadcast(WPARAM event, LPARAM data) {
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
  // The session's display, or the console's where the system has no such
  // notice, or the monitor's power on Windows 7: all say 0 for off.
  if (event != PBT_POWERSETTINGCHANGE || !setting ||
      (setting->PowerSetting != GUID_SESSION_DISPLAY_STATUS && setting->PowerSetting != GUID_CONSOLE_DISPLAY_STATE &&
       setting->PowerSetting != GUID_MONITOR_POWER_ON) ||
      setting->DataLength < sizeof(DWORD)) {
    return false;
  }
  DWORD state = 0;
  std::memcpy(&state, setting->Data, sizeof state);
  visibility_.displayOff = DisplayIsOff(state);
  ApplyActivity();
  return true;
}

void CDriftlet::LookAround() {
  // Not every system tells of a new layout of the monitors.
  if (screensKnown_) {
    std::vector<Rect> screens = GatherScreens();
    if (screens != screens_) {
      screens_ = std::move(screens);
      screensChanged_ = true;
    }
  }
  LookAtDpi();
  SeeFullScreen(watch_.FullScreenNow());
}

void CDriftlet::LookAtDpi() {
  // Not every system tells a window that its screen's DPI changed; a
  // change the system reports here counts as the message would.
  const int dpi = WindowDpi(m_hWnd);
  if (dpi == seenDpi_) return;
  seenDpi_ = dpi;
  OnDpiChanged(dpi);
}

HCURSOR CDriftlet::GrabCursor() const {
  return grab_ ? grab_.get() : ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_GRAB));
}

void CDriftlet::OnDpiChanged(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  grab_ = LoadCursorForDpi(IDC_GRAB, dpi_);
  RebuildItems();
  // Held by the mouse, the photo stays under the pointer: composed where
  // it is, without a step.
  if (grabbing_) {
    ComposeFrame();
  } else {
    StepMotion(true);
  }
}

void CDriftlet::SeeFullScreen(const FullScreenSeen& seen) {
  const std::uint64_t now = ::GetTickCount64();
  const bool settled = settle_.Seen(seen.seen, now);
  // A full-screen program just come is looked at again once it has
  // stayed long enough to count.
  if (const std::uint64_t wait = settle_.Remaining(now)) {
    ::SetTimer(m_hWnd, kSettleTimer, static_cast<UINT>(wait), nullptr);
  } else {
    ::KillTimer(m_hWnd, kSettleTimer);
  }
  const Rect blocked = settled && !seen.everywhere ? seen.monitor : Rect{};
  visibility_.fullScreen = settled && (seen.everywhere || FreeAreas(Screens(), blocked).empty());
  const bool moved = blocked != blocked_;
  blocked_ = blocked;
  ApplyActivity();
  // A photo on a monitor just taken goes to the nearest free one at once.
  if (moved && activity_.shown && !photos_.Empty()) {
    screensChanged_ = true;
    StepMotion(true);
  }
}

void CDriftlet::OnTimer(UINT_PTR id) {
  if (id == kLookTimer || id == kSettleTimer) {
    if (id == kSettleTimer) ::KillTimer(m_hWnd, kSettleTimer);
    LookAround();
    return;
  }
  if (photos_.Empty()) return;
  if (id == switchTimer_) {
    // Standing still, the next photo is composed at once; drifting, by the
    // next frame.
    if (photos_.Next()) activity_.moving ? (void)::InvalidateRect(m_hWnd, nullptr, TRUE) : ComposeFrame();
  } else if (id == motionTimer_) {
    StepMotion(false);
  } else if (id == frameTimer_) {
    // Once a second the foreground and the screen's size are looked at as
    // well: not every system tells every window of their changes.
    if (++framesSinceLook_ >= kFramesPerLook) {
      framesSinceLook_ = 0;
      LookAround();
      if (!activity_.moving) return;
    }
    ComposeFrame();
  }
}

void CDriftlet::EndSession() {
  StopTimers();
  preparer_.Cancel();
  show_.RemoveExtracted();
}

void CDriftlet::ReleaseContent() {
  composer_.Drop();
  ClearItems();
  composer_.Release();
  // The photos extracted from a package go with the window, once no worker
  // reads one any more.
  preparer_.Cancel();
  show_.RemoveExtracted();
}

void CDriftlet::OnDestroy() {
  watch_.Stop();
  StopTimers();
  if (lookTimer_) ::KillTimer(m_hWnd, std::exchange(lookTimer_, 0));
  ::KillTimer(m_hWnd, kSettleTimer);
  ReleaseContent();
  dc_.reset();
  ForgetWindowState();
}

void CDriftlet::OnClose() {
  // In viewer mode this is the only visible window: closing it ends the run
  // through the hidden main frame. In normal mode it stays.
  if (closeTarget_) ::PostMessageW(closeTarget_, WM_CLOSE, 0, 0);
}

LRESULT CDriftlet::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(msg, wp, lp);
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_PAINT: {
      // While a frame is composed it is drawn right after; the request is
      // answered (validated) all the same, or it would come back for ever.
      fw::PaintDc dc(m_hWnd);
      if (!composing_) DrawFrame(dc.get());
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && grab_) {
        ::SetCursor(grab_.get());
        return TRUE;
      }
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != m_hWnd) captureLost_ = true;
      break;
    case WM_ERASEBKGND:
      return 1;  // the frame covers the whole window
    case WM_SETTINGCHANGE:
      // "Show animations" turned on or off, among other settings.
      LookAtAnimations();
      break;
    case WM_DISPLAYCHANGE:
      screensKnown_ = false;
      screensChanged_ = true;
      break;
    case WM_DPICHANGED:
      // The drift places itself: the suggested rectangle is not taken.
      OnDpiChanged(HIWORD(wp));
      return 0;
    case WM_WTSSESSION_CHANGE:
      if (OnSessionChange(wp)) return 0;
      break;
    case WM_POWERBROADCAST:
      if (OnPowerBroadcast(wp, lp)) return TRUE;
      break;
    case WM_DRIFT_FOREGROUND:
      SeeFullScreen(watch_.TakeForegroundChange());
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_MOUSEACTIVATE:
      // Whatever its stacking order, a click on the photo (a grab) leaves
      // the activation and the keyboard's focus where they are.
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
      DragWindow();
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
