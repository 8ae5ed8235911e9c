// CMainFrame: the borderless, rounded 800 x 600 top-level window of the
// program. Its whole client area belongs to the main view; the frame owns
// the drifting window's lifetime, asks before the program closes and keeps
// its region in step with its size.
#pragma once

#include <memory>

#include "framework/FrameWnd.h"

namespace k3 {

class CMainFrame : public fw::CFrameWnd {
 public:
  CMainFrame() = default;
  ~CMainFrame() override;

  BOOL OnCmdMsg(UINT id, int code) override;
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  BOOL PreTranslateMessage(MSG* msg) override;

  // The smallest size the frame can be made by the system's sizing.
  static constexpr SIZE kMinimumSize{800, 600};

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void OnSize(int width, int height);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  bool ConfirmClose();
  void OnDestroy();
  void OnActivateApp(bool active);
  void OnPaint();

  // The client view; null in viewer mode.
  std::unique_ptr<fw::CWnd> view_;
};

}  // namespace k3
