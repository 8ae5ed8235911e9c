// End to end on the real k3driftlet.bin: start-up, the main frame, the
// drifting window, single instance, the command line, the package file
// association and the exit question, in the edition of the test's locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwctype>
#include <string>

#include "E2eHarness.h"
#include "framework/Handles.h"

using namespace e2e;

namespace {

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

std::wstring ExpectedExitQuestion() { return JapaneseEdition() ? L"終了しますか？" : L"Are you sure to exit?"; }

std::wstring ExpectedInvalidParameter() {
  return JapaneseEdition() ? L"無効なパラメータです。" : L"Error in invalid parameters.";
}

// Confirms the exit question so the program ends.
void CloseConfirmed(Program& program, HWND frame) {
  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  auto box = WaitMessageBox(program.Pid());
  ASSERT_TRUE(box);
  PressButton(box->hwnd, IDYES);
  EXPECT_TRUE(program.WaitExit(10000));
}

// The Japanese run must really see the Japanese system language, or every
// edition check below would silently test the English one twice.
TEST(Startup, EditionFollowsTheLocale) {
  const char* locale = std::getenv("LC_ALL");
  const bool japaneseLocale = locale && std::string(locale).rfind("ja_JP", 0) == 0;
  EXPECT_EQ(JapaneseEdition(), japaneseLocale);
}

// The awareness the system's loader reads from the program's manifest, as
// it reads it when the program starts (Wine itself gives every program its
// screens' DPI, aware or not, so only the declaration can be checked here).
TEST(Startup, TheProgramDeclaresItselfAwareOfEachMonitorsDpi) {
  using QuerySettings = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);
  const auto query = reinterpret_cast<QuerySettings>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW")));
  ASSERT_TRUE(query);
  const std::wstring program = DriftletPath();
  ACTCTXW context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = program.c_str();
  context.lpResourceName = MAKEINTRESOURCEW(1);  // the program's own manifest
  HANDLE handle = ::CreateActCtxW(&context);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const auto setting = [&](const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    return query(0, handle, space, name, value, 128, &written) ? std::wstring(value) : std::wstring(L"(none)");
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, PerMonitor");
  EXPECT_EQ(setting(nullptr, L"dpiAware"), L"true/pm") << "the form systems before version 2 read";
  ::ReleaseActCtx(handle);
}

TEST(Startup, SplashFadesTheLogoInWhileTheFrameIsTransparent) {
  // Watched from the start: the splash runs before the program first waits
  // for input.
  Program program(L"", false);
  ASSERT_TRUE(program.Started());
  HWND logo = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        logo = FindLogoWindow(program.Pid());
        return logo && ::IsWindowVisible(logo);
      },
      15000))
      << "the logo shows at start";
  RECT rc{}, work{};
  ::GetWindowRect(logo, &rc);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(rc.right - rc.left, 380);
  EXPECT_EQ(rc.bottom - rc.top, 50);
  EXPECT_EQ(rc.left, work.left + (work.right - 380 - work.left) / 2);
  EXPECT_EQ(rc.top, work.top + (work.bottom - work.top - 50) / 2);
  EXPECT_TRUE(::GetWindowLongPtrW(logo, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no task-bar button";
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);
  EXPECT_EQ(::GetWindow(logo, GW_OWNER), frame);
  EXPECT_EQ(LayeredOpacity(frame), std::optional<int>(0)) << "the frame is transparent during the splash";

  // The logo fades in: it is seen part-way, then fully opaque without the
  // layered style; later it fades to half.
  bool partWay = false, opaque = false, half = false;
  WaitUntil(
      [&] {
        const std::optional<int> alpha = LayeredOpacity(logo);
        if (alpha && *alpha > 0 && *alpha < 255 && !opaque) partWay = true;
        if (!alpha) opaque = true;
        if (alpha && opaque && *alpha <= 140) half = true;
        return half || !::IsWindow(logo);
      },
      8000);
  EXPECT_TRUE(partWay);
  EXPECT_TRUE(opaque);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(logo); }, 8000)) << "the logo goes at the end";
  EXPECT_FALSE(LayeredOpacity(frame)) << "and the frame shows at full opacity";
  EXPECT_TRUE(::IsWindowVisible(frame));
  CloseConfirmed(program, frame);
}

