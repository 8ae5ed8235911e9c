// CFrameWnd: a top-level frame loaded from resources, whose client area is
// filled by its first pane (the child window with identifier kFirstPaneId):
// the frame keeps the pane over its whole client area and hands it the
// keyboard focus.
#pragma once

#include "framework/Wnd.h"

namespace fw {

// Identifier of a frame's first pane: the view that fills its client area.
inline constexpr UINT kFirstPaneId = 0xE900;

class CFrameWnd : public CWnd {
 public:
  // Creates the frame from resource resId: the menu and the icon of that
  // identifier are used when the resources have them.
  BOOL LoadFrame(UINT resId, DWORD style, CWnd* parent = nullptr);

  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  BOOL OnCmdMsg(UINT id, int code) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Moves the first pane over the whole client area.
  void RecalcLayout();

  UINT resourceId_ = 0;
};

}  // namespace fw
