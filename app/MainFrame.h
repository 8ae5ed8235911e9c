// CMainFrame: the borderless, rounded 800 x 600 top-level window of the
// program. Its whole client area belongs to the main view; the frame owns
// the drifting window's lifetime, asks before the program closes and keeps
// its region in step with its size. In both modes it owns the pause key
// and the icon in the notification area.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/DriftControls.h"
#include "app/LogoWnd.h"
#include "desktop/Driftlet.h"
#include "res/Messages.h"
#include "ui/ChildView.h"
#include "framework/FrameWnd.h"
#include "framework/Handles.h"

namespace k3 {

class CMainFrame : public fw::CFrameWnd {
 public:
  // The frame creates and destroys the window of `driftlet`, titled
  // `title`; in viewer mode it has no view and closes without asking.
  // `appActive` is kept up to date with the application's activation; the
  // view shows it, the title and the file version (`versionMS`/`LS`).
  CMainFrame(CDriftlet& driftlet, const std::wstring& title, bool viewerMode, bool& appActive,
             std::uint32_t versionMS = 0, std::uint32_t versionLS = 0);
  // The main view; null in viewer mode.
  CChildView* View() const { return view_.get(); }
  // Destroys the window while this class can still answer its messages.
  ~CMainFrame() override;

  BOOL OnCmdMsg(UINT id, int code) override;
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  BOOL PreTranslateMessage(MSG* msg) override;

  // The frame's size when it opens and the smallest the system's sizing
  // makes it, in logical pixels (scaled to its screen's DPI).
  static constexpr SIZE kMinimumSize{800, 600};
  // The DPI the frame is drawn at.
  int Dpi() const { return dpi_; }
  // The pause key and the notification area's icon.
  const DriftControls& Controls() const { return controls_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void OnSize(int width, int height);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  // The frame's screen has another DPI: the view draws itself for it and
  // the frame takes the size the system suggests.
  void OnDpiChanged(int dpi, const RECT& suggested);
  // The window's big and small icons at the frame's DPI.
  void SetIcons();
  bool ConfirmClose();
  void OnDestroy();
  void OnEndSession();
  void OnActivateApp(bool active);
  void OnPaint();
  // Makes the frame transparent and shows the logo, before the splash.
  void PrepareSplash();
  // The logo fades in, holds and fades half out; then the frame shows.
  void RunSplash();

  CDriftlet& driftlet_;
  std::wstring title_;
  bool viewerMode_;
  bool& appActive_;
  std::uint32_t versionMS_;
  std::uint32_t versionLS_;
  int dpi_ = 96;
  // The DPI the view is laid out at: the screen's, or a smaller one where
  // 800 x 600 logical pixels do not fit the monitor's work area.
  int layoutDpi_ = 96;
  // Lays the frame out for `dpi` on the monitor whose work area is `work`.
  void FitLayout(int dpi, const RECT& work);
  // Given to the window, which never owns them: they outlive it.
  fw::OwnedIcon bigIcon_;
  fw::OwnedIcon smallIcon_;
  // The splash's logo window; null in viewer mode.
  std::unique_ptr<CLogoWnd> logo_;
  // The client view; null in viewer mode.
  std::unique_ptr<CChildView> view_;
  // The pause key and the notification area's icon, in both modes.
  DriftControls controls_;
  // An installer asked the program to close (the Restart Manager's end of
  // the session): it ends without asking.
  bool endedForInstaller_ = false;
};

}  // namespace k3
