// The progress dialog in this process: its bar, its cancel check and its
// window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "res/resource.h"
#include "dialogs/ProgressDlg.h"

namespace k3 {
namespace {

// Counts PBM_SETPOS messages that reach the bar.
struct BarSpy {
  static inline int setPosCalls = 0;
  static inline WNDPROC original = nullptr;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == PBM_SETPOS) ++setPosCalls;
    return ::CallWindowProcW(original, hwnd, msg, wp, lp);
  }
  static void Attach(HWND bar) {
    setPosCalls = 0;
    original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
};

HWND Bar(const CProgressDlg& dlg) { return ::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS_BAR); }
int BarPos(const CProgressDlg& dlg) { return static_cast<int>(::SendMessageW(Bar(dlg), PBM_GETPOS, 0, 0)); }

TEST(ProgressDlg, BarMovesByQuartersClampsAndSkipsRepeats) {
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Open(nullptr, 0, 4, false));
  ASSERT_TRUE(Bar(dlg));
  EXPECT_EQ(::SendMessageW(Bar(dlg), PBM_GETRANGE, FALSE, 0), 100);
  for (int p = 0; p <= 4; ++p) {
    EXPECT_TRUE(dlg.SetPos(p));
    EXPECT_EQ(BarPos(dlg), 25 * p);
  }
  dlg.SetPos(9);
  EXPECT_EQ(BarPos(dlg), 100);
  dlg.SetPos(-2);
  EXPECT_EQ(BarPos(dlg), 0);

  BarSpy::Attach(Bar(dlg));
  dlg.SetPos(2);
  dlg.SetPos(2);
  EXPECT_EQ(BarSpy::setPosCalls, 1) << "the same rounded position is sent once";
  dlg.DestroyWindow();
}

TEST(ProgressDlg, EmptyRangeRunsOnWithAFullBar) {
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Open(nullptr, 3, 3, false));
  EXPECT_TRUE(dlg.SetPos(3));
  EXPECT_EQ(BarPos(dlg), 100);
}

TEST(ProgressDlg, TopmostWithoutTaskBarButtonAndCounted) {
  ASSERT_EQ(CProgressDlg::OpenCount(), 0);
  {
    CProgressDlg first;
    ASSERT_TRUE(first.Open(nullptr, 0, 10, false));
    const LONG_PTR ex = ::GetWindowLongPtrW(first.m_hWnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_NE(::GetWindowLongPtrW(first.m_hWnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION) << "no caption";
    EXPECT_TRUE(::IsWindowVisible(first.m_hWnd));
    EXPECT_EQ(CProgressDlg::OpenCount(), 1);

    // A second one stays hidden but works.
    auto second = std::make_unique<CProgressDlg>();
    ASSERT_TRUE(second->Open(nullptr, 0, 2, true));
    EXPECT_FALSE(::IsWindowVisible(second->m_hWnd));
    EXPECT_EQ(CProgressDlg::OpenCount(), 2);
    EXPECT_TRUE(second->SetPos(1));
    EXPECT_EQ(BarPos(*second), 50);
    ::PostMessageW(first.m_hWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(second->SetPos(2)) << "its cancel check still works";
    second.reset();
    EXPECT_EQ(CProgressDlg::OpenCount(), 1);
  }
  EXPECT_EQ(CProgressDlg::OpenCount(), 0);
}

// Whether `lower` comes after `upper` in the stacking order.
bool IsBelow(HWND lower, HWND upper) {
  for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

TEST(ProgressDlg, AWindowThatCameOverTheBarGoesBelowItAtTheNextStep) {
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Open(nullptr, 0, 4, false));
  HWND other = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 40, 40, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  ::SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ASSERT_TRUE(IsBelow(dlg.m_hWnd, other)) << "the other window came over the bar";
  dlg.SetPos(1);
  EXPECT_TRUE(IsBelow(other, dlg.m_hWnd));
  // Already on top, it stays there.
  dlg.SetPos(2);
  EXPECT_TRUE(IsBelow(other, dlg.m_hWnd));
  ::DestroyWindow(other);
}

TEST(ProgressDlg, WaitingClickCancelsOnlyWhenAllowed) {
  HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  MSG msg;
  {
    CProgressDlg fixed;
    ASSERT_TRUE(fixed.Open(nullptr, 0, 10, false));
    ::PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(fixed.SetPos(3));
    EXPECT_TRUE(::PeekMessageW(&msg, other, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE)) << "the click stays queued";
  }
  {
    CProgressDlg cancellable;
    ASSERT_TRUE(cancellable.Open(nullptr, 0, 10, true));
    EXPECT_TRUE(cancellable.SetPos(1));
    ::PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(cancellable.SetPos(2));
    EXPECT_FALSE(::PeekMessageW(&msg, other, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE)) << "the click is consumed";
    ::PostMessageW(other, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_FALSE(cancellable.SetPos(3)) << "a right click cancels too";
    EXPECT_TRUE(cancellable.SetPos(4));
  }
  ::DestroyWindow(other);
}

TEST(ProgressDlg, CentredVerticallyOverItsOwner) {
  HWND owner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 200, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
  CProgressDlg dlg;
  ASSERT_TRUE(dlg.Open(owner, 0, 1, false));
  RECT rc;
  ::GetWindowRect(dlg.m_hWnd, &rc);
  EXPECT_EQ(rc.top, 200 + (300 - (rc.bottom - rc.top)) / 2);
  EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), owner);
  dlg.DestroyWindow();
  ::DestroyWindow(owner);
}

}  // namespace
}  // namespace k3
