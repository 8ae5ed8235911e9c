// The main frame object: its own window class, its icon, and the lifetime
// of the drifting window it creates.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>

#include <atomic>

#include "ImageFixtures.h"
#include "app/MainFrame.h"
#include "app/TrayMenu.h"
#include "res/Messages.h"
#include "framework/Dpi.h"
#include "framework/Services.h"
#include "desktop/Driftlet.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/DragLoops.h"
#include "ui/ViewLayout.h"

namespace k3 {
namespace {

constexpr DWORD kFrameStyle = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[128] = {};
  ::GetClassNameW(hwnd, name, 128);
  return name;
}

TEST(MainFrame, OwnShadowedClassIconAndDriftingWindowLifetime) {
  CDriftlet driftlet;
  bool active = false;
  HWND frameWindow = nullptr, driftWindow = nullptr;
  {
    CMainFrame frame(driftlet, L"Frame test", true, active);
    ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, kFrameStyle));
    frameWindow = frame.m_hWnd;
    driftWindow = driftlet.m_hWnd;
    ASSERT_TRUE(driftWindow) << "the frame creates the drifting window";

    // The drop shadow belongs to the frame's own class; the drifting
    // window's class has none.
    EXPECT_EQ(ClassOf(frameWindow), L"K3DriftletFrame");
    EXPECT_TRUE(::GetClassLongPtrW(frameWindow, GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_FALSE(::GetClassLongPtrW(driftWindow, GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_EQ(::GetClassLongPtrW(frameWindow, GCLP_HICON), 0);
    EXPECT_EQ(::GetClassLongPtrW(frameWindow, GCLP_HCURSOR), 0);
    EXPECT_EQ(::GetClassLongPtrW(frameWindow, GCLP_HBRBACKGROUND), 0);
    // The program's icon is the window's own, big and small.
    EXPECT_TRUE(frame.SendMessage(WM_GETICON, ICON_BIG));
    EXPECT_TRUE(frame.SendMessage(WM_GETICON, ICON_SMALL));
    // In viewer mode the drifting window shows in the task bar.
    EXPECT_FALSE(::GetWindowLongPtrW(driftWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    frame.SendMessage(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(active);
    frame.SendMessage(WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(active);
  }
  // The frame's end destroys its window through its own destruction, which
  // takes the drifting window with it.
  EXPECT_FALSE(::IsWindow(frameWindow));
  EXPECT_FALSE(::IsWindow(driftWindow));
  EXPECT_EQ(driftlet.m_hWnd, nullptr);
}

// The frame owns the pause key and the notification area's icon in both
// modes; the key, a left click on the icon and the menu's commands reach
// the drift through the frame's messages.
TEST(DriftControls, TheKeyTheIconAndTheMenusCommandsInViewerMode) {
  CDriftlet driftlet;
  bool active = false;
  {
    CMainFrame frame(driftlet, L"Controls test", true, active);
    ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, kFrameStyle));
    EXPECT_TRUE(frame.Controls().KeyAvailable());
    EXPECT_TRUE(frame.Controls().IconAdded()) << "the shell took the icon";
    frame.SendMessage(WM_HOTKEY, DriftControls::kHotkeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'P'));
    EXPECT_TRUE(driftlet.Hold().paused);
    EXPECT_TRUE(driftlet.Activity().shown);
    EXPECT_FALSE(driftlet.Activity().switching);
    frame.SendMessage(WM_COMMAND, kTrayPause);
    EXPECT_FALSE(driftlet.Hold().paused);
    frame.SendMessage(WM_COMMAND, kTrayHide);
    EXPECT_FALSE(driftlet.Activity().shown);
    EXPECT_FALSE(::IsWindowVisible(driftlet.m_hWnd));
    frame.SendMessage(WM_COMMAND, kTrayHide);
    EXPECT_TRUE(::IsWindowVisible(driftlet.m_hWnd));
    // A left click on the icon, as the shell reports it.
    frame.SendMessage(WM_TRAY_ICON, 0, MAKELPARAM(NIN_SELECT, DriftControls::kIconId));
    frame.SendMessage(WM_TRAY_ICON, 0, MAKELPARAM(WM_LBUTTONUP, DriftControls::kIconId));
    EXPECT_TRUE(driftlet.Hold().paused) << "one click, one toggle";
    // Explorer started again: the icon is given again.
    frame.SendMessage(::RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(frame.Controls().IconAdded());

    // Another program's key: the rest works, the menu says so.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(::RegisterHotKey(other, 9, MOD_CONTROL | MOD_ALT, 'P')) << "the frame holds the key";
    frame.DestroyWindow();
    EXPECT_TRUE(::RegisterHotKey(other, 9, MOD_CONTROL | MOD_ALT, 'P')) << "given back at the end";
    DriftControls second(driftlet, false);
    second.Start(other, nullptr, L"t");
    EXPECT_FALSE(second.KeyAvailable());
    EXPECT_EQ(TrayMenuItems(second.State()).front().textPair, unsigned{IDS_TRAY_RESUME_NO_KEY});
    second.Stop();
    EXPECT_FALSE(second.IconAdded());
    ::UnregisterHotKey(other, 9);
    ::DestroyWindow(other);
  }
}

SIZE WindowSize(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The frame's screen changes DPI (the system sends the new DPI and the
// rectangle it suggests): the frame takes that rectangle and the view draws
// itself for the DPI: its layout, fonts, rows and smallest size.
TEST(MainFrame, AnotherDpiResizesTheFrameAndScalesTheViewsLayoutFontsAndRows) {
  fixtures::TempFolder folder;
  CDriftlet driftlet;
  bool active = false;
  CMainFrame frame(driftlet, L"Frame test", false, active);
  ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, kFrameStyle));
  CChildView* view = frame.View();
  ASSERT_TRUE(view);
  view->Photos().SetListFilePath(folder.path() + L"IMG.DAT");
  HWND list = ::GetDlgItem(view->m_hWnd, ids::kImageList);
  HWND close = ::GetDlgItem(view->m_hWnd, ids::kClose);
  HWND label = nullptr;
  for (HWND c = ::GetWindow(view->m_hWnd, GW_CHILD); c && !label; c = ::GetWindow(c, GW_HWNDNEXT)) {
    if (::GetDlgCtrlID(c) == static_cast<int>(ids::kLabel)) label = c;
  }
  ASSERT_TRUE(list && close && label);
  const auto expectAt = [&](int dpi, SIZE size) {
    EXPECT_EQ(frame.Dpi(), dpi);
    EXPECT_EQ(view->Dpi(), dpi);
    EXPECT_EQ(WindowSize(frame.m_hWnd).cx, size.cx);
    EXPECT_EQ(WindowSize(frame.m_hWnd).cy, size.cy);
    const ViewLayout layout = LayoutView(size.cx, size.cy, dpi);
    RECT at{};
    ::GetWindowRect(close, &at);
    ::MapWindowPoints(nullptr, view->m_hWnd, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(FromRect(at), layout.closeButton);
    EXPECT_EQ(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), ScaleForDpi(100, dpi));
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, ScaleForDpi(16, dpi));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(view->m_hWnd, ids::kStrengthSlider), TBM_GETTHUMBLENGTH, 0, 0),
              dpi == 96 ? 21 : 31);
    MINMAXINFO limits{};
    frame.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, ScaleForDpi(800, dpi));
    EXPECT_EQ(limits.ptMinTrackSize.y, ScaleForDpi(600, dpi));
  };
  expectAt(96, SIZE{800, 600});
  RECT suggested{40, 30, 40 + 1200, 30 + 900};
  frame.SendMessage(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  expectAt(144, SIZE{1200, 900});
  EXPECT_EQ(WindowSize(frame.m_hWnd).cx, 1200);
  RECT placed{};
  ::GetWindowRect(frame.m_hWnd, &placed);
  EXPECT_EQ(placed.left, 40) << "where the system suggests";
  suggested = RECT{40, 30, 40 + 800, 30 + 600};
  frame.SendMessage(WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  expectAt(96, SIZE{800, 600});
}

// The frame dragged onto a monitor of another DPI (the system's message
// arrives from inside the drag's loop) takes the suggested size and keeps
// it for the rest of the drag, following the mouse.
TEST(MainFrame, AnotherDpiMetDuringADragKeepsTheSuggestedSize) {
  fixtures::TempFolder folder;
  CDriftlet driftlet;
  bool active = false;
  CMainFrame frame(driftlet, L"Frame test", false, active);
  ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, kFrameStyle));
  frame.View()->Photos().SetListFilePath(folder.path() + L"IMG.DAT");
  ::SetWindowPos(frame.m_hWnd, nullptr, 50, 40, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
  const POINT p{300, 60};
  ASSERT_TRUE(::SetCursorPos(p.x, p.y));
  std::atomic<bool> down{true};
  std::thread system([&] {
    const auto moveTo = [&](int x) {
      ::SetCursorPos(x, p.y);
      ::PostMessageW(frame.View()->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, 0);
      ::Sleep(150);
    };
    ::Sleep(150);
    moveTo(p.x + 20);
    // The rectangle the system suggests for the larger frame.
    RECT suggested{40, 30, 40 + 1200, 30 + 900};
    ::SendMessageW(frame.m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    moveTo(p.x + 50);
    down = false;
  });
  // Started as a press on the view starts it, at the pointer's position.
  ::PostMessageW(frame.View()->m_hWnd, WM_NULL, 0, 0);
  MSG msg;
  ::PeekMessageW(&msg, frame.View()->m_hWnd, WM_NULL, WM_NULL, PM_REMOVE);
  MoveByDrag(frame.View()->m_hWnd, frame.m_hWnd, [&] { return down.load(); });
  system.join();
  RECT now{};
  ::GetWindowRect(frame.m_hWnd, &now);
  EXPECT_EQ(now.right - now.left, 1200) << "the suggested size, kept";
  EXPECT_EQ(now.bottom - now.top, 900);
  EXPECT_EQ(now.left, 40 + 30) << "moved on from the suggested place";
  EXPECT_EQ(now.top, 30);
}

}  // namespace
}  // namespace k3
