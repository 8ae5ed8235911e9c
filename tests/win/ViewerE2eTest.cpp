// End to end on the real k3driftlet.bin in viewer mode, started with
// packages made by k3pack from photos the test draws.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <utility>
#include <cstdlib>
#include <set>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "desktop/PhotoPreparer.h"
#include "desktop/Screens.h"
#include "framework/Handles.h"
#include "framework/Services.h"

using namespace e2e;

namespace {

constexpr std::uint32_t kRed = 0xFFE02020, kBlue = 0xFF2040E0;

class ViewerTest : public ::testing::Test {
 protected:
  fixtures::GdiplusSession gdiplus;
  fixtures::TempFolder folder;
  std::set<std::wstring> foldersBefore;

  void SetUp() override {
    const auto names = TempFolders();
    foldersBefore.insert(names.begin(), names.end());
  }

  std::wstring Photo(const std::wstring& name, int w, int h, std::uint32_t colour) {
    return folder.Write(name, fixtures::Encode(
                                  w, h, [colour](int, int) { return colour; }, L"image/jpeg"));
  }

  // A package of the given photos made by k3pack with the given options.
  std::wstring Package(const std::wstring& options, const std::vector<std::wstring>& photos) {
    const std::wstring path = folder.path() + L"show.k3dlt";
    std::wstring args = options + L" \"" + path + L"\"";
    for (const auto& p : photos) args += L" \"" + p + L"\"";
    EXPECT_TRUE(RunPackTool(args));
    return path;
  }

