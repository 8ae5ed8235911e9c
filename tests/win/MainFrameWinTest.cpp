// The main frame object: its own window class, its icon, and the lifetime
// of the drifting window it creates.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "desktop/Driftlet.h"
#include "res/resource.h"

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

}  // namespace
}  // namespace k3
