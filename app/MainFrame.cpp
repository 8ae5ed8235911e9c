#include "app/MainFrame.h"

#include <algorithm>

#include "app/StartupRules.h"

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/Palette.h"
#include "ui/ViewResources.h"

namespace k3 {

namespace {
// The frame's own window class: it alone casts the drop shadow.
constexpr wchar_t kFrameClass[] = L"K3DriftletFrame";

// The program's icon at the size the system asks for at `dpi`.
fw::OwnedIcon LoadProgramIcon(int sizeMetric, int dpi) {
  const int side = MetricForDpi(sizeMetric, dpi);
  return fw::OwnedIcon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, side, side, 0)));
}
}  // namespace

CMainFrame::CMainFrame(CDriftlet& driftlet, const std::wstring& title, bool viewerMode, bool& appActive,
                       std::uint32_t versionMS, std::uint32_t versionLS)
    : driftlet_(driftlet),
      title_(title),
      viewerMode_(viewerMode),
      appActive_(appActive),
      versionMS_(versionMS),
      versionLS_(versionLS),
      controls_(driftlet, viewerMode) {}

CMainFrame::~CMainFrame() {
  if (m_hWnd) DestroyWindow();
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!fw::CFrameWnd::PreCreateWindow(cs)) return FALSE;
  // No cursor, background or icon: the view paints everything. The drop
  // shadow is the class's own, so no other window casts one.
  className_ = fw::RegisterNamedWndClass(kFrameClass, CS_DROPSHADOW);
  cs.lpszClass = className_.c_str();
  return TRUE;
}

LRESULT CMainFrame::OnCreate(UINT msg, WPARAM wp, LPARAM lp) {
  if (fw::CFrameWnd::WindowProc(msg, wp, lp) == -1) return -1;

  // The class has no icon: the task bar and the window switcher get the
  // program's from the window itself.
  dpi_ = WindowDpi(m_hWnd);
  SetIcons();

  // In viewer mode closing the drifting window closes this hidden frame; in
  // normal mode it has no task-bar button of its own.
  driftlet_.CreateDriftWindow(title_.c_str(), !viewerMode_, viewerMode_ ? m_hWnd : nullptr);
  controls_.Start(m_hWnd, smallIcon_.get(), title_);
  if (viewerMode_) return 0;

  RECT work{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) work = RECT{};
  FitLayout(dpi_, work);
  const RECT rc =
      CenterInWorkArea(SIZE{ScaleForDpi(kMinimumSize.cx, layoutDpi_), ScaleForDpi(kMinimumSize.cy, layoutDpi_)});
  ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  PrepareSplash();

  view_ = std::make_unique<CChildView>(ViewContext{driftlet_, title_, versionMS_, versionLS_, appActive_});
  if (!view_->CreateView(m_hWnd)) {
    view_.reset();
    return -1;
  }
  // A frame drawn smaller than the screen's DPI asks, to fit its monitor.
  view_->SetDpi(layoutDpi_);
  RecalcLayout();
  return 0;
}

void CMainFrame::PrepareSplash() {
  SetWindowAlphaPercent(0, m_hWnd);
  PostMessage(WM_START_SPLASH);
  logo_ = std::make_unique<CLogoWnd>();
  if (!logo_->CreateLogo(m_hWnd, dpi_)) logo_.reset();
}

void CMainFrame::RunSplash() {
  // Only paint messages are delivered while the logo fades: the splash
  // holds the thread for a little over three seconds.
  if (logo_ && logo_->m_hWnd) {
    HWND logo = logo_->m_hWnd;
    ::RedrawWindow(logo, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // With the system's animations off the logo appears and goes without
    // fading.
    const bool fade = ClientAreaAnimationsOn();
    if (!fade) SetWindowAlphaPercent(100, logo);
    for (int percent : SplashFadeInPercents()) {
      if (!fade) break;
      SetWindowAlphaPercent(percent, logo);
      PumpPaintMessages();
      ::Sleep(50);
    }
    PumpPaintMessages();
    ::Sleep(1500);
    PumpPaintMessages();
    for (int percent : SplashFadeOutPercents()) {
      if (!fade) break;
      SetWindowAlphaPercent(percent, logo);
      PumpPaintMessages();
      ::Sleep(25);
    }
  }
  SetWindowAlphaPercent(100, m_hWnd);
  PostMessage(WM_RESTORE_STACKING);
  // The object stays until the frame goes.
  if (logo_) logo_->DestroyWindow();
}

void CMainFrame::OnSize(int width, int height) {
  const int round = ScaleForDpi(4, dpi_);
  fw::GdiRegion region(::CreateRoundRectRgn(0, 0, width, height, round, round));
  // The window owns the region once it is set.
  if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) region.release();
}

void CMainFrame::FitLayout(int dpi, const RECT& work) {
  layoutDpi_ = FittingDpi(dpi, kMinimumSize.cx, kMinimumSize.cy, work.right - work.left, work.bottom - work.top);
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* info) {
  // Never more than the work area: the frame's smallest size is that of
  // its layout.
  info->ptMinTrackSize.x = ScaleForDpi(kMinimumSize.cx, layoutDpi_);
  info->ptMinTrackSize.y = ScaleForDpi(kMinimumSize.cy, layoutDpi_);
}