  // Folders the program extracted and left behind.
  std::vector<std::wstring> NewTempFolders() {
    std::vector<std::wstring> added;
    for (const auto& name : TempFolders()) {
      if (!foldersBefore.count(name)) {
        added.push_back(name);
      }
    }
    return added;
  }
};

RECT Rect(HWND hwnd) {
  RECT rc{};
  ::GetWindowRect(hwnd, &rc);
  return rc;
}

bool Near(COLORREF c, std::uint32_t argb, int tolerance = 60) {
  return std::abs(GetRValue(c) - static_cast<int>((argb >> 16) & 0xFF)) <= tolerance &&
         std::abs(GetGValue(c) - static_cast<int>((argb >> 8) & 0xFF)) <= tolerance &&
         std::abs(GetBValue(c) - static_cast<int>(argb & 0xFF)) <= tolerance;
}

TEST_F(ViewerTest, PhotoWindowHasTheSizeTaskBarEntryAndMoves) {
  const auto show = Package(L"--type photo --size 128 --zorder top", {Photo(L"a.jpg", 300, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  EXPECT_EQ(FindLogoWindow(program.Pid()), nullptr) << "no splash in viewer mode";
  EXPECT_EQ(WindowText(viewer), ExpectedTitle());
  EXPECT_FALSE(::GetWindowLongPtrW(viewer, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "a task-bar entry";
  EXPECT_TRUE(::GetWindowLongPtrW(viewer, GWL_EXSTYLE) & WS_EX_TOPMOST);
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).right - Rect(viewer).left == 128; }, 5000));
  const RECT first = Rect(viewer);
  RECT screen;
  ::GetWindowRect(::GetDesktopWindow(), &screen);
  // The photo starts in the middle of the screen, never in a corner.
  EXPECT_NEAR((first.left + first.right) / 2, (screen.left + screen.right) / 2, 40);
  EXPECT_NEAR((first.top + first.bottom) / 2, (screen.top + screen.bottom) / 2, 40);
  EXPECT_EQ(first.bottom - first.top, 85);  // 200 * 128 / 300, rounded
  // The main frame exists but stays hidden.
  for (HWND h : program.Windows(ExpectedTitle())) {
    if (h != viewer) {
      EXPECT_FALSE(::IsWindowVisible(h));
    }
  }

  EXPECT_TRUE(WaitUntil(
      [&] {
        const RECT now = Rect(viewer);
        return now.left != first.left || now.top != first.top;
      },
      5000))
      << "the photo drifts";
  const RECT later = Rect(viewer);
  const COLORREF centre = ScreenPixel((later.left + later.right) / 2, (later.top + later.bottom) / 2);
  EXPECT_TRUE(Near(centre, kRed)) << std::hex << centre;

  // Closing it from its system menu ends the program and its folder.
  ::PostMessageW(viewer, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(program.WaitExit(10000));
  EXPECT_TRUE(NewTempFolders().empty());
}

bool Moves(HWND hwnd, DWORD ms);

TEST_F(ViewerTest, WhenTheSessionEndsTheShowsFolderGoesBeforeTheFrameAnswers) {
  const auto show = Package(L"--type ripple", {Photo(L"a.jpg", 300, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  ASSERT_TRUE(WaitViewerWindow(program));
  ASSERT_EQ(NewTempFolders().size(), 1u) << "the show's photos are extracted";
  // The hidden frame hears of the session's end, as every top-level window.
  HWND frame = nullptr;
  for (HWND h : program.Windows(ExpectedTitle())) {
    if (!::IsWindowVisible(h)) frame = h;
  }
  ASSERT_TRUE(frame);
  DWORD_PTR answer = 0;
  // An end another program cancelled changes nothing: the show's photos
  // stay and the photo drifts on.
  ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
  ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 15000, &answer));
  EXPECT_EQ(NewTempFolders().size(), 1u);
  EXPECT_TRUE(Moves(WaitViewerWindow(program), 3000));
  ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, TRUE);
  ASSERT_TRUE(::SendMessageTimeoutW(frame, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 15000, &answer));
  EXPECT_TRUE(NewTempFolders().empty()) << "gone before the process is ended";
}

TEST_F(ViewerTest, StaysOnTheScreenAcrossBounces) {
  const auto show =
      Package(L"--type photo --size 512 --speed fast --zorder bottom", {Photo(L"big.jpg", 600, 600, kBlue)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  EXPECT_FALSE(::GetWindowLongPtrW(viewer, GWL_EXSTYLE) & WS_EX_TOPMOST) << "bottom-most is not topmost";
  RECT screen;
  ::GetWindowRect(::GetDesktopWindow(), &screen);
  int turnsX = 0, turnsY = 0, lastDx = 0, lastDy = 0;
  RECT previous = Rect(viewer);
  // Watch until it has turned at two edges (the time that takes depends on
  // its random direction), checking every position on the way.
  const ULONGLONG end = ::GetTickCount64() + 30000;
  while (::GetTickCount64() < end && turnsX + turnsY < 2) {
    ::Sleep(40);
    const RECT rc = Rect(viewer);
    if (rc.right - rc.left != 512) continue;
    EXPECT_GE(rc.left, screen.left);
    EXPECT_GE(rc.top, screen.top);
    EXPECT_LE(rc.right, screen.right);
    EXPECT_LE(rc.bottom, screen.bottom);
    const int dx = rc.left - previous.left, dy = rc.top - previous.top;
    if (dx && lastDx && (dx > 0) != (lastDx > 0)) ++turnsX;
    if (dy && lastDy && (dy > 0) != (lastDy > 0)) ++turnsY;
    if (dx) lastDx = dx;
    if (dy) lastDy = dy;
    previous = rc;
  }
  EXPECT_GE(turnsX + turnsY, 2) << "it bounced off the edges";
  ::PostMessageW(viewer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.WaitExit(10000));
  EXPECT_TRUE(NewTempFolders().empty());
}

TEST_F(ViewerTest, SwitchesPhotosEverySecond) {
  const auto show = Package(L"--type photo --size 128 --interval 1s",
                            {Photo(L"r.jpg", 200, 200, kRed), Photo(L"b.jpg", 200, 200, kBlue)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  bool sawRed = false, sawBlue = false;
  WaitUntil(
      [&] {
        const RECT rc = Rect(viewer);
        const COLORREF c = ScreenPixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        sawRed = sawRed || Near(c, kRed);
        sawBlue = sawBlue || Near(c, kBlue);
        return sawRed && sawBlue;
      },
      5000);
  EXPECT_TRUE(sawRed);
  EXPECT_TRUE(sawBlue);
  ::PostMessageW(viewer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.WaitExit(10000));
}

TEST_F(ViewerTest, EffectWindowsAreCutToThePhoto) {
  const std::wstring photo = Photo(L"e.jpg", 240, 240, kRed);
  for (const wchar_t* type : {L"sphere", L"ripple", L"wave", L"rotate"}) {
    const auto show = Package(std::wstring(L"--type ") + type + L" --size 256", {photo});
    Program program(L"\"" + show + L"\"");
    HWND viewer = WaitViewerWindow(program);
    ASSERT_TRUE(viewer) << type;
    fw::GdiRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return ::GetWindowRgn(viewer, region.get()) != ERROR; }, 5000)) << type;
    RECT box{}, rc = Rect(viewer);
    ::GetRgnBox(region.get(), &box);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0)) << type << ": the key-colour corner is cut out";
    EXPECT_FALSE(::PtInRegion(region.get(), w - 1, h - 1)) << type;
    EXPECT_TRUE(::PtInRegion(region.get(), w / 2, h / 2)) << type;
    // The photo shows in the middle (once its first frame is on the screen);
    // the desktop shows through the corner.
    COLORREF middle = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
          const RECT now = Rect(viewer);
          middle = ScreenPixel((now.left + now.right) / 2, (now.top + now.bottom) / 2);
          return Near(middle, kRed);
        },
        3000))
        << type << " " << std::hex << middle;
    EXPECT_FALSE(Near(ScreenPixel(rc.left + 1, rc.top + 1), 0xFF707080, 8)) << type << ": no key colour on screen";
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitExit(10000)) << type;
  }
  EXPECT_TRUE(NewTempFolders().empty());
}

