#include "ui/HelpWnd.h"

#include <shellapi.h>

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Texts.h"
#include "ui/BackBuffer.h"
#include "ui/Palette.h"
#include "ui/ViewResources.h"

namespace k3 {

namespace {
constexpr wchar_t kHelpClass[] = L"K3DriftletHint";
constexpr UINT kTextFormat = DT_WORDBREAK | DT_PATH_ELLIPSIS;
}  // namespace

CHelpWnd::CHelpWnd(UINT textId, UINT moreId) : text_(LoadResString(textId)) {
  const std::wstring more = moreId ? LoadResString(moreId) : std::wstring();
  if (!more.empty()) text_ += L"\n" + more;
}

CHelpWnd::~CHelpWnd() {
  if (m_hWnd) DestroyWindow();
}

BOOL CHelpWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  cs.dwExStyle |= WS_EX_TOOLWINDOW;
  // No cursor and no background: the window paints every pixel itself.
  className_ = fw::RegisterNamedWndClass(kHelpClass, 0);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

BOOL CHelpWnd::CreateHint(HWND owner, HWND dropTarget) {
  dropTarget_ = dropTarget;
  if (!CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 0, 0}, owner, 0)) return FALSE;
  // Users drop their photos right onto the hint that asks for them.
  if (dropTarget_) ::DragAcceptFiles(m_hWnd, TRUE);
  return TRUE;
}

void CHelpWnd::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  font_.reset();
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHelpWnd::SetColours(std::uint32_t back, std::uint32_t text) {
  back_ = back;
  textColour_ = text;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHelpWnd::OnSize(int width, int height) {
  const int round = ScaleForDpi(4, dpi_);
  fw::GdiRegion region(::CreateRoundRectRgn(0, 0, width + 1, height + 1, round, round));
  if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) region.release();
}

void CHelpWnd::OnPaint() {
  fw::PaintDc paint(m_hWnd);
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  BackBuffer buffer;
  if (!CreateFilledBackBuffer(buffer, paint.get(), width, height, back_)) return;
  // Made at the first paint and kept.
  if (!font_) font_ = MakeViewFont(ScaleForDpi(12, dpi_), FW_NORMAL);
  if (font_) {
    fw::SelectObjectScope selected(buffer.dc(), font_.get());
    ::SetTextColor(buffer.dc(), textColour_);
    ::SetBkMode(buffer.dc(), TRANSPARENT);
    // The block of lines is centred; each line starts at its left edge.
    const int margin = ScaleForDpi(8, dpi_);
    RECT measured{client.left + margin, client.top + margin, client.right - margin, client.bottom - margin};
    ::DrawTextW(buffer.dc(), text_.c_str(), -1, &measured, kTextFormat | DT_CALCRECT);
    const int w = measured.right - measured.left;
    const int h = measured.bottom - measured.top;
    RECT block{(width - w) / 2, (height - h) / 2, 0, 0};
    block.right = block.left + w;
    block.bottom = block.top + h;
    ::DrawTextW(buffer.dc(), text_.c_str(), -1, &block, kTextFormat);
  }
  ::BitBlt(paint.get(), 0, 0, width, height, buffer.dc(), 0, 0, SRCCOPY);
}

LRESULT CHelpWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      fw::CWnd::WindowProc(msg, wp, lp);
      OnSize(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
      // The hint never keeps the keyboard focus.
      if (wp) ::SetFocus(reinterpret_cast<HWND>(wp));
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_DROPFILES:
      if (dropTarget_ && ::IsWindow(dropTarget_)) return ::SendMessageW(dropTarget_, msg, wp, lp);
      ::DragFinish(reinterpret_cast<HDROP>(wp));
      return 0;
  }
  return fw::CWnd::WindowProc(msg, wp, lp);
}

}  // namespace k3
