// What tells the drifting window that nobody can see it: the session's lock
// and unlock, the console display going off and on, and the foreground
// window changing or moving. The watcher registers the window for these
// notifications and unregisters it when it goes; it also answers whether a
// full-screen program now has the foreground, and on which monitor.
#pragma once

#include <windows.h>

#include "desktop/DriftVisibility.h"
#include "framework/Handles.h"
#include "res/Messages.h"

namespace k3 {

class DriftWatch {
 public:
  DriftWatch() = default;
  ~DriftWatch() { Stop(); }
  DriftWatch(const DriftWatch&) = delete;
  DriftWatch& operator=(const DriftWatch&) = delete;

  // Registers `hwnd` for WM_WTSSESSION_CHANGE, for WM_POWERBROADCAST with
  // the console display state (the system sends the current state at
  // once) and for WM_DRIFT_FOREGROUND.
  void Start(HWND hwnd);
  void Stop();

  // Whether a full-screen program has the foreground, and on which monitor
  // (or on all, in the shell's presentation mode).
  FullScreenSeen FullScreenNow() const;
  // The same after a WM_DRIFT_FOREGROUND: the next change posts one again.
  FullScreenSeen TakeForegroundChange();
  // Whether the system has told of a foreground change since Start: where
  // it never does (Wine sends no window events to other processes), a
  // hidden drift has to look at the foreground itself now and then.
  bool EventsArrive() const { return eventsArrive_; }

  // The facts of the foreground window `fg` seen from `self`'s screen (for
  // tests).
  static ForegroundFacts Facts(HWND fg, HWND self, Rect* screen);

 private:
  // The window events of the foreground window's own process only: a hook
  // on every process would wake the program at each mouse move.
  void FollowForeground();
  // Posts one WM_DRIFT_FOREGROUND; more changes before it is handled need
  // no more.
  void Notify();
  static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD thread,
                                  DWORD time);

  HWND hwnd_ = nullptr;
  bool sessionRegistered_ = false;
  fw::PowerNotify display_;
  fw::WinEventHook foreground_;
  fw::WinEventHook location_;
  DWORD followedProcess_ = 0;
  HWND followedWindow_ = nullptr;
  bool posted_ = false;
  bool eventsArrive_ = false;
};

}  // namespace k3