TEST_F(ViewerTest, FollowsAMouseDragAndKeepsTheThrow) {
  const auto show = Package(L"--type photo --size 128", {Photo(L"d.jpg", 200, 200, kBlue)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  ASSERT_TRUE(
      WaitUntil([&] { return Rect(viewer).right - Rect(viewer).left == 128 && Rect(viewer).left > 100; }, 5000));
  const RECT before = Rect(viewer);
  const int x = (before.left + before.right) / 2, y = (before.top + before.bottom) / 2;
  char command[512];
  std::snprintf(command, sizeof command,
                "xdotool mousemove %d %d sleep 0.2 mousedown 1 sleep 0.2 mousemove %d %d sleep 0.1 mousemove %d %d "
                "sleep 0.1 mousemove %d %d sleep 0.2 mouseup 1",
                x, y, x + 60, y, x + 140, y, x + 200, y);
  ASSERT_TRUE(RunUnixShell(command));
  // The drop is where the mouse let go (the photo drifts on from there).
  EXPECT_TRUE(WaitUntil([&] { return std::abs(Rect(viewer).left - before.left - 200) <= 25; }, 2000))
      << "the window followed the mouse";
  const RECT dropped = Rect(viewer);
  EXPECT_NEAR(dropped.top - before.top, 0, 25);
  EXPECT_TRUE(WaitUntil([&] { return Rect(viewer).left - dropped.left > 10; }, 5000)) << "it keeps going to the right";
  const RECT later = Rect(viewer);
  EXPECT_LT(std::abs(later.top - dropped.top), (later.left - dropped.left) / 2 + 3);
  ::PostMessageW(viewer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.WaitExit(10000));
}

TEST_F(ViewerTest, ThePhotoIsNotActivatedByAClickInAnyOrder) {
  for (const wchar_t* order : {L"bottom", L"normal", L"top"}) {
    const auto show =
        Package(std::wstring(L"--type photo --size 128 --zorder ") + order, {Photo(L"z.jpg", 200, 200, kRed)});
    Program program(L"\"" + show + L"\"");
    HWND viewer = WaitViewerWindow(program);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).left > 100; }, 5000));
    // Another window of this process is the active one.
    HWND mine = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, nullptr, nullptr,
                                  nullptr, nullptr);
    ::SetForegroundWindow(mine);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == mine; }, 3000));
    const RECT rc = Rect(viewer);
    char command[160];
    std::snprintf(command, sizeof command, "xdotool mousemove %ld %ld click 1", (rc.left + rc.right) / 2,
                  (rc.top + rc.bottom) / 2);
    ASSERT_TRUE(RunUnixShell(command));
    const bool activated = WaitUntil([&] { return ::GetForegroundWindow() == viewer; }, 1500);
    EXPECT_FALSE(activated) << "the photo never takes the activation: " << order;
    EXPECT_EQ(::GetForegroundWindow(), mine) << order;
    ::DestroyWindow(mine);
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitExit(10000));
  }
}

// Whether the window's rectangle stays the same for `ms`, and whether it
// moves within `ms`.
bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }
// The test's own windows are served meanwhile: a key pressed in one of
// them reaches the system (and the program's registered key) only then.
bool StandsStill(HWND hwnd, DWORD ms) {
  const RECT first = Rect(hwnd);
  return !PumpUntil([&] { return !Same(first, Rect(hwnd)); }, ms);
}
bool Moves(HWND hwnd, DWORD ms) {
  const RECT first = Rect(hwnd);
  return PumpUntil([&] { return !Same(first, Rect(hwnd)); }, ms);
}

// The frame of a viewer: the hidden window that owns the pause key and the
// notification area's icon.
HWND ViewerFrame(const Program& program) {
  for (HWND h : FindWindows(program.Pid(), L"", L"K3DriftletFrame")) return h;
  return nullptr;
}

