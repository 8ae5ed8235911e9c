#include "app/LogoWnd.h"

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Services.h"
#include "imaging/ImageOps.h"
#include "res/resource.h"
#include "ui/ViewResources.h"

namespace k3 {

namespace {
constexpr wchar_t kLogoClass[] = L"K3DriftletLogo";
}

CLogoWnd::CLogoWnd() = default;

CLogoWnd::~CLogoWnd() {
  if (m_hWnd) DestroyWindow();
}

BOOL CLogoWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  cs.dwExStyle |= WS_EX_TOOLWINDOW;
  // The logo covers the whole window: nothing is erased under it.
  className_ = fw::RegisterNamedWndClass(kLogoClass, 0);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

BOOL CLogoWnd::CreateLogo(HWND owner, int dpi) {
  logo_ = LoadBitmapResource(ArtForDpi(IDB_LOGO, dpi));
  if (!CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 0, 0}, owner, 0)) return FALSE;
  const RECT rc = CenterInWorkArea(SIZE{ScaleForDpi(kSize.cx, dpi), ScaleForDpi(kSize.cy, dpi)});
  ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
  SetWindowAlphaPercent(0, m_hWnd);
  ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
  ::UpdateWindow(m_hWnd);
  return TRUE;
}

void CLogoWnd::OnPaint() {
  fw::PaintDc dc(m_hWnd);
  if (!logo_ || logo_->IsNull()) return;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  DrawImagePartBicubic(RECT{0, 0, logo_->Width(), logo_->Height()}, *logo_, dc.get(), 0, 0, client.right,
                       client.bottom);
}

LRESULT CLogoWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      // The logo never takes the keyboard focus from anyone.
      return 0;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
