// The drifting window object on its own: how it is created and closed, its
// paint and grab loops, and the photo rebuild.
#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "desktop/Driftlet.h"
#include "desktop/DriftletProbe.h"
#include "desktop/Screens.h"
#include "framework/Handles.h"
#include "framework/Services.h"
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

// A switch period no choice of the panel offers, as a package may hold.
void SwitchEvery60Ms(CDriftlet& d) {
  DisplaySettings settings = d.Settings();
  settings.switchInterval = 60;
  DriftletProbe(d).ReplaceSettings(settings);
}

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

// A drift that composes a frame for as long as the test says.
struct ComposingDriftlet : CDriftlet {
  using CDriftlet::MarkComposing;
};

TEST(Driftlet, PaintWhileComposingIsStillAnswered) {
  ComposingDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  ::SetWindowPos(d.m_hWnd, nullptr, 0, 0, 60, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  d.MarkComposing(true);
  ::InvalidateRect(d.m_hWnd, nullptr, FALSE);
  ::UpdateWindow(d.m_hWnd);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(d.m_hWnd, &update, FALSE)) << "the window is validated";
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, d.m_hWnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  d.MarkComposing(false);
}

TEST(Driftlet, GrabEndsWhenAnotherWindowTakesTheCapture) {
  CaptureThief thief;
  ASSERT_TRUE(
      thief.CreateEx(WS_EX_TOOLWINDOW, nullptr, L"", WS_POPUP | WS_VISIBLE, RECT{300, 300, 340, 340}, nullptr, 0));
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
          name, fixtures::Encode(
                    80, 60, [](int x, int) { return x < 40 ? 0xFFFF0000u : 0xFF0000FFu; }, L"image/jpeg")));
    }
  }
  ASSERT_EQ(CImg::LiveSurfaces(), 0);
  CDriftlet d;
  d.LoadPhotos(photos);
  DriftletProbe(d).WaitForPhotos();
  ASSERT_EQ(DriftletProbe(d).Items().size(), 2u);
  const int starts = CImg::GdiplusStartCount();
  d.SetPhotoSize(3);
  DriftletProbe(d).WaitForPhotos();
  d.SetDisplayType(kRotate);
  DriftletProbe(d).WaitForPhotos();
  d.LoadPhotos(photos);
  DriftletProbe(d).WaitForPhotos();
  EXPECT_EQ(CImg::GdiplusStartCount(), starts) << "a rebuild stopped and restarted GDI+";
  ASSERT_EQ(DriftletProbe(d).Items().size(), 2u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->width, 256 * 22 / 20);
  DriftletProbe(d).ClearItems();
  EXPECT_EQ(CImg::LiveSurfaces(), 0);
  EXPECT_FALSE(CImg::GdiplusStarted()) << "with the last surface GDI+ stops";
}

// The ids of the timer messages that came for the window in `ms`
// milliseconds, after those already waiting are gone.
std::vector<WPARAM> TimersWithin(HWND window, DWORD ms) {
  MSG msg;
  while (::PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
  }
  ::Sleep(ms);
  std::vector<WPARAM> ids;
  while (::PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) ids.push_back(msg.wParam);
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

// An 80 x 60 blue JPEG in the folder.
std::wstring BluePhoto(fixtures::TempFolder& folder) {
  fixtures::GdiplusSession encoders;
  return folder.Write(L"a.jpg", fixtures::Encode(
                                    80, 60, [](int, int) { return 0xFF2080C0u; }, L"image/jpeg"));
}

// The drift's window made, showing the blue photo plain: the box that moves
// is the box that shows (an effect's next frame has a box a pixel or two
// different from the one stepped).
bool ShowPlainBluePhoto(CDriftlet& d, fixtures::TempFolder& folder) {
  if (!d.CreateDriftWindow(L"Drift test", true, nullptr)) return false;
  d.SetDisplayType(kPhoto);
  DriftletProbe(d).WaitForPhotos();
  d.LoadPhotos({BluePhoto(folder)});
  return DriftletProbe(d).WaitForPhotos();
}

TEST(Driftlet, TimersRunOnlyWhileThereArePhotos) {
  fixtures::TempFolder folder;
  const std::wstring photo = BluePhoto(folder);
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty()) << "no photos: nothing to move or draw";
  d.SetSpeed(1);
  d.SetSwitchInterval(0);
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty()) << "new periods start no timer without photos";

  SwitchEvery60Ms(d);
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  EXPECT_EQ(TimersWithin(d.m_hWnd, 150), (std::vector<WPARAM>{1, 2, 3})) << "switch, motion and frame";
  d.LoadPhotos({});
  DriftletProbe(d).WaitForPhotos();
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty());
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  d.SetSpeed(0);
  EXPECT_EQ(TimersWithin(d.m_hWnd, 150), (std::vector<WPARAM>{1, 2, 3}));
  DriftletProbe(d).ClearItems();
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty());
}