// With the system's "Show animations" off the logo is shown and taken away
// without fading.
TEST(Startup, WithoutTheSystemsAnimationsTheLogoAppearsWithoutFading) {
  const AnimationsOffScope animationsOff;
  Program program(L"", false);
  ASSERT_TRUE(program.Started());
  HWND logo = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (logo = FindLogoWindow(program.Pid())) && ::IsWindowVisible(logo); }, 15000));
  bool partWay = false, opaque = false;
  WaitUntil(
      [&] {
        const std::optional<int> alpha = LayeredOpacity(logo);
        if (alpha && *alpha > 0 && *alpha < 255) partWay = true;
        if (::IsWindow(logo) && !alpha) opaque = true;
        return !::IsWindow(logo);
      },
      8000);
  EXPECT_FALSE(partWay) << "never seen fading";
  EXPECT_TRUE(opaque);
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);
  EXPECT_TRUE(WaitUntil([&] { return !LayeredOpacity(frame); }, 5000));
  CloseConfirmed(program, frame);
}

// The screens' DPI of the programs started while it lives (the prefix's
// LogPixels, which Wine reads at each start), set back at its end.
class SessionDpi {
 public:
  explicit SessionDpi(DWORD dpi) : before_(Read()) { Write(dpi); }
  ~SessionDpi() { Write(before_); }
  SessionDpi(const SessionDpi&) = delete;
  SessionDpi& operator=(const SessionDpi&) = delete;

 private:
  static DWORD Read() {
    DWORD value = 96, size = sizeof value;
    ::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                   &size);
    return value;
  }
  static void Write(DWORD dpi) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  DWORD before_;
};

// At 200 per cent on a 1280 x 1024 screen, 800 x 600 logical pixels would
// be 1600 x 1200: the frame is laid out smaller, inside the work area, its
// close button on the screen, its smallest size no larger than the area.
TEST(Startup, AtTwoHundredPerCentTheFrameFitsItsMonitor) {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ASSERT_LT(work.right - work.left, 1600) << "a screen smaller than the frame at 200 %";
  SessionDpi dpi(192);
  Program program;
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);
  ASSERT_TRUE(WaitUntil([&] { return !LayeredOpacity(frame); }, 10000));
  RECT rc{};
  ::GetWindowRect(frame, &rc);
  EXPECT_GE(rc.left, work.left);
  EXPECT_GE(rc.top, work.top);
  EXPECT_LE(rc.right, work.right);
  EXPECT_LE(rc.bottom, work.bottom);
  EXPECT_GT(rc.right - rc.left, 1000) << "larger than at 100 %, as large as fits";
  HWND close = ::GetDlgItem(::GetDlgItem(frame, 0xE900), 218);
  ASSERT_TRUE(close);
  RECT button{};
  ::GetWindowRect(close, &button);
  EXPECT_TRUE(button.left >= work.left && button.top >= work.top && button.right <= work.right &&
              button.bottom <= work.bottom)
      << "the close button is on the screen";
  MINMAXINFO mmi{};
  ::SendMessageW(frame, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_LE(mmi.ptMinTrackSize.x, work.right - work.left);
  EXPECT_LE(mmi.ptMinTrackSize.y, work.bottom - work.top);
  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  if (auto box = WaitMessageBox(program.Pid())) PressButton(box->hwnd, IDYES);
  EXPECT_TRUE(program.WaitExit(15000));
}

