#include "desktop/Driftlet.h"

#include "app/K3Driftlet.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace k3 {

BOOL CDriftlet::CreateDriftWindow(const wchar_t* title) {
  constexpr DWORD kStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;  // 0x90080000
  return CreateEx(0, nullptr, title, kStyle, RECT{0, 0, 0, 0}, ::GetDesktopWindow(), 0);
}

BOOL CDriftlet::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!App().m_viewerMode) cs.dwExStyle |= WS_EX_TOOLWINDOW;
  HCURSOR grab = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_GRAB));
  className_ = fw::RegisterWndClass(0, grab, static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)), nullptr);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

void CDriftlet::OnClose() {
  // In viewer mode this is the only visible window: closing it ends the run
  // through the hidden main frame. In normal mode it stays.
  if (App().m_viewerMode) {
    if (fw::CWnd* main = App().GetMainWnd()) main->PostMessage(WM_CLOSE);
  }
}

LRESULT CDriftlet::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      OnClose();
      return 0;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