// What the system sends when the console display changes its state.
void SendDisplayState(HWND window, DWORD state, const GUID& setting = GUID_CONSOLE_DISPLAY_STATE) {
  struct {
    POWERBROADCAST_SETTING head;
    BYTE rest[sizeof(DWORD)];
  } message{};
  message.head.PowerSetting = setting;
  message.head.DataLength = sizeof state;
  std::memcpy(message.head.Data, &state, sizeof state);
  ::SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&message));
}

RECT WindowBox(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

TEST(Driftlet, HidesWithoutTimersWhileTheSessionIsLockedOrTheDisplayIsOffAndComesBackWhereItWas) {
  fixtures::TempFolder folder;
  const std::wstring photo = BluePhoto(folder);
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  SwitchEvery60Ms(d);
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  for (int i = 0; i < 5; ++i) DriftletProbe(d).StepMotion(true);
  ASSERT_TRUE(::IsWindowVisible(d.m_hWnd));
  const RECT before = WindowBox(d.m_hWnd);
  const MotionState motion = DriftletProbe(d).Motion();

  ::SendMessageW(d.m_hWnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  EXPECT_TRUE(d.Visibility().locked);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty()) << "a hidden drift runs no timers";
  d.SetSpeed(1);
  d.SetSwitchInterval(0);
  SwitchEvery60Ms(d);
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty()) << "new settings start none while locked";
  // Other session changes (a remote connection, say) change nothing.
  ::SendMessageW(d.m_hWnd, WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, 0);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));

  ::SendMessageW(d.m_hWnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
  const RECT after = WindowBox(d.m_hWnd);
  EXPECT_TRUE(::EqualRect(&before, &after)) << "back where it was";
  EXPECT_EQ(DriftletProbe(d).Motion().centreX, motion.centreX);
  EXPECT_EQ(DriftletProbe(d).Motion().centreY, motion.centreY);
  EXPECT_EQ(TimersWithin(d.m_hWnd, 150), (std::vector<WPARAM>{1, 2, 3}));

  SendDisplayState(d.m_hWnd, 0);
  EXPECT_TRUE(d.Visibility().displayOff);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty());
  SendDisplayState(d.m_hWnd, 2);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd)) << "a dimmed display still shows the photo";
  SendDisplayState(d.m_hWnd, 1);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
  // The session's own display says the same (over Remote Desktop the
  // console's may sleep while the session's shows).
  SendDisplayState(d.m_hWnd, 0, GUID_SESSION_DISPLAY_STATUS);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));
  SendDisplayState(d.m_hWnd, 1, GUID_SESSION_DISPLAY_STATUS);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
  // Windows 7 tells of the monitor's power.
  SendDisplayState(d.m_hWnd, 0, GUID_MONITOR_POWER_ON);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));
  SendDisplayState(d.m_hWnd, 1, GUID_MONITOR_POWER_ON);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));

  // Both reasons at once: the drift shows again when neither holds.
  ::SendMessageW(d.m_hWnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  SendDisplayState(d.m_hWnd, 0);
  ::SendMessageW(d.m_hWnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd)) << "unlocked, but the display is still off";
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty());
  SendDisplayState(d.m_hWnd, 1);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
  EXPECT_EQ(TimersWithin(d.m_hWnd, 150), (std::vector<WPARAM>{1, 2, 3}));
}