// Another program's window (this test's) with the X keyboard focus, given
// by a real click: Wine hands a registered key to whichever of its windows
// has it.
class OtherProgramsWindow {
 public:
  OtherProgramsWindow() {
    hwnd_ = ::CreateWindowExW(0, L"EDIT", L"typing here", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 240, 120, nullptr,
                              nullptr, nullptr, nullptr);
    PumpUntil([] { return false; }, 300);
    RECT rc{};
    ::GetWindowRect(hwnd_, &rc);
    MouseClick((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PumpUntil([&] { return ::GetForegroundWindow() == hwnd_; }, 3000);
  }
  ~OtherProgramsWindow() { ::DestroyWindow(hwnd_); }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// Ctrl+Alt+P, pressed in another program's window, stops the drift and
// starts it again; the frame's commands (the icon's menu) pause, hide, show
// and exit at once.
TEST_F(ViewerTest, ThePauseKeyAndTheIconsCommandsHoldTheDrift) {
  const auto show = Package(L"--type ripple --size 128", {Photo(L"p.jpg", 200, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  ASSERT_TRUE(Moves(viewer, 3000));
  EXPECT_TRUE(::GetWindowLongPtrW(viewer, GWL_EXSTYLE) & WS_EX_NOACTIVATE) << "the photo never takes the focus";
  {
    OtherProgramsWindow other;
    ASSERT_EQ(::GetForegroundWindow(), other.get());
    ASSERT_EQ(RunUnixCommand("xdotool key ctrl+alt+p"), 0);
    PumpUntil([] { return false; }, 500);
    EXPECT_TRUE(StandsStill(viewer, 3000)) << "paused";
    ASSERT_EQ(RunUnixCommand("xdotool key ctrl+alt+p"), 0);
    EXPECT_TRUE(Moves(viewer, 3000)) << "going again";
    EXPECT_EQ(::GetForegroundWindow(), other.get());
  }
  HWND frame = ViewerFrame(program);
  ASSERT_TRUE(frame);
  ::SendMessageW(frame, WM_COMMAND, 0x7101, 0);  // Pause
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(StandsStill(viewer, 2000));
  ::SendMessageW(frame, WM_COMMAND, 0x7102, 0);  // Hide photos
  EXPECT_FALSE(::IsWindowVisible(viewer));
  ::SendMessageW(frame, WM_COMMAND, 0x7102, 0);  // Show photos
  EXPECT_TRUE(::IsWindowVisible(viewer));
  ::SendMessageW(frame, WM_COMMAND, 0x7101, 0);  // Resume
  EXPECT_TRUE(Moves(viewer, 3000));
  ::PostMessageW(frame, WM_COMMAND, 0x7104, 0);  // Exit: at once, without a question
  EXPECT_TRUE(program.WaitExit(10000));
}

// "Show animations" off when the viewer starts: the photo stands still and
// still switches. (Wine keeps each process's reading of the setting, so a
// change made by another program while the viewer runs is shown by the
// drifting window's own tests, in one process.)
TEST_F(ViewerTest, WithTheSystemsAnimationsOffThePhotoStandsStillAndStillSwitches) {
  const AnimationsOffScope animationsOff;
  const auto show = Package(L"--type ripple --size 128 --interval 1s",
                            {Photo(L"r.jpg", 200, 200, kRed), Photo(L"b.jpg", 200, 200, kBlue)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  PumpUntil([] { return false; }, 500);
  const RECT still = Rect(viewer);
  bool sawRed = false, sawBlue = false;
  WaitUntil(
      [&] {
        const COLORREF c = ScreenPixel((still.left + still.right) / 2, (still.top + still.bottom) / 2);
        sawRed = sawRed || Near(c, kRed);
        sawBlue = sawBlue || Near(c, kBlue);
        return !Same(still, Rect(viewer));
      },
      3500);
  EXPECT_TRUE(Same(still, Rect(viewer))) << "standing still";
  EXPECT_TRUE(sawRed && sawBlue) << "switching all the same";
  ::PostMessageW(viewer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.WaitExit(10000));
}

TEST_F(ViewerTest, ShortFileIsNotAPackage) {
  std::vector<std::uint8_t> bytes(1053, 0);
  std::copy_n("Kelvarstone Driftlet File V1.0", 30, bytes.begin());
  const auto path = folder.Write(L"short.k3dlt", bytes);
  Program program(L"\"" + path + L"\"");
  auto box = WaitMessageBox(program.Pid());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text,
            JapaneseEdition() ? L"このファイルはドリフレットファイルではありません。" : L"This file is not supported.");
  EXPECT_EQ(MessageBoxIcon(box->hwnd), IDI_ERROR);
  PressButton(box->hwnd, IDOK);
  EXPECT_TRUE(program.WaitExit(10000));
  EXPECT_TRUE(NewTempFolders().empty());
}

// Hostile files: a package of 40 MB of empty records, one whose record
// claims more bytes than the file holds, and 8 MB of random bytes. Each ends
// with its message within seconds, well within memory, and leaves no
// extraction folder.
TEST_F(ViewerTest, HostileFilesEndWithTheirMessageQuicklyAndLeaveNothing) {
  std::vector<std::uint8_t> empties(1054 + 40u * 1024 * 1024, 0);
  std::copy_n("Kelvarstone Driftlet File V1.0", 30, empties.begin());

  // A real photo record whose count says 64 KiB more than follows.
  const auto show = Package(L"--type photo", {Photo(L"t.jpg", 50, 50, kRed)});
  std::vector<std::uint8_t> overlong = ReadFileBytes(show);
  ASSERT_GT(overlong.size(), 1058u);
  std::uint32_t count = 0;
  std::memcpy(&count, &overlong[1054], 4);
  count += 65536;
  std::memcpy(&overlong[1054], &count, 4);

  std::vector<std::uint8_t> noise(8u * 1024 * 1024);
  std::uint32_t state = 2463534242u;
  for (auto& b : noise) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<std::uint8_t>(state);
  }

  const std::wstring readError = JapaneseEdition() ? L"ファイルの読み込みに失敗しました。" : L"Error in reading file.";
  const std::wstring notPackage =
      JapaneseEdition() ? L"このファイルはドリフレットファイルではありません。" : L"This file is not supported.";
  const struct {
    const wchar_t* name;
    const std::vector<std::uint8_t>& bytes;
    std::wstring message;
  } cases[] = {{L"empties.k3dlt", empties, readError},
               {L"overlong.k3dlt", overlong, readError},
               {L"noise.k3dlt", noise, notPackage}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + std::wcslen(c.name)));
    const std::wstring path = folder.Write(c.name, c.bytes);
    const ULONGLONG start = ::GetTickCount64();
    Program program(L"\"" + path + L"\"", false);
    auto box = WaitMessageBox(program.Pid(), 10000);
    ASSERT_TRUE(box);
    const double seconds = (::GetTickCount64() - start) / 1000.0;
    const double peak = DriftletPeakMegabytes();
    std::printf("%ls: message after %.1f s, at most %.0f MB resident\n", c.name, seconds, peak);
    EXPECT_EQ(box->text, c.message);
    EXPECT_EQ(MessageBoxIcon(box->hwnd), IDI_ERROR);
    EXPECT_LT(seconds, 5.0);
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 200);
    for (HWND h : program.Windows(ExpectedTitle())) {
      if (h != box->hwnd) {
        EXPECT_FALSE(::IsWindowVisible(h)) << "no photo window";
      }
    }
    PressButton(box->hwnd, IDOK);
    EXPECT_TRUE(program.WaitExit(10000));
    EXPECT_TRUE(NewTempFolders().empty());
  }
}

// A show opened the way Explorer opens it: ShellExecute "open" on the file,
// with the user's own class key (HKEY_CURRENT_USER\Software\Classes), which
// every start writes.
TEST_F(ViewerTest, OpeningAShowThroughTheShellStartsTheViewer) {
  const auto show = Package(L"--type photo --size 128", {Photo(L"a.jpg", 300, 200, kRed)});
  {
    Program first(L"\"" + show + L"\"");
    HWND viewer = WaitViewerWindow(first);
    ASSERT_TRUE(viewer);
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitExit(10000));
  }
  HKEY type = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\K3DLTfile", 0, KEY_READ, &type), ERROR_SUCCESS);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_CLASSKEY | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = show.c_str();
  info.hkeyClass = type;
  info.nShow = SW_SHOWNORMAL;
  const BOOL started = ::ShellExecuteExW(&info);
  ::RegCloseKey(type);
  ASSERT_TRUE(started) << ::GetLastError();
  ASSERT_TRUE(info.hProcess) << "the association's command started a program";
  fw::KernelHandle process(info.hProcess);
  const DWORD pid = ::GetProcessId(process.get());
  HWND viewer = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (HWND h : FindWindows(pid, ExpectedTitle())) {
          RECT rc{};
          ::GetWindowRect(h, &rc);
          if (::IsWindowVisible(h) && rc.right - rc.left == 128) viewer = h;
        }
        return viewer != nullptr;
      },
      15000))
      << "the viewer shows the show's photo";
  if (viewer) ::PostMessageW(viewer, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 99);
  EXPECT_TRUE(NewTempFolders().empty());

  // Without the class key, through HKEY_CLASSES_ROOT as Explorer does: Wine
  // 8 shows only the machine's classes there, so this is only reported.
  SHELLEXECUTEINFOW plain{};
  plain.cbSize = sizeof plain;
  plain.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  plain.lpVerb = L"open";
  plain.lpFile = show.c_str();
  plain.nShow = SW_SHOWNORMAL;
  const BOOL viaRoot = ::ShellExecuteExW(&plain);
  std::printf("ShellExecute through HKEY_CLASSES_ROOT: %s\n", viaRoot && plain.hProcess ? "started" : "not found");
  if (plain.hProcess) {
    fw::KernelHandle other(plain.hProcess);
    for (HWND h : FindWindows(::GetProcessId(other.get()), ExpectedTitle())) ::PostMessageW(h, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(other.get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(other.get(), 99);
  }
}

// Two shows opened at once (a multiple selection in Explorer starts one
// viewer per file within the same moment): both play, each from its own
// extraction folder, and both folders go with their viewers.
TEST_F(ViewerTest, TwoViewersStartedTogetherBothPlay) {
  const auto first = Package(L"--type photo --size 128", {Photo(L"a.jpg", 300, 200, kRed)});
  const std::wstring second = folder.path() + L"second.k3dlt";
  ASSERT_TRUE(::CopyFileW(first.c_str(), second.c_str(), FALSE));
  Program one(L"\"" + first + L"\"", false);
  Program two(L"\"" + second + L"\"", false);
  ASSERT_TRUE(WaitViewerWindow(one));
  ASSERT_TRUE(WaitViewerWindow(two));
  EXPECT_FALSE(WaitMessageBox(one.Pid(), 500)) << "no write error";
  EXPECT_FALSE(WaitMessageBox(two.Pid(), 500));
  EXPECT_EQ(NewTempFolders().size(), 2u) << "a folder each";
  for (const Program* p : {&one, &two}) {
    for (HWND h : p->Windows(ExpectedTitle())) ::PostMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_TRUE(p->WaitExit(10000));
  }
  EXPECT_TRUE(NewTempFolders().empty());
}

// A window of another program covering the whole screen in the foreground,
// as a full-screen film or game does.
class FullScreenWindow {
 public:
  // Over the whole screen, or over `area` (a monitor).
  explicit FullScreenWindow(const RECT* area = nullptr) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"K3TestFullScreen";
    ::RegisterClassW(&wc);
    RECT screen{};
    ::GetWindowRect(::GetDesktopWindow(), &screen);
    if (area) screen = *area;
    hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Full screen", WS_POPUP | WS_VISIBLE, screen.left,
                              screen.top, screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr,
                              wc.hInstance, nullptr);
    ::SetForegroundWindow(hwnd_);
    Pump();
  }
  ~FullScreenWindow() { Close(); }
  FullScreenWindow(const FullScreenWindow&) = delete;
  FullScreenWindow& operator=(const FullScreenWindow&) = delete;
  HWND get() const { return hwnd_; }
  void Close() {
    if (hwnd_) ::DestroyWindow(std::exchange(hwnd_, nullptr));
    Pump();
  }
  static void Pump() { PumpMessages(); }

 private:
  HWND hwnd_ = nullptr;
};

