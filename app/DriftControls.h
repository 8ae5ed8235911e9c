// The drift under the user's hand in both modes: the pause key Ctrl+Alt+P,
// registered for the whole system, and the program's icon in the
// notification area with its menu (Pause or Resume, Hide or Show photos,
// Show the main window in normal mode, Exit). A left click on the icon
// pauses or resumes. The window that owns them (the main frame) hands them
// its messages.
#pragma once

#include <windows.h>

#include <string>

#include "app/TrayMenu.h"
#include "desktop/Driftlet.h"
#include "framework/NotifyIcon.h"

namespace k3 {

class DriftControls {
 public:
  DriftControls(CDriftlet& driftlet, bool viewerMode) : driftlet_(driftlet), viewerMode_(viewerMode) {}
  ~DriftControls() { Stop(); }
  DriftControls(const DriftControls&) = delete;
  DriftControls& operator=(const DriftControls&) = delete;

  // Registers the key and adds the icon (`icon` at the notification area's
  // size, not owned; `title` its tip) for `owner`.
  void Start(HWND owner, HICON icon, const std::wstring& title);
  // Gives the key back and takes the icon away (at the exit and at the
  // session's end).
  void Stop();
  // The icon at another DPI.
  void SetIcon(HICON icon);
  // The key, the icon's clicks and menu commands, Explorer's restart;
  // whether the message was one of them.
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);

  void TogglePause();
  void ToggleHidden();
  TrayState State() const;
  bool KeyAvailable() const { return keyAvailable_; }
  bool IconAdded() const { return icon_.Added(); }

  static constexpr int kHotkeyId = 1;
  static constexpr UINT kIconId = 1;

 private:
  void ShowMenu(POINT at);
  void UpdateTip();
  std::wstring TipText() const;
  bool OnCommand(UINT command);

  CDriftlet& driftlet_;
  bool viewerMode_;
  HWND owner_ = nullptr;
  bool keyAvailable_ = false;
  std::wstring title_;
  fw::CNotifyIcon icon_;
};

}  // namespace k3
