// The drifting window object on its own: how it is created and closed, its
// paint and grab loops, and the photo rebuild.
#include <windows.h>

#include <gtest/gtest.h>

#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "framework/Handles.h"
#include "imaging/Img.h"

namespace k3 {
namespace {

// A window that takes the mouse capture when it paints: the grab loop
// delivers paint messages, so it takes the capture in the middle of a grab.
class CaptureThief : public fw::CWnd {
 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_PAINT) {
      fw::PaintDc dc(m_hWnd);
      ::SetCapture(m_hWnd);
      return 0;
    }
    return fw::CWnd::WindowProc(msg, wp, lp);
  }
};

// The mouse button stays down for as many checks as it is asked for.
class HeldDriftlet : public CDriftlet {
 public:
  mutable int checks = 0;
  int holdFor = 0;

 protected:
  bool PrimaryButtonHeld() const override { return ++checks < holdFor; }
};

TEST(Driftlet, ToolWindowChoiceAndCloseRequestAreHandedIn) {
  CDriftlet normal;
  ASSERT_TRUE(normal.CreateDriftWindow(L"Drift test", true, nullptr));
  EXPECT_TRUE(::GetWindowLongPtrW(normal.m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  // The system adds sibling clipping to every top-level window.
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(normal.m_hWnd, GWL_STYLE)) & ~WS_CLIPSIBLINGS, 0x90080000u);
  // Without a close target the window stays.
  normal.SendMessage(WM_CLOSE);
  EXPECT_TRUE(::IsWindow(normal.m_hWnd));

  HWND target = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(target);
  CDriftlet viewer;
  ASSERT_TRUE(viewer.CreateDriftWindow(L"Drift test", false, target));
  EXPECT_FALSE(::GetWindowLongPtrW(viewer.m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  viewer.SendMessage(WM_CLOSE);
  MSG msg;
  EXPECT_TRUE(::PeekMessageW(&msg, target, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "the close request goes to the target";
  EXPECT_TRUE(::IsWindow(viewer.m_hWnd)) << "which decides; the window itself stays until then";
  ::DestroyWindow(target);
}

TEST(Driftlet, PaintWhileComposingIsStillAnswered) {
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  ::SetWindowPos(d.m_hWnd, nullptr, 0, 0, 60, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  d.composing = true;
  ::InvalidateRect(d.m_hWnd, nullptr, FALSE);
  ::UpdateWindow(d.m_hWnd);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(d.m_hWnd, &update, FALSE)) << "the window is validated";
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, d.m_hWnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  d.composing = false;
}

TEST(Driftlet, GrabEndsWhenAnotherWindowTakesTheCapture) {
  CaptureThief thief;
  ASSERT_TRUE(thief.CreateEx(WS_EX_TOOLWINDOW, nullptr, L"", WS_POPUP | WS_VISIBLE, RECT{300, 300, 340, 340},
                             nullptr, 0));
  HeldDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  d.holdFor = 3000;  // several seconds of the loop's 1 ms pauses
  ::InvalidateRect(thief.m_hWnd, nullptr, FALSE);
  d.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_LT(d.checks, 50) << "the grab went on after the capture was lost";
  EXPECT_EQ(::GetCapture(), thief.m_hWnd) << "the grab does not take the capture back or release another's";
  ::ReleaseCapture();

  // A plain release of the button ends it as well.
  d.checks = 0;
  d.holdFor = 3;
  d.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(d.checks, 3);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(Driftlet, RebuildingThePhotosKeepsGdiplusRunning) {
  fixtures::TempFolder folder;
  std::vector<std::wstring> photos;
  {
    fixtures::GdiplusSession encoders;
    for (const wchar_t* name : {L"a.jpg", L"b.jpg"}) {
      photos.push_back(folder.Write(
          name, fixtures::Encode(80, 60, [](int x, int) { return x < 40 ? 0xFFFF0000u : 0xFF0000FFu; }, L"image/jpeg")));
    }
  }
  ASSERT_EQ(CImg::LiveSurfaces(), 0);
  CDriftlet d;
  d.LoadPhotos(photos);
  ASSERT_EQ(d.items.size(), 2u);
  const int starts = CImg::GdiplusStartCount();
  d.SetPhotoSize(3);
  d.SetDisplayType(kRotate);
  d.LoadPhotos(photos);
  EXPECT_EQ(CImg::GdiplusStartCount(), starts) << "a rebuild stopped and restarted GDI+";
  ASSERT_EQ(d.items.size(), 2u);
  EXPECT_EQ(d.items[0]->width, 256 * 22 / 20);
  d.ClearItems();
  EXPECT_EQ(CImg::LiveSurfaces(), 0);
  EXPECT_FALSE(CImg::GdiplusStarted()) << "with the last surface GDI+ stops";
}

TEST(Driftlet, PreparedPhotosAreReusedWhileTheirTypeSizeAndFileStay) {
  fixtures::TempFolder folder;
  std::vector<std::wstring> photos;
  {
    fixtures::GdiplusSession encoders;
    for (const wchar_t* name : {L"a.jpg", L"b.jpg", L"c.jpg"}) {
      photos.push_back(folder.Write(name, fixtures::Encode(80, 60, [](int, int) { return 0xFF00FF00u; }, L"image/jpeg")));
    }
  }
  CDriftlet d;
  d.LoadPhotos({photos[0], photos[1]});
  ASSERT_EQ(d.items.size(), 2u);
  const CImg* a = d.items[0]->image.get();
  const CImg* b = d.items[1]->image.get();
  // One more photo selected: the two prepared ones are taken over, in the
  // new order.
  d.LoadPhotos({photos[1], photos[2], photos[0]});
  ASSERT_EQ(d.items.size(), 3u);
  EXPECT_EQ(d.items[0]->image.get(), b);
  EXPECT_EQ(d.items[2]->image.get(), a);
  // Another size: everything is prepared again.
  d.SetPhotoSize(1);
  ASSERT_EQ(d.items.size(), 3u);
  EXPECT_EQ(d.items[0]->width, 64 * 7 / 5) << "the Ripple canvas of a 64 photo";
  // A file written again is prepared again.
  const CImg* c = d.items[1]->image.get();
  const CImg* first = d.items[0]->image.get();
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{};
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart += 10'000'000;  // a second later
  const FILETIME later{t.LowPart, t.HighPart};
  {
    fw::FileHandle file(::CreateFileW(photos[2].c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &later));
  }
  d.LoadPhotos({photos[1], photos[2], photos[0]});
  EXPECT_EQ(d.items[0]->image.get(), first);
  EXPECT_NE(d.items[1]->image.get(), c) << "the changed file";
}

}  // namespace
}  // namespace k3