TEST_F(ViewerTest, AFullScreenProgramInTheForegroundStopsTheDriftUntilItCloses) {
  const auto show = Package(L"--type sphere --size 128 --zorder top", {Photo(L"a.jpg", 300, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  // Drifting, it works: frames and steps all the time, measured until the
  // photo has come 60 pixels and for five seconds at least (as long as the
  // hidden photo is measured below: the processor time comes in ticks of
  // 10 ms, and a busy machine gives the drift fewer frames a second).
  const double runStart = DriftletCpuMilliseconds();
  ASSERT_GE(runStart, 0) << "the processor time can be read";
  const RECT from = Rect(viewer);
  const ULONGLONG runFrom = ::GetTickCount64();
  ASSERT_TRUE(WaitUntil(
      [&] {
        const RECT now = Rect(viewer);
        return std::abs(now.left - from.left) + std::abs(now.top - from.top) >= 60 &&
               ::GetTickCount64() - runFrom >= 5000;
      },
      20000))
      << "it drifts";
  const double runSeconds = static_cast<double>(::GetTickCount64() - runFrom) / 1000;
  const double running = DriftletCpuMilliseconds() - runStart;

  FullScreenWindow cover;
  ASSERT_TRUE(cover.get());
  ASSERT_EQ(::GetForegroundWindow(), cover.get()) << "the test's window has the foreground";
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(viewer); }, 5000)) << "the photo hides";
  const RECT hidden = Rect(viewer);
  const double pauseStart = DriftletCpuMilliseconds();
  // Hidden, nothing shows progress: five seconds of nothing (the processor
  // time comes in ticks of 10 ms).
  ::Sleep(5000);
  const double paused = DriftletCpuMilliseconds() - pauseStart;
  std::printf("drift processor time: %.0f ms in %.1f s drifting, %.0f ms in 5 s hidden\n", running, runSeconds, paused);
  EXPECT_FALSE(::IsWindowVisible(viewer));
  EXPECT_TRUE(::EqualRect(&hidden, std::array{Rect(viewer)}.data())) << "no motion step while hidden";
  // Near zero: at most a twentieth of a second in five, and less than half
  // of what the drift costs per second (so that the comparison means
  // something).
  EXPECT_LT(paused, 50) << "no drift timers run while hidden";
  EXPECT_LT(paused / 5, running / runSeconds / 2);

  cover.Close();
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(viewer) != FALSE; }, 5000)) << "the photo comes back";
  const RECT back = Rect(viewer);
  EXPECT_LE(std::abs(back.left - hidden.left) + std::abs(back.top - hidden.top), 4) << "where it was";
  EXPECT_TRUE(WaitUntil([&] { return !::EqualRect(&back, std::array{Rect(viewer)}.data()); }, 5000)) << "and drifts on";
}

