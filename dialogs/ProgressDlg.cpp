#include "dialogs/ProgressDlg.h"

#include <commctrl.h>

#include "framework/Services.h"
#include "res/resource.h"

namespace k3 {

namespace {
constexpr UINT_PTR kTopTimer = 1;
}

CProgressDlg::CProgressDlg() : fw::CDialog(IDD_PROGRESS) {}

CProgressDlg::~CProgressDlg() {
  if (m_hWnd) DestroyWindow();
}

bool CProgressDlg::Open(HWND owner, int lower, int upper, bool cancellable) {
  scale_ = MakeProgressScale(lower, upper);
  cancellable_ = cancellable;
  lastPosition_ = 0;
  if (!owner) owner = ::GetFocus();
  if (!Create(owner)) return false;
  bar_ = ::GetDlgItem(m_hWnd, IDC_PROGRESS_BAR);
  // The 32-bit range message keeps negative and large bounds intact.
  const int low = scale_.lower < scale_.upper ? scale_.lower : scale_.upper;
  const int high = scale_.lower < scale_.upper ? scale_.upper : scale_.lower;
  if (bar_) ::SendMessageW(bar_, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  return true;
}

BOOL CProgressDlg::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  // Never a task bar button.
  const LONG_PTR ex = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
  ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  return TRUE;
}

void CProgressDlg::BringToTop() {
  // Asking the window system to restack a window already on top costs a
  // round trip to it at each step of the bar (a millisecond under Wine).
  if (::GetWindow(m_hWnd, GW_HWNDPREV)) {
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CProgressDlg::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CDialog::WindowProc(msg, wp, lp) == -1) return -1;
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  // Centred vertically over the owner (or the desktop); the template
  // centres it horizontally.
  RECT over{};
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  ::GetWindowRect(owner ? owner : ::GetDesktopWindow(), &over);
  RECT mine{};
  ::GetWindowRect(m_hWnd, &mine);
  const int height = mine.bottom - mine.top;
  ::SetWindowPos(m_hWnd, nullptr, mine.left, over.top + (over.bottom - over.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  // A dialog opened while another is open stays hidden but works.
  if (openCount_ == 0) {
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
    ::SetActiveWindow(m_hWnd);
  }
  ++openCount_;
  ::SetTimer(m_hWnd, kTopTimer, 1000, nullptr);
  return 0;
}

LRESULT CProgressDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(msg, wp, lp);
    case WM_TIMER:
      if (wp == kTopTimer) {
        // Stay above windows the operation may bring up.
        BringToTop();
        return 0;
      }
      break;
    case WM_DESTROY:
      --openCount_;
      ::KillTimer(m_hWnd, kTopTimer);
      break;
  }
  return fw::CDialog::WindowProc(msg, wp, lp);
}

BOOL CProgressDlg::SetPos(int position) {
  if (!m_hWnd) return TRUE;
  if (cancellable_) {
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE)) return FALSE;
    if (::PeekMessageW(&msg, nullptr, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_REMOVE)) return FALSE;
  }
  const int v = ProgressPosition(scale_, position);
  if (v == lastPosition_) return TRUE;
  lastPosition_ = v;
  if (bar_) ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(v), 0);
  BringToTop();
  PumpPaintMessages();
  return TRUE;
}

}  // namespace k3