TEST(Startup, MainFrameIsCentredRoundedPopup) {
  Program program;
  ASSERT_TRUE(program.Started());
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);

  const LONG_PTR style = ::GetWindowLongPtrW(frame, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION) << "no caption";
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(::GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(::GetMenu(frame), nullptr) << "no menu: the view draws its own title bar and buttons";
  EXPECT_EQ(WindowText(frame), ExpectedTitle());

  RECT rc;
  ::GetWindowRect(frame, &rc);
  EXPECT_EQ(rc.right - rc.left, 800);
  EXPECT_EQ(rc.bottom - rc.top, 600);
  RECT work;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(rc.left, work.left + (work.right - 800 - work.left) / 2);
  EXPECT_EQ(rc.top, work.top + (work.bottom - work.top - 600) / 2);

  // The corners are cut off by the window region, a rounded rectangle over
  // the whole window (the system's rounded regions stop one pixel short of
  // the right and bottom ends they are given).
  fw::GdiRegion region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(frame, region.get()), ERROR);
  RECT box;
  ::GetRgnBox(region.get(), &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_GE(box.right, 799);
  EXPECT_GE(box.bottom, 599);
  EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));
  EXPECT_FALSE(::PtInRegion(region.get(), box.right - 1, 0));
  EXPECT_FALSE(::PtInRegion(region.get(), 0, box.bottom - 1));
  EXPECT_FALSE(::PtInRegion(region.get(), box.right - 1, box.bottom - 1));
  EXPECT_TRUE(::PtInRegion(region.get(), 400, 300));
  EXPECT_TRUE(::PtInRegion(region.get(), 400, 0));
  EXPECT_TRUE(::PtInRegion(region.get(), 0, 300));

  // The system's sizing never makes the frame smaller than 800 x 600.
  MINMAXINFO mmi{};
  ::SendMessageW(frame, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.x, 800);
  EXPECT_EQ(mmi.ptMinTrackSize.y, 600);

  // The frame keeps its region in step with its size.
  ::SetWindowPos(frame, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil(
      [&] {
        fw::GdiRegion r(::CreateRectRgn(0, 0, 0, 0));
        RECT b{};
        return ::GetWindowRgn(frame, r.get()) != ERROR && ::GetRgnBox(r.get(), &b) && b.right >= 899 && b.bottom >= 699;
      },
      3000));

  CloseConfirmed(program, frame);
}

TEST(Startup, DriftingWindowIsABareToolWindow) {
  Program program;
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);
  HWND drift = program.WaitDriftWindow();
  ASSERT_TRUE(drift);
  EXPECT_NE(drift, frame);
  EXPECT_EQ(WindowText(drift), ExpectedTitle());
  const LONG_PTR style = ::GetWindowLongPtrW(drift, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(::GetWindowLongPtrW(drift, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  RECT rc;
  ::GetWindowRect(drift, &rc);
  EXPECT_EQ(rc.right - rc.left, 0);
  EXPECT_EQ(rc.bottom - rc.top, 0);

  // In normal mode a close request to the drifting window is ignored.
  ::SendMessageTimeoutW(drift, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr);
  // Nor is it passed on: a close request to the frame would ask the exit
  // question.
  EXPECT_FALSE(WaitMessageBox(program.Pid(), 1000)) << "the close request reached the frame";
  EXPECT_TRUE(::IsWindow(drift));
  EXPECT_TRUE(program.Running());

  // Closing the frame takes the drifting window with it.
  CloseConfirmed(program, frame);
  EXPECT_FALSE(::IsWindow(drift));
}

TEST(Startup, ExitQuestionNoKeepsRunningYesEnds) {
  Program program;
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);

  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  auto box = WaitMessageBox(program.Pid());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, ExpectedExitQuestion());
  EXPECT_EQ(box->caption, ExpectedTitle());
  EXPECT_EQ(MessageBoxIcon(box->hwnd), IDI_QUESTION);
  EXPECT_TRUE(::GetDlgItem(box->hwnd, IDYES));
  EXPECT_TRUE(::GetDlgItem(box->hwnd, IDNO));
  EXPECT_FALSE(::GetDlgItem(box->hwnd, IDCANCEL));
  PressButton(box->hwnd, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->hwnd); }, 5000));
  EXPECT_FALSE(program.WaitExit(1000)) << "No keeps the program running";
  EXPECT_TRUE(::IsWindowVisible(frame));

  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  box = WaitMessageBox(program.Pid());
  ASSERT_TRUE(box);
  PressButton(box->hwnd, IDYES);
  const auto code = program.WaitExit(10000);
  ASSERT_TRUE(code);
  EXPECT_EQ(*code, 0u);
}