// The display's mode for the scope of a test, set back at its end.
class ScreenMode {
 public:
  ScreenMode(int width, int height) { ok_ = Set(width, height); }
  // The display's own mode comes back, and the tests after this one start
  // once this process's Wine sees it again.
  ~ScreenMode() {
    Set(1280, 1024);
    WaitUntil(
        [] {
          RECT now{};
          ::GetWindowRect(::GetDesktopWindow(), &now);
          return now.right == 1280 && now.bottom == 1024;
        },
        5000);
  }
  ScreenMode(const ScreenMode&) = delete;
  ScreenMode& operator=(const ScreenMode&) = delete;
  bool ok() const { return ok_; }

 private:
  static bool Set(int width, int height) {
    return RunUnixCommand("'" K3_TEST_TOOLS "/screen-mode.sh' " + std::to_string(width) + " " +
                          std::to_string(height)) == 0;
  }
  bool ok_ = false;
};

// Changes the test display's mode through RandR and puts it back.
TEST_F(ViewerTest, AShrinkingScreenPullsThePhotoBackInside) {
  RECT screen{};
  ::GetWindowRect(::GetDesktopWindow(), &screen);
  ASSERT_EQ(screen.right, 1280) << "the test display's own mode";
  const auto show = Package(L"--type photo --size 128 --zorder top", {Photo(L"a.jpg", 300, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  // Carried to the bottom right corner, beyond what the smaller mode shows.
  const POINT at = ScreenCentre(viewer);
  ASSERT_TRUE(MouseDrag(at.x, at.y, 1180, 940));
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).left > 1024 - 64 && Rect(viewer).top > 768 - 64; }, 5000));
  ScreenMode smaller(1024, 768);
  ASSERT_TRUE(smaller.ok()) << "the display changes its mode through RandR";
  ASSERT_TRUE(WaitUntil(
      [&] {
        RECT now{};
        ::GetWindowRect(::GetDesktopWindow(), &now);
        return now.right == 1024 && now.bottom == 768;
      },
      5000))
      << "the program's Wine sees the new size";
  EXPECT_TRUE(WaitUntil(
      [&] {
        const RECT r = Rect(viewer);
        return r.left >= 0 && r.top >= 0 && r.right <= 1024 && r.bottom <= 768;
      },
      3000))
      << "inside the new screen: " << Rect(viewer).left << "," << Rect(viewer).top << " " << Rect(viewer).right << ","
      << Rect(viewer).bottom;
}

}  // namespace

