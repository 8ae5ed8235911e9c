// CLogoWnd: the start-up logo, a small borderless window in the middle of
// the work area that the splash fades in and half out while the main frame
// is still transparent.
#pragma once

#include <memory>

#include "framework/Wnd.h"
#include "imaging/Img.h"

namespace k3 {

class CLogoWnd : public fw::CWnd {
 public:
  // The logo's size at 96 DPI (its bitmap's at 100 per cent).
  static constexpr SIZE kSize{380, 50};

  CLogoWnd();
  ~CLogoWnd() override;

  // Loads the logo bitmap drawn for `dpi` and creates the window
  // (transparent, not yet shown) at that DPI's size, owned by `owner` and
  // centred in the work area. FALSE when the window cannot be made; a
  // missing bitmap only leaves it blank.
  BOOL CreateLogo(HWND owner, int dpi);

  // No task-bar button; a class of its own with no cursor, background or
  // icon.
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnPaint();

  std::unique_ptr<CImg> logo_;
};

}  // namespace k3