void CMainFrame::SetIcons() {
  // The window keeps the icons it was given until others come: the old
  // ones go only after the new ones are in place.
  fw::OwnedIcon big = LoadProgramIcon(SM_CXICON, dpi_), small = LoadProgramIcon(SM_CXSMICON, dpi_);
  if (big) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  if (small) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The notification area's icon takes the new one (the shell keeps a
  // copy).
  if (small) controls_.SetIcon(small.get());
  if (big) bigIcon_ = std::move(big);
  if (small) smallIcon_ = std::move(small);
}

void CMainFrame::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  SetIcons();
  // The rectangle the system suggests keeps the frame's logical size and
  // the point under the mouse where it was; on a monitor it does not fit,
  // the frame is laid out smaller and kept inside the work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{};
  if (::GetMonitorInfoW(::MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
  FitLayout(dpi, work);
  if (view_) view_->SetDpi(layoutDpi_);
  RECT place = suggested;
  if (work.right > work.left && work.bottom > work.top) {
    const LONG w = std::min(place.right - place.left, work.right - work.left);
    const LONG h = std::min(place.bottom - place.top, work.bottom - work.top);
    place.left = std::clamp(place.left, work.left, work.right - w);
    place.top = std::clamp(place.top, work.top, work.bottom - h);
    place.right = place.left + w;
    place.bottom = place.top + h;
  }
  ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CMainFrame::ConfirmClose() {
  if (viewerMode_ || endedForInstaller_) return true;
  return ShowPairedMessage(m_hWnd, IDS_CONFIRM_EXIT_JA, IDS_CONFIRM_EXIT_EN, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CMainFrame::OnDestroy() {
  controls_.Stop();
  driftlet_.DestroyWindow();
  if (view_) {
    view_->DestroyWindow();
    view_.reset();
  }
  logo_.reset();
}

void CMainFrame::OnActivateApp(bool active) {
  appActive_ = active;
  // The view repaints its title in the active or inactive look.
  if (view_ && view_->m_hWnd) ::InvalidateRect(view_->m_hWnd, nullptr, TRUE);
}

void CMainFrame::OnPaint() {
  fw::PaintDc dc(m_hWnd);
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  fw::GdiBrush brush(::CreateSolidBrush(palette::kPanel));
  if (brush) ::FillRect(dc.get(), &rc, brush.get());
}

BOOL CMainFrame::OnCmdMsg(UINT id, int code) {
  // The view has the first say over every command.
  if (view_ && view_->OnCmdMsg(id, code)) return TRUE;
  return fw::CFrameWnd::OnCmdMsg(id, code);
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
  if (view_ && view_->m_hWnd && view_->PreTranslateKeys(msg)) return TRUE;
  return fw::CFrameWnd::PreTranslateMessage(msg);
}

void CMainFrame::OnEndSession() {
  controls_.Stop();
  if (view_) view_->EndSession();
  driftlet_.EndSession();
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The pause key, the notification area's icon and its menu.
  if (controls_.OnMessage(msg, wp, lp)) return 0;
  switch (msg) {
    case WM_CREATE:
      return OnCreate(msg, wp, lp);
    case WM_SIZE:
      fw::CFrameWnd::WindowProc(msg, wp, lp);
      OnSize(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_MOVE:
      if (view_ && view_->m_hWnd) view_->PlaceHelpWindow();
      break;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
      break;
    case WM_START_SPLASH:
      RunSplash();
      return 0;
    case WM_ACTIVATE: {
      // The focus is where it was when the frame is activated again.
      if (LOWORD(wp) == WA_INACTIVE && view_) view_->RememberFocus();
      const LRESULT r = fw::CFrameWnd::WindowProc(msg, wp, lp);
      if (LOWORD(wp) != WA_INACTIVE && !HIWORD(wp) && view_) view_->RestoreFocus();
      // The activated frame may have been raised over the drifting window
      // by the window system; once the activation is done, the drifting
      // window goes back to its place.
      if (LOWORD(wp) != WA_INACTIVE && !viewerMode_) PostMessage(WM_RESTORE_STACKING);
      return r;
    }
    case WM_PARENTNOTIFY:
      // Some window systems raise the window a press lands in over every
      // other, the drifting window too.
      if (LOWORD(wp) == WM_LBUTTONDOWN || LOWORD(wp) == WM_RBUTTONDOWN) PostMessage(WM_RESTORE_STACKING);
      break;
    case WM_RESTORE_STACKING:
      if (view_) view_->RaiseHelpWindow();
      driftlet_.RestoreStacking();
      return 0;
    case WM_CLOSE:
      if (!ConfirmClose()) return 0;
      break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED:
      // High contrast turned on or off, or other colours of the system's.
      if (view_ && view_->m_hWnd) {
        const ViewColours colours = ColoursOfSystem();
        if (colours != view_->Colours()) view_->ApplyColours(colours);
      }
      break;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_QUERYENDSESSION:
      // Logoff, shutdown, a restart after an update, an installer that asks
      // the program to close (the Restart Manager): no question stands in
      // the way.
      return TRUE;
    case WM_ENDSESSION:
      // The process may end as soon as this returns, without its windows
      // being destroyed: what the end of the program would keep is kept now.
      // An end that was cancelled (FALSE) leaves everything running.
      if (wp) {
        OnEndSession();
        // The Restart Manager expects the program itself to end; the close
        // it may send later asks nothing either.
        if (lp & ENDSESSION_CLOSEAPP) {
          endedForInstaller_ = true;
          PostMessage(WM_CLOSE);
        }
      }
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_ACTIVATEAPP: {
      const LRESULT r = fw::CFrameWnd::WindowProc(msg, wp, lp);
      OnActivateApp(wp != 0);
      return r;
    }
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