namespace {

// The monitors as the system reports them, the primary's first, with the
// device name of each.
struct Monitor {
  RECT area;
  std::wstring device;
  bool primary;
};
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
        Monitor{info.rcMonitor, info.szDevice, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}
std::vector<Monitor> Monitors() {
  std::vector<Monitor> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  std::stable_partition(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
  return monitors;
}

// Places a monitor (a size of 0 detaches it) as the display settings do.
bool PlaceMonitor(const std::wstring& device, int left, int top, int width, int height) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPosition = POINTL{left, top};
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  if (::ChangeDisplaySettingsExW(device.c_str(), &mode, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET, nullptr) !=
      DISP_CHANGE_SUCCESSFUL) {
    return false;
  }
  return ::ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

namespace {

// Edge contrast of a picture of `w` columns: the mean squared step between
// neighbouring pixels' brightness. A blurred edge spreads its step over
// several pixels and counts less.
double EdgeContrast(const std::vector<COLORREF>& pixels, int w) {
  const auto grey = [&](std::size_t i) {
    const COLORREF c = pixels[i];
    return 0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c);
  };
  const int h = static_cast<int>(pixels.size()) / w;
  double sum = 0;
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      const double dx = grey(i + 1) - grey(i), dy = grey(i + w) - grey(i);
      sum += dx * dx + dy * dy;
    }
  return sum / ((w - 1) * (h - 1));
}

}  // namespace

// Run in a session at 144 DPI (scripts/test.sh starts one): size 128 is 192
// pixels, prepared from the photo at that size, so its edges are sharper
// than those of the 128-pixel photo of 96 DPI enlarged to 192 as the system
// enlarges the pictures of a program unaware of DPI.
TEST_F(ViewerTest, AtHighDpiThePhotoIsPreparedAtTheScreensPixels) {
  if (SessionDpi() != 144) GTEST_SKIP() << "runs in a session at 144 DPI";
  const std::wstring photo = folder.Write(
      L"squares.jpg",
      fixtures::Encode(
          960, 640, [](int x, int y) { return ((x / 40 + y / 40) % 2) ? 0xFF202020u : 0xFFF0F0F0u; }, L"image/jpeg"));
  const auto show = Package(L"--type photo --size 128 --speed slow --zorder top", {photo});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).right - Rect(viewer).left == 192; }, 10000))
      << Rect(viewer).right - Rect(viewer).left;
  EXPECT_EQ(Rect(viewer).bottom - Rect(viewer).top, 128);
  // The window's pixels, taken while it stands still; its edges left out.
  std::vector<COLORREF> shown;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const RECT before = Rect(viewer);
        RECT inside = before;
        ::InflateRect(&inside, -4, -4);
        shown = ScreenPixels(inside);
        const RECT after = Rect(viewer);
        return ::EqualRect(&before, &after) != FALSE;
      },
      5000));
  // The same photo as 96 DPI prepares it, enlarged half again by the
  // system's halftone stretching.
  k3::DisplaySettings settings;
  settings.displayType = k3::kPhoto;
  settings.photoSize = 2;
  auto small = k3::PrepareDriftPhoto(photo, 0, settings, 96);
  ASSERT_TRUE(small && small->image);
  ASSERT_EQ(small->image->Width(), 128);
  fw::WindowDc screen(nullptr);
  fw::MemoryDc mem(::CreateCompatibleDC(screen.get()));
  fw::GdiBitmap big(::CreateCompatibleBitmap(screen.get(), 192, 128));
  std::vector<COLORREF> enlarged;
  {
    fw::SelectObjectScope selected(mem.get(), big.get());
    ::SetStretchBltMode(mem.get(), HALFTONE);
    k3::ImgDc source(*small->image);
    ::StretchBlt(mem.get(), 0, 0, 192, 128, source.get(), 0, 0, 128, 85, SRCCOPY);
    enlarged = Capture(mem.get(), 4, 4, 184, 120);
  }
  const double sharp = EdgeContrast(shown, 184), blurred = EdgeContrast(enlarged, 184);
  std::printf("edge contrast at 144 DPI: %.0f prepared at 192, %.0f enlarged from 128\n", sharp, blurred);
  EXPECT_GT(sharp, blurred * 1.2);
}

