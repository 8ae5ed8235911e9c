#include "framework/FrameWnd.h"

namespace fw {

BOOL CFrameWnd::LoadFrame(UINT resId, DWORD style, CWnd* parent) {
  resourceId_ = resId;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // A menu of the frame's identifier, if the resources have one, belongs to
  // the window from here on and is destroyed with it.
  HMENU menu = ::LoadMenuW(instance, MAKEINTRESOURCEW(resId));
  // The frame starts empty; its owner places and sizes it.
  const RECT rect{0, 0, 0, 0};
  if (!CreateEx(0, nullptr, nullptr, style, rect, parent ? parent->m_hWnd : nullptr,
                reinterpret_cast<UINT_PTR>(menu))) {
    if (menu) ::DestroyMenu(menu);
    return FALSE;
  }
  return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  // The frame's own class: double clicks, arrow cursor, window colour and the
  // icon of the frame's resource identifier.
  if (!cs.lpszClass) {
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId_));
    className_ = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                  reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    cs.lpszClass = className_.c_str();
  }
  return TRUE;
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code) { return CWnd::OnCmdMsg(id, code); }

void CFrameWnd::RecalcLayout() {
  HWND pane = ::GetDlgItem(m_hWnd, kFirstPaneId);
  if (!pane) return;
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  ::MoveWindow(pane, 0, 0, rc.right, rc.bottom, TRUE);
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) RecalcLayout();
      return 0;
    case WM_SETFOCUS:
      // The first pane takes the keyboard focus of the frame.
      if (HWND pane = ::GetDlgItem(m_hWnd, kFirstPaneId)) {
        ::SetFocus(pane);
        return 0;
      }
      break;
  }
  return CWnd::WindowProc(msg, wp, lp);
}

}  // namespace fw