TEST(Startup, SecondStartBringsFirstForwardAndEnds) {
  Program first;
  HWND frame = first.WaitMainFrame();
  ASSERT_TRUE(frame);
  ::ShowWindow(frame, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(frame) != FALSE; }, 3000));

  Program second;
  ASSERT_TRUE(second.Started());
  ASSERT_TRUE(second.WaitExit(15000)) << "the second instance ends at once";
  EXPECT_TRUE(first.Running());

  // Exactly one main frame with the title, the first instance's, restored.
  int frames = 0;
  for (HWND h : first.Windows(ExpectedTitle()))
    if (!(::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) ++frames;
  EXPECT_EQ(frames, 1);
  EXPECT_TRUE(second.Windows(ExpectedTitle()).empty());
  EXPECT_TRUE(WaitUntil([&] { return !::IsIconic(frame); }, 3000)) << "the running frame is restored";

  CloseConfirmed(first, frame);
}

TEST(Startup, MissingFileArgumentShowsInvalidParameter) {
  Program program(L"\"C:\\no such folder\\show.k3dlt\"");
  auto box = WaitMessageBox(program.Pid());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, ExpectedInvalidParameter());
  EXPECT_EQ(MessageBoxIcon(box->hwnd), IDI_INFORMATION);
  for (HWND h : program.Windows(ExpectedTitle())) EXPECT_EQ(h, box->hwnd) << "no frame before the answer";
  PressButton(box->hwnd, IDOK);
  EXPECT_TRUE(program.WaitExit(10000));
}

TEST(Startup, ExistingNonPackageArgumentStartsNormally) {
  // The test program itself is an existing file that is not a package.
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  Program program(L"\"" + std::wstring(self) + L"\" ignored-extra-argument");
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);
  CloseConfirmed(program, frame);
}

TEST(Startup, WritesPackageFileAssociationForTheUser) {
  // Leftovers below the type key are removed at the next start.
  HKEY junk = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\K3DLTfile\\shell\\print\\command", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &junk, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(junk);

  Program program;
  HWND frame = program.WaitMainFrame();
  ASSERT_TRUE(frame);

  // Everything is the user's (on Windows, HKEY_CLASSES_ROOT shows it first).
  const std::wstring classes = L"Software\\Classes\\";
  DWORD type = 0;
  EXPECT_EQ(ReadDefaultValue(HKEY_CURRENT_USER, classes + L".K3DLT", &type), L"K3DLTfile");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  auto command = ReadDefaultValue(HKEY_CURRENT_USER, classes + L"K3DLTfile\\shell\\open\\command", &type);
  ASSERT_TRUE(command);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Lower(*command), Lower(L"\"" + DriftletPath() + L"\" \"%1\""));

  auto icon = ReadDefaultValue(HKEY_CURRENT_USER, classes + L"K3DLTfile\\DefaultIcon", &type);
  ASSERT_TRUE(icon);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Lower(*icon), Lower(L"\"" + DriftletPath() + L"\",0"));

  auto under = SubkeyNames(HKEY_CURRENT_USER, classes + L"K3DLTfile");
  std::sort(under.begin(), under.end());
  EXPECT_EQ(under, (std::vector<std::wstring>{L"DefaultIcon", L"shell"}));
  EXPECT_EQ(SubkeyNames(HKEY_CURRENT_USER, classes + L"K3DLTfile\\shell"), (std::vector<std::wstring>{L"open"}));

  CloseConfirmed(program, frame);
}

}  // namespace