// Run in a session with two monitors (scripts/test.sh starts one): a smaller
// monitor left of the primary, at negative coordinates.
TEST_F(ViewerTest, ThePhotoRoamsBothOfTwoMonitorsAndComesBackWhenOneGoes) {
  const std::vector<Monitor> monitors = Monitors();
  ASSERT_EQ(monitors.size(), 2u) << "the session has two monitors";
  const RECT primary = monitors[0].area, secondary = monitors[1].area;
  ASSERT_LT(secondary.left, 0) << "the second monitor left of the primary";
  std::vector<k3::Rect> areas{k3::FromRect(primary), k3::FromRect(secondary)};
  const auto show = Package(L"--type photo --size 128 --speed fast --zorder top", {Photo(L"a.jpg", 300, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).right - Rect(viewer).left == 128; }, 10000));
  // X's coordinates start at the left edge of the leftmost monitor.
  const int toX = -secondary.left;
  const auto throwOnto = [&](const RECT& to) {
    const RECT at = Rect(viewer);
    const int x = (at.left + at.right) / 2, y = (at.top + at.bottom) / 2;
    return MouseDrag(x + toX, y, (to.left + to.right) / 2 + toX, (to.top + to.bottom) / 2);
  };
  // A throw onto the secondary: the photo is there and drifts on.
  ASSERT_TRUE(throwOnto(secondary));
  EXPECT_TRUE(WaitUntil([&] { return Rect(viewer).right <= 0; }, 5000)) << "the photo on the secondary";
  // Drifting over both for a while: never a pixel outside both monitors
  // (the gap below the smaller one included), and on both.
  bool onPrimary = false, onSecondary = false;
  const ULONGLONG end = ::GetTickCount64() + Scaled(20000);
  int samples = 0;
  while (::GetTickCount64() < end) {
    const k3::Rect shown = k3::FromRect(Rect(viewer));
    ASSERT_TRUE(k3::CoveredByAreas(shown, areas)) << "at " << shown.left << "," << shown.top << " after " << samples;
    onPrimary = onPrimary || shown.left >= 0;
    onSecondary = onSecondary || shown.right <= 0;
    ++samples;
    ::Sleep(40);
  }
  EXPECT_TRUE(onSecondary);
  std::printf("%d positions sampled over two monitors; on the primary too: %s\n", samples, onPrimary ? "yes" : "no");
  // The secondary goes while the photo is on it: back on the primary soon.
  ASSERT_TRUE(throwOnto(secondary));
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).right <= 0; }, 5000));
  ASSERT_TRUE(PlaceMonitor(monitors[1].device, 0, 0, 0, 0)) << "the secondary detached";
  const ULONGLONG detached = ::GetTickCount64();
  EXPECT_TRUE(WaitUntil([&] { return k3::CoveredByAreas(k3::FromRect(Rect(viewer)), {k3::FromRect(primary)}); }, 2000))
      << "back on the primary";
  std::printf("back on the primary %llu ms after the secondary went\n", ::GetTickCount64() - detached);
  PlaceMonitor(monitors[1].device, secondary.left, secondary.top, secondary.right - secondary.left,
               secondary.bottom - secondary.top);
}

// A full-screen program on one of two monitors: the photo leaves that
// monitor and roams the other, shown all the while.
TEST_F(ViewerTest, AFullScreenProgramOnOneOfTwoMonitorsLeavesThePhotoTheOther) {
  const std::vector<Monitor> monitors = Monitors();
  ASSERT_EQ(monitors.size(), 2u) << "the session has two monitors";
  const RECT secondary = monitors[1].area;
  const auto show = Package(L"--type photo --size 128 --speed fast --zorder top", {Photo(L"a.jpg", 300, 200, kRed)});
  Program program(L"\"" + show + L"\"");
  HWND viewer = WaitViewerWindow(program);
  ASSERT_TRUE(viewer);
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).right - Rect(viewer).left == 128; }, 10000));
  const int toX = -secondary.left;
  const RECT at = Rect(viewer);
  ASSERT_TRUE(MouseDrag((at.left + at.right) / 2 + toX, (at.top + at.bottom) / 2,
                        (secondary.left + secondary.right) / 2 + toX, (secondary.top + secondary.bottom) / 2));
  ASSERT_TRUE(WaitUntil([&] { return Rect(viewer).right <= 0; }, 5000)) << "the photo on the secondary";
  const auto onSecondary = [&] {
    RECT both{};
    const RECT shown = Rect(viewer);
    return ::IntersectRect(&both, &shown, &secondary) != FALSE;
  };
  FullScreenWindow video(&secondary);
  ASSERT_TRUE(PumpUntil([&] { return !onSecondary(); }, 4000)) << "the photo left the full-screen program's monitor";
  const ULONGLONG end = ::GetTickCount64() + Scaled(20000);
  int samples = 0;
  while (::GetTickCount64() < end) {
    ASSERT_TRUE(::IsWindowVisible(viewer)) << "shown all the while, after " << samples;
    ASSERT_FALSE(onSecondary()) << "never on the secondary, after " << samples;
    ++samples;
    PumpUntil([] { return false; }, 40);
  }
  video.Close();
  ::PostMessageW(viewer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(program.WaitExit(10000));
}