// Paused, the photo keeps its place and frame with no timer; hidden by the
// user, no window and no timer; with the system's animations off it stands
// still and only the switch timer runs. (A system that sends no foreground events adds the
// once-a-second look, timer 4, while the photo stands still.)
TEST(Driftlet, PausedHiddenOrWithoutAnimationsItRunsOnlyWhatItShows) {
  struct Animations {
    // Set in this process, and told to the window as the system's
    // broadcast tells every top-level window.
    HWND window = nullptr;
    void Set(bool on) const {
      ::SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(on)), 0);
      if (window) ::SendMessageW(window, WM_SETTINGCHANGE, SPI_SETCLIENTAREAANIMATION, 0);
    }
    ~Animations() { Set(true); }
  } animations;
  fixtures::TempFolder folder;
  const std::wstring photo = BluePhoto(folder);
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  animations.window = d.m_hWnd;
  EXPECT_TRUE(::GetWindowLongPtrW(d.m_hWnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
  EXPECT_EQ(::SendMessageW(d.m_hWnd, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), MA_NOACTIVATE)
      << "in the default order too";
  SwitchEvery60Ms(d);
  d.LoadPhotos({photo});
  DriftletProbe(d).WaitForPhotos();
  for (int i = 0; i < 5; ++i) DriftletProbe(d).StepMotion(true);
  const auto timers = [&] {
    std::vector<WPARAM> ids = TimersWithin(d.m_hWnd, 150);
    std::erase(ids, WPARAM{4});
    return ids;
  };
  const RECT before = WindowBox(d.m_hWnd);
  const auto at = [&](const RECT& r) {
    const RECT now = WindowBox(d.m_hWnd);
    return ::EqualRect(&r, &now) != FALSE;
  };

  d.SetPaused(true);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
  EXPECT_TRUE(timers().empty()) << "paused: no motion, frame or switch";
  DriftletProbe(d).StepMotion(true);
  EXPECT_TRUE(at(before)) << "a step of its own moves nothing";
  d.SetHiddenByUser(true);
  EXPECT_FALSE(::IsWindowVisible(d.m_hWnd));
  EXPECT_TRUE(TimersWithin(d.m_hWnd, 150).empty()) << "hidden: nothing at all";
  d.SetHiddenByUser(false);
  EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
  EXPECT_TRUE(at(before)) << "back where it was";
  d.SetPaused(false);
  EXPECT_EQ(timers(), (std::vector<WPARAM>{1, 2, 3}));

  animations.Set(false);
  EXPECT_TRUE(d.Hold().animationsOff) << "the change is heard";
  EXPECT_EQ(timers(), (std::vector<WPARAM>{1})) << "photos still switch";
  const RECT still = WindowBox(d.m_hWnd);
  DriftletProbe(d).StepMotion(true);
  EXPECT_TRUE(at(still));
  animations.Set(true);
  EXPECT_FALSE(d.Hold().animationsOff);
  EXPECT_EQ(timers(), (std::vector<WPARAM>{1, 2, 3}));
}

TEST(Driftlet, AWindowOfTheProgramItselfIsNeverAFullScreenProgram) {
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  Rect screen;
  const ForegroundFacts own = DriftWatch::Facts(d.m_hWnd, d.m_hWnd, &screen);
  EXPECT_TRUE(own.present);
  EXPECT_TRUE(own.ownProcess);
  EXPECT_FALSE(screen.Empty()) << "the drift's screen is known";
  EXPECT_TRUE(DriftWatch::Facts(::GetDesktopWindow(), d.m_hWnd, nullptr).desktopOrShell);
  EXPECT_FALSE(DriftWatch::Facts(nullptr, d.m_hWnd, nullptr).present);
  // A window of the program covering the whole screen (the main window
  // maximized, say) does not hide the drift.
  fw::CWnd cover;
  ASSERT_TRUE(cover.CreateEx(WS_EX_TOPMOST, nullptr, L"Cover", WS_POPUP | WS_VISIBLE, ToRect(screen), nullptr, 0));
  ::SetForegroundWindow(cover.m_hWnd);
  const ForegroundFacts covering = DriftWatch::Facts(cover.m_hWnd, d.m_hWnd, nullptr);
  EXPECT_TRUE(Covers(covering.client, screen));
  EXPECT_FALSE(FullScreenForeground(covering, screen, ShellState::Unknown));
  ::SendMessageW(d.m_hWnd, WM_DRIFT_FOREGROUND, 0, 0);
  EXPECT_FALSE(d.Visibility().fullScreen);
}

// The helper of the next test: run as another program (a copy of this one
// under another name), it covers the screen in the foreground for at most
// twenty seconds.
TEST(DriftWatch, CoverTheScreenAsAnotherProgram) {
  wchar_t flag[4] = L"";
  if (!::GetEnvironmentVariableW(L"K3_COVER_SCREEN", flag, 4)) GTEST_SKIP() << "run by the next test";
  RECT screen{};
  ::GetWindowRect(::GetDesktopWindow(), &screen);
  fw::CWnd cover;
  ASSERT_TRUE(cover.CreateEx(WS_EX_TOPMOST, nullptr, L"Cover", WS_POPUP | WS_VISIBLE, screen, nullptr, 0));
  ::SetForegroundWindow(cover.m_hWnd);
  e2e::PumpUntil([] { return false; }, 20000);
}

TEST(DriftWatch, TheSystemsOverlaysNeverCountAsFullScreenProgramsOtherProgramsDo) {
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  fixtures::TempFolder folder;
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (const auto& [name, overlay] : {std::pair{L"TextInputHost.exe", true}, std::pair{L"game.exe", false}}) {
    const std::wstring copy = folder.path() + name;
    ASSERT_TRUE(::CopyFileW(self, copy.c_str(), FALSE));
    ::SetEnvironmentVariableW(L"K3_COVER_SCREEN", L"1");
    e2e::Program other(copy, L"--gtest_filter=DriftWatch.CoverTheScreenAsAnotherProgram", false);
    ::SetEnvironmentVariableW(L"K3_COVER_SCREEN", nullptr);
    ASSERT_TRUE(other.Started());
    HWND fg = nullptr;
    ASSERT_TRUE(e2e::PumpUntil(
        [&] {
          fg = ::GetForegroundWindow();
          DWORD process = 0;
          ::GetWindowThreadProcessId(fg, &process);
          return process == other.Pid();
        },
        20000))
        << name;
    Rect screen;
    const ForegroundFacts f = DriftWatch::Facts(fg, d.m_hWnd, &screen);
    EXPECT_EQ(f.systemOverlay, overlay) << name;
    EXPECT_EQ(FullScreenForeground(f, screen, ShellState::Unknown), !overlay) << name;
    other.Kill();
  }
}

TEST(Driftlet, AfterTheScreenChangedAPhotoOutsideItComesBackAtTheNextStep) {
  fixtures::TempFolder folder;
  CDriftlet d;
  ASSERT_TRUE(ShowPlainBluePhoto(d, folder));
  DriftletProbe(d).StepMotion(true);
  RECT desktop{};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  // Where a larger screen had it: far beyond the right and the top edge.
  DriftletProbe(d).SetMotion(
      MotionState{DriftletProbe(d).Motion().direction, desktop.right + 900.0, desktop.top - 700.0});
  ::SendMessageW(d.m_hWnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(desktop.right, desktop.bottom));
  DriftletProbe(d).StepMotion(true);
  // What shows of the window: the frame's visible box (the whole window for
  // a plain photo).
  const RECT window = WindowBox(d.m_hWnd);
  RECT box = window;
  if (!DriftletProbe(d).FrameBox().Empty()) {
    box = ToRect(DriftletProbe(d).FrameBox());
    ::OffsetRect(&box, window.left, window.top);
  }
  EXPECT_GE(box.left, desktop.left);
  EXPECT_GE(box.top, desktop.top - 1);
  EXPECT_LE(box.right, desktop.right + 1);
  EXPECT_LE(box.bottom, desktop.bottom);
}

TEST(Driftlet, ThePhotoRoamsEveryScreenAndComesBackWhenOneGoes) {
  fixtures::TempFolder folder;
  CDriftlet d;
  ASSERT_TRUE(ShowPlainBluePhoto(d, folder));
  RECT desktop{};
  ::GetWindowRect(::GetDesktopWindow(), &desktop);
  // A smaller monitor left of the primary, at negative coordinates, with a
  // gap below it (the test's X server has one monitor).
  const Rect primary = FromRect(desktop);
  const Rect secondary{-500, 0, 0, primary.bottom - 150};
  std::vector<Rect> screens{primary, secondary};
  DriftletProbe(d).SetScreenSource([&] { return screens; });
  // The test takes the steps itself.
  for (UINT_PTR id : {1, 2, 3}) ::KillTimer(d.m_hWnd, id);
  // Leftwards from the primary's middle onto the secondary.
  DriftletProbe(d).SetMotion(MotionState{kPi * 0.99, primary.Width() / 2.0, primary.Height() / 4.0});
  bool onSecondary = false;
  for (int i = 0; i < 3000 && !onSecondary; ++i) {
    DriftletProbe(d).StepMotion(true);
    const Rect shown = FromRect(WindowBox(d.m_hWnd));
    ASSERT_TRUE(CoveredByAreas(shown, screens)) << i << ": " << shown.left << "," << shown.top;
    onSecondary = shown.right <= 0;
  }
  EXPECT_TRUE(onSecondary) << "the photo reached the monitor at negative coordinates";
  // That monitor goes: the photo is back on the primary at the next step.
  screens = {primary};
  ::SendMessageW(d.m_hWnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(desktop.right, desktop.bottom));
  DriftletProbe(d).StepMotion(true);
  const Rect shown = FromRect(WindowBox(d.m_hWnd));
  EXPECT_TRUE(CoveredByAreas(shown, screens)) << shown.left << "," << shown.top;
}

TEST(Driftlet, AnotherDpiPreparesThePhotosAtItsPixelsWhileTheOldOnesStandIn) {
  fixtures::TempFolder folder;
  CDriftlet d;
  ASSERT_TRUE(ShowPlainBluePhoto(d, folder));
  ASSERT_EQ(DriftletProbe(d).Items().size(), 1u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->width, 128) << "size 128 at 96 DPI";
  // The photo crossed onto a monitor at 150 %.
  RECT suggested{0, 0, 192, 144};
  ::SendMessageW(d.m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(d.Dpi(), 144);
  ASSERT_EQ(DriftletProbe(d).Items().size(), 1u) << "the old photo stands in";
  DriftletProbe(d).WaitForPhotos();
  EXPECT_EQ(DriftletProbe(d).Items()[0]->width, 192) << "128 logical pixels are 192 at 150 %";
  EXPECT_EQ(DriftletProbe(d).Items()[0]->dpi, 144);
  DriftletProbe(d).StepMotion(true);
  EXPECT_EQ(WindowBox(d.m_hWnd).right - WindowBox(d.m_hWnd).left, 192);
  // The grab cursor in the size the system asks for at 150 %.
  ICONINFO cursor{};
  ASSERT_TRUE(::GetIconInfo(d.GrabCursor(), &cursor));
  fw::GdiBitmap mask(cursor.hbmMask), colour(cursor.hbmColor);
  BITMAP bitmap{};
  ::GetObjectW(colour ? colour.get() : mask.get(), sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, MetricForDpi(SM_CXCURSOR, 144));
  EXPECT_EQ(bitmap.bmWidth, 48);
  // A step is a logical pixel: 1.5 screen pixels at 150 %, 2 at 200 %, 1
  // back at 100 %; the photo crosses a screen in the same time at each.
  const auto step = [&] {
    const MotionState a = DriftletProbe(d).Motion();
    DriftletProbe(d).StepMotion(false);
    const MotionState b = DriftletProbe(d).Motion();
    return std::hypot(b.centreX - a.centreX, b.centreY - a.centreY);
  };
  EXPECT_NEAR(step(), 1.5, 1e-6);
  ::SendMessageW(d.m_hWnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_NEAR(step(), 2.0, 1e-6);
  // And back.
  ::SendMessageW(d.m_hWnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  DriftletProbe(d).WaitForPhotos();
  EXPECT_EQ(DriftletProbe(d).Items()[0]->width, 128);
  EXPECT_NEAR(step(), 1.0, 1e-6);
}

// The mouse button as a test holds it.
class ButtonDriftlet : public CDriftlet {
 public:
  std::atomic<bool> down{true};

 protected:
  bool PrimaryButtonHeld() const override { return down; }
};

// A photo held while it meets a screen of another DPI (the system's message
// arrives from inside the grab's loop) stays under the pointer, at the new
// DPI's size once its photo is prepared.
TEST(Driftlet, AScreenOfAnotherDpiMetDuringAGrabKeepsThePhotoUnderThePointer) {
  fixtures::TempFolder folder;
  ButtonDriftlet d;
  ASSERT_TRUE(ShowPlainBluePhoto(d, folder));
  for (int i = 0; i < 3; ++i) DriftletProbe(d).StepMotion(true);
  const RECT start = WindowBox(d.m_hWnd);
  const POINT p{(start.left + start.right) / 2, (start.top + start.bottom) / 2};
  const auto centreX = [&] {
    const RECT r = WindowBox(d.m_hWnd);
    return (r.left + r.right) / 2;
  };
  ASSERT_TRUE(::SetCursorPos(p.x, p.y));
  int atDpiChange = 0;
  std::thread system([&] {
    const auto moveTo = [&](int x) {
      ::SetCursorPos(x, p.y);
      ::PostMessageW(d.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, 0);
      ::Sleep(150);
    };
    ::Sleep(150);
    moveTo(p.x + 30);
    RECT suggested{0, 0, 192, 192};
    ::SendMessageW(d.m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    atDpiChange = centreX();
    moveTo(p.x + 60);
    d.down = false;
  });
  // The press, posted so that it carries the pointer's position; the grab
  // runs until the button is up.
  ::PostMessageW(d.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  MSG msg;
  while (::PeekMessageW(&msg, d.m_hWnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE)) ::DispatchMessageW(&msg);
  system.join();
  EXPECT_NEAR(atDpiChange, p.x + 30, 2) << "the DPI change left the photo under the pointer";
  EXPECT_NEAR(centreX(), p.x + 60, 2);
  EXPECT_EQ(d.Dpi(), 144);
  DriftletProbe(d).WaitForPhotos();
  EXPECT_EQ(WindowBox(d.m_hWnd).right - WindowBox(d.m_hWnd).left, 192) << "128 logical pixels at 150 %";
  EXPECT_NEAR(centreX(), p.x + 60, 2) << "and still where it was let go";
}

TEST(Driftlet, PreparedPhotosAreReusedWhileTheirTypeSizeAndFileStay) {
  fixtures::TempFolder folder;
  std::vector<std::wstring> photos;
  {
    fixtures::GdiplusSession encoders;
    for (const wchar_t* name : {L"a.jpg", L"b.jpg", L"c.jpg"}) {
      photos.push_back(folder.Write(name, fixtures::Encode(
                                              80, 60, [](int, int) { return 0xFF00FF00u; }, L"image/jpeg")));
    }
  }
  CDriftlet d;
  d.LoadPhotos({photos[0], photos[1]});
  DriftletProbe(d).WaitForPhotos();
  ASSERT_EQ(DriftletProbe(d).Items().size(), 2u);
  const CImg* a = DriftletProbe(d).Items()[0]->image.get();
  const CImg* b = DriftletProbe(d).Items()[1]->image.get();
  // One more photo selected: the two prepared ones are taken over, in the
  // new order.
  d.LoadPhotos({photos[1], photos[2], photos[0]});
  DriftletProbe(d).WaitForPhotos();
  ASSERT_EQ(DriftletProbe(d).Items().size(), 3u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->image.get(), b);
  EXPECT_EQ(DriftletProbe(d).Items()[2]->image.get(), a);
  // Another size: everything is prepared again.
  d.SetPhotoSize(1);
  DriftletProbe(d).WaitForPhotos();
  ASSERT_EQ(DriftletProbe(d).Items().size(), 3u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->width, 64 * 7 / 5) << "the Ripple canvas of a 64 photo";
  // A file written again is prepared again.
  const CImg* c = DriftletProbe(d).Items()[1]->image.get();
  const CImg* first = DriftletProbe(d).Items()[0]->image.get();
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{};
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart += 10'000'000;  // a second later
  const FILETIME later{t.LowPart, t.HighPart};
  {
    fw::FileHandle file(
        ::CreateFileW(photos[2].c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &later));
  }
  d.LoadPhotos({photos[1], photos[2], photos[0]});
  DriftletProbe(d).WaitForPhotos();
  EXPECT_EQ(DriftletProbe(d).Items()[0]->image.get(), first);
  EXPECT_NE(DriftletProbe(d).Items()[1]->image.get(), c) << "the changed file";
}

using e2e::PumpUntil;

std::vector<std::wstring> Photos(fixtures::TempFolder& folder, int count, int width, int height) {
  std::vector<std::wstring> photos;
  fixtures::GdiplusSession encoders;
  for (int k = 0; k < count; ++k) {
    const std::uint32_t colour = 0xFF000000u | static_cast<std::uint32_t>(k * 40) << 16 | 0x80C0u;
    photos.push_back(folder.Write(L"p" + std::to_wstring(k) + L".jpg",
                                  fixtures::Encode(
                                      width, height, [=](int, int) { return colour; }, L"image/jpeg")));
  }
  return photos;
}

TEST(Driftlet, PhotosArePreparedOnWorkersAndJoinTheDriftAsTheyCome) {
  fixtures::TempFolder folder;
  const std::vector<std::wstring> photos = Photos(folder, 3, 640, 480);
  CDriftlet d;
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  d.SetDisplayType(kPhoto);
  d.SetPhotoSize(3);
  // Nothing is prepared on the interface thread: the photos come with the
  // workers' notice, and the window shows the first one then.
  d.LoadPhotos(photos);
  EXPECT_TRUE(DriftletProbe(d).Items().empty());
  RECT shown = WindowBox(d.m_hWnd);
  EXPECT_TRUE(::IsRectEmpty(&shown));
  ASSERT_TRUE(PumpUntil([&] { return DriftletProbe(d).Items().size() == 3; }));
  for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(DriftletProbe(d).Items()[k]->path, photos[k]);
  shown = WindowBox(d.m_hWnd);
  EXPECT_EQ(shown.right - shown.left, 256);

  // Another size: the photos of the old size stand in until the new ones
  // come, so the drift never goes empty in between.
  d.SetPhotoSize(1);
  ASSERT_EQ(DriftletProbe(d).Items().size(), 3u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->photoSize, 3);
  ASSERT_TRUE(PumpUntil([&] {
    return std::all_of(DriftletProbe(d).Items().begin(), DriftletProbe(d).Items().end(),
                       [](const auto& item) { return item->photoSize == 1; });
  }));
  shown = WindowBox(d.m_hWnd);
  EXPECT_EQ(shown.right - shown.left, 64) << "the shown photo is redrawn at its new size";

  // A new list while the last is being prepared: nothing of the last one
  // reaches the drift.
  d.SetPhotoSize(4);
  d.LoadPhotos({photos[2]});
  ASSERT_TRUE(DriftletProbe(d).WaitForPhotos());
  PumpUntil([] { return false; }, 200);
  ASSERT_EQ(DriftletProbe(d).Items().size(), 1u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->path, photos[2]);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->photoSize, 4);
  EXPECT_EQ(DriftletProbe(d).CurrentIndex(), 0);

  // A list that shares no photo with the one shown: that photo goes on
  // showing until the first new one comes.
  d.LoadPhotos({photos[0], photos[1]});
  ASSERT_EQ(DriftletProbe(d).Items().size(), 1u);
  EXPECT_EQ(DriftletProbe(d).Items()[0]->path, photos[2]);
  shown = WindowBox(d.m_hWnd);
  EXPECT_FALSE(::IsRectEmpty(&shown));
  // The first to come is shown, and stays shown when the other joins ahead
  // of it (the workers may finish in either order).
  ASSERT_TRUE(PumpUntil([&] { return DriftletProbe(d).Items()[0]->path != photos[2]; }));
  const std::wstring first = DriftletProbe(d).Items()[static_cast<std::size_t>(DriftletProbe(d).CurrentIndex())]->path;
  ASSERT_TRUE(PumpUntil([&] { return DriftletProbe(d).Items().size() == 2; }));
  EXPECT_EQ(DriftletProbe(d).Items()[0]->path, photos[0]);
  EXPECT_EQ(DriftletProbe(d).Items()[1]->path, photos[1]);
  EXPECT_EQ(DriftletProbe(d).Items()[static_cast<std::size_t>(DriftletProbe(d).CurrentIndex())]->path, first);
}

TEST(Driftlet, PhotosPreparedBeforeTheWindowWasMadeShowInIt) {
  // Viewer mode hands in a package's photos before the window exists.
  fixtures::TempFolder folder;
  const std::vector<std::wstring> photos = Photos(folder, 2, 320, 240);
  CDriftlet d;
  d.LoadPhotos(photos);
  ASSERT_TRUE(DriftletProbe(d).WaitUntilPrepared()) << "prepared, with no window to tell";
  ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
  ASSERT_TRUE(PumpUntil([&] { return DriftletProbe(d).Items().size() == 2; }));
  const RECT shown = WindowBox(d.m_hWnd);
  EXPECT_FALSE(::IsRectEmpty(&shown));
}

TEST(Driftlet, TheWindowGoesCleanlyWhilePhotosAreBeingPrepared) {
  fixtures::TempFolder folder;
  const std::vector<std::wstring> photos = Photos(folder, 12, 1600, 1200);
  for (int round = 0; round < 3; ++round) {
    {
      CDriftlet d;
      ASSERT_TRUE(d.CreateDriftWindow(L"Drift test", true, nullptr));
      d.LoadPhotos(photos);
      if (round == 1) PumpUntil([&] { return !DriftletProbe(d).Items().empty(); });
      d.DestroyWindow();
      EXPECT_TRUE(DriftletProbe(d).Items().empty());
      // What the workers finish after the window went is never taken in.
      PumpUntil([] { return false; }, round == 2 ? 300 : 0);
      EXPECT_TRUE(DriftletProbe(d).Items().empty());
    }
    EXPECT_EQ(CImg::LiveSurfaces(), 0) << "round " << round;
  }
  // Without a window the object's end waits for the workers.
  {
    CDriftlet d;
    d.LoadPhotos(photos);
  }
  EXPECT_EQ(CImg::LiveSurfaces(), 0);
}

// What the drifting window shows after a frame: its place, its region and
// its pixels (as the window holds them for the screen; the screen itself
// takes them over a little later).
struct SeenFrame {
  RECT rect{};
  std::vector<std::uint8_t> region;  // the region's data; empty for none
  std::vector<std::uint32_t> pixels;
  bool operator==(const SeenFrame& o) const {
    return ::EqualRect(&rect, &o.rect) && region == o.region && pixels == o.pixels;
  }
};

SeenFrame See(HWND window) {
  SeenFrame seen;
  ::GetWindowRect(window, &seen.rect);
  fw::GdiRegion region(::CreateRectRgn(0, 0, 0, 0));
  if (::GetWindowRgn(window, region.get()) != ERROR) {
    seen.region.resize(::GetRegionData(region.get(), 0, nullptr));
    ::GetRegionData(region.get(), static_cast<DWORD>(seen.region.size()),
                    reinterpret_cast<RGNDATA*>(seen.region.data()));
  }
  const int w = seen.rect.right - seen.rect.left, h = seen.rect.bottom - seen.rect.top;
  if (w <= 0 || h <= 0) return seen;
  CImg shot;
  if (!shot.Create(32, w, h)) return seen;
  {
    ImgDc dc(shot);
    HDC own = ::GetDC(window);
    ::BitBlt(dc.get(), 0, 0, w, h, own, 0, 0, SRCCOPY);
    ::ReleaseDC(window, own);
  }
  const PixelView v = shot.View();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = v.At(x, y);
      seen.pixels.push_back(p[0] | p[1] << 8 | p[2] << 16);
    }
  }
  return seen;
}

// A fixed sequence of frames: the same random numbers, the same start, two
// motion steps between frames, a photo switch and a type change half-way.
std::vector<SeenFrame> PlaySequence(const std::vector<std::wstring>& photos, int type, bool onlyChanges) {
  CDriftlet d;
  DriftletProbe(d).SetOnlyChanges(onlyChanges);
  if (!d.CreateDriftWindow(L"Drift test", true, nullptr)) return {};
  std::srand(7);
  DriftletProbe(d).RestartEffectAnimation();
  d.SetDisplayType(type);
  DriftletProbe(d).SetMotion(MotionState{0.7, DriftletProbe(d).Motion().centreX, DriftletProbe(d).Motion().centreY});
  d.LoadPhotos(photos);
  DriftletProbe(d).WaitForPhotos();
  // The test takes the steps itself.
  for (UINT_PTR id : {1, 2, 3}) ::KillTimer(d.m_hWnd, id);
  DriftletProbe(d).SetMotion(MotionState{DriftletProbe(d).Motion().direction, 300, 200});
  std::vector<SeenFrame> frames;
  for (int frame = 0; frame < 24; ++frame) {
    if (frame == 12) {
      DriftletProbe(d).ShowPhoto(1);
    }
    if (frame == 18) {
      d.SetPhotoSize(1);
      DriftletProbe(d).WaitForPhotos();
    }
    DriftletProbe(d).StepMotion(false);
    DriftletProbe(d).StepMotion(true);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::GdiFlush();
    frames.push_back(See(d.m_hWnd));
  }
  return frames;
}

TEST(Driftlet, FramesGiveTheWindowSystemOnlyChangesAndTheWindowShowsTheSame) {
  fixtures::TempFolder folder;
  std::vector<std::wstring> photos;
  {
    fixtures::GdiplusSession encoders;
    photos.push_back(folder.Write(L"a.jpg", fixtures::Encode(
                                                160, 120,
                                                [](int x, int y) {
                                                  return 0xFF000000u | static_cast<std::uint32_t>(x * 255 / 160) << 16 |
                                                         static_cast<std::uint32_t>(y * 2);
                                                },
                                                L"image/jpeg")));
    photos.push_back(folder.Write(
        L"b.jpg", fixtures::Encode(
                      90, 120, [](int x, int) { return x < 45 ? 0xFFFF8000u : 0xFF0080FFu; }, L"image/jpeg")));
  }
  for (int type : {kPhoto, kRipple, kSphere, kRotate}) {
    SCOPED_TRACE(type);
    const std::vector<SeenFrame> everything = PlaySequence(photos, type, false);
    const std::vector<SeenFrame> changes = PlaySequence(photos, type, true);
    ASSERT_EQ(everything.size(), 24u);
    ASSERT_EQ(changes.size(), everything.size());
    int moved = 0;
    for (std::size_t i = 0; i < everything.size(); ++i) {
      EXPECT_TRUE(::EqualRect(&changes[i].rect, &everything[i].rect)) << "place of frame " << i;
      EXPECT_TRUE(changes[i].region == everything[i].region) << "region of frame " << i;
      std::size_t differ = 0;
      for (std::size_t p = 0; p < std::min(changes[i].pixels.size(), everything[i].pixels.size()); ++p) {
        differ += changes[i].pixels[p] != everything[i].pixels[p];
      }
      EXPECT_EQ(changes[i].pixels.size(), everything[i].pixels.size()) << "frame " << i;
      EXPECT_EQ(differ, 0u) << "pixels of frame " << i;
      EXPECT_FALSE(everything[i].pixels.empty());
      if (i > 0 && !::EqualRect(&everything[i].rect, &everything[i - 1].rect)) ++moved;
    }
    EXPECT_GT(moved, 10) << "the window drifts";
    EXPECT_EQ(everything.front().region.empty(), type == kPhoto) << "the effects cut the window to the photo";
  }
}

}  // namespace
}  // namespace k3
