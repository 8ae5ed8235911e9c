#include "app/MainFrame.h"

#include "app/AppServices.h"
#include "app/K3Driftlet.h"
#include "app/Language.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace k3 {

namespace {
// Background of the main view, painted by the frame while it has no view.
constexpr COLORREF kViewBackground = RGB(245, 250, 254);
}  // namespace

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!fw::CFrameWnd::PreCreateWindow(cs)) return FALSE;
  cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  // No class style, cursor, background or icon: the view paints everything.
  className_ = fw::RegisterWndClass(0);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

LRESULT CMainFrame::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CFrameWnd::WindowProc(msg, wp, lp) == -1) return -1;

  const ULONG_PTR classStyle = ::GetClassLongPtrW(m_hWnd, GCL_STYLE);
  if (!(classStyle & CS_DROPSHADOW)) ::SetClassLongPtrW(m_hWnd, GCL_STYLE, classStyle | CS_DROPSHADOW);

  // The frame resource carries a placeholder menu; the frame has none.
  if (HMENU menu = ::GetMenu(m_hWnd)) {
    ::SetMenu(m_hWnd, nullptr);
    ::DestroyMenu(menu);
  }

  CK3Driftlet& app = App();
  app.m_driftlet.CreateDriftWindow(app.m_appName.c_str());
  if (app.m_viewerMode) return 0;

  const RECT rc = CenterInWorkArea(kMinimumSize);
  ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  return 0;
}

void CMainFrame::OnSize(int width, int height) {
  fw::GdiRegion region(::CreateRoundRectRgn(0, 0, width, height, 4, 4));
  // The window owns the region once it is set.
  if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) region.release();
  if (view_ && view_->m_hWnd) ::MoveWindow(view_->m_hWnd, 0, 0, width, height, TRUE);
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize.x = kMinimumSize.cx;
  info->ptMinTrackSize.y = kMinimumSize.cy;
}

bool CMainFrame::ConfirmClose() {
  if (App().m_viewerMode) return true;
  return ShowPairedMessage(m_hWnd, IDS_CONFIRM_EXIT_JA, IDS_CONFIRM_EXIT_EN, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CMainFrame::OnDestroy() {
  App().m_driftlet.DestroyWindow();
  if (!App().m_viewerMode && view_) {
    view_->DestroyWindow();
    view_.reset();
  }
}

void CMainFrame::OnActivateApp(bool active) {
  App().m_appActive = active ? 1 : 0;
  // The view repaints its title in the active or inactive look.
  if (view_ && view_->m_hWnd) ::InvalidateRect(view_->m_hWnd, nullptr, TRUE);
}

void CMainFrame::OnPaint() {
  fw::PaintDc dc(m_hWnd);
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  fw::GdiBrush brush(::CreateSolidBrush(kViewBackground));
  if (brush) ::FillRect(dc.get(), &rc, brush.get());
}

BOOL CMainFrame::OnCmdMsg(UINT id, int code) {
  // The view has the first say over every command.
  if (view_ && view_->OnCmdMsg(id, code)) return TRUE;
  return fw::CFrameWnd::OnCmdMsg(id, code);
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
  // Keys and the mouse wheel belong to the view whichever control has the
  // focus: they are re-sent to it and go no further.
  if (view_ && view_->m_hWnd && (msg->message == WM_KEYDOWN || msg->message == WM_MOUSEWHEEL) &&
      msg->hwnd != view_->m_hWnd) {
    view_->SendMessage(msg->message, msg->wParam, msg->lParam);
    return TRUE;
  }
  return fw::CFrameWnd::PreTranslateMessage(msg);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(msg, wp, lp);
    case WM_SIZE:
      fw::CFrameWnd::WindowProc(msg, wp, lp);
      OnSize(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
      break;
    case WM_CLOSE:
      if (!ConfirmClose()) return 0;
      break;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_ACTIVATEAPP: {
      const LRESULT r = fw::CFrameWnd::WindowProc(msg, wp, lp);
      OnActivateApp(wp != 0);
      return r;
    }
    case WM_SETFOCUS:
      if (view_ && view_->m_hWnd) {
        ::SetFocus(view_->m_hWnd);
        return 0;
      }
      break;
    case WM_PAINT:
      if (!view_) {
        OnPaint();
        return 0;
      }
      break;
  }
  return fw::CFrameWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
