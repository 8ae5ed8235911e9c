// Start-up services and resources of k3driftlet, called directly.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/Association.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "files/PathRules.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace k3 {
namespace {

std::wstring DriftletPath() { return GetModuleFolder() + L"k3driftlet.bin"; }

TEST(ModuleFolder, EndsWithSeparatorAndHoldsTheProgram) {
  const std::wstring folder = GetModuleFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_EQ(folder + L"win_unit_tests.exe", GetModulePath());
  EXPECT_NE(::GetFileAttributesW(DriftletPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ReadFileVersion, BuiltProgramIs1_1_6_0) {
  std::uint32_t ms = 0, ls = 0;
  ASSERT_EQ(ReadFileVersion(DriftletPath().c_str(), &ms, &ls), 1);
  EXPECT_EQ(ms, 0x00010001u);
  EXPECT_EQ(ls, 0x00060000u);
  // Either word may be left out.
  EXPECT_EQ(ReadFileVersion(DriftletPath().c_str(), nullptr, &ls), 1);
  EXPECT_EQ(ReadFileVersion(DriftletPath().c_str(), &ms, nullptr), 1);
}

TEST(ReadFileVersion, FileWithoutVersionLeavesWordsUntouched) {
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  ::GetTempPathW(MAX_PATH, dir);
  ::GetTempFileNameW(dir, L"k3v", 0, path);
  std::uint32_t ms = 7, ls = 9;
  EXPECT_EQ(ReadFileVersion(path, &ms, &ls), 0);
  EXPECT_EQ(ReadFileVersion(L"C:\\no\\such\\file.bin", &ms, &ls), 0);
  EXPECT_EQ(ms, 7u);
  EXPECT_EQ(ls, 9u);
  ::DeleteFileW(path);
}

TEST(CenterInWorkArea, CentresInTheReportedWorkArea) {
  RECT work;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const RECT r = CenterInWorkArea(SIZE{380, 50});
  EXPECT_EQ(r.left, work.left + (work.right - 380 - work.left) / 2);
  EXPECT_EQ(r.top, work.top + (work.bottom - work.top - 50) / 2);
  EXPECT_EQ(r.right - r.left, 380);
  EXPECT_EQ(r.bottom - r.top, 50);
}

// Texts of both editions come from the built program, under either locale.
TEST(Resources, EveryPairedTextExistsInBothLanguages) {
  HMODULE module = ::LoadLibraryExW(DriftletPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  const UINT pairs[][2] = {
      {IDS_OLE_FAILED_JA, IDS_OLE_FAILED_EN},       {IDS_ERROR_JA, IDS_ERROR_EN},
      {IDS_UP_TO_DATE_JA, IDS_UP_TO_DATE_EN},       {IDS_DOWNLOADED_JA, IDS_DOWNLOADED_EN},
      {IDS_ADD_IMAGES_FIRST_JA, IDS_ADD_IMAGES_FIRST_EN}, {IDS_NO_SELECTION_JA, IDS_NO_SELECTION_EN},
      {IDS_CONFIRM_REMOVE_JA, IDS_CONFIRM_REMOVE_EN}, {IDS_CONFIRM_EXIT_JA, IDS_CONFIRM_EXIT_EN},
      {IDS_DROP_HINT_JA, IDS_DROP_HINT_EN},         {IDS_NOT_PACKAGE_JA, IDS_NOT_PACKAGE_EN},
      {IDS_INVALID_PARAMETER_JA, IDS_INVALID_PARAMETER_EN}, {IDS_NO_INTERNET_JA, IDS_NO_INTERNET_EN},
      {IDS_COMPLETED_JA, IDS_COMPLETED_EN},         {IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN},
      {IDS_READ_ERROR_JA, IDS_READ_ERROR_EN},
      {IDS_TRAY_PAUSE, IDS_TRAY_PAUSE + 1},         {IDS_TRAY_RESUME, IDS_TRAY_RESUME + 1},
      {IDS_TRAY_PAUSE_NO_KEY, IDS_TRAY_PAUSE_NO_KEY + 1}, {IDS_TRAY_RESUME_NO_KEY, IDS_TRAY_RESUME_NO_KEY + 1},
      {IDS_TRAY_HIDE, IDS_TRAY_HIDE + 1},           {IDS_TRAY_SHOW, IDS_TRAY_SHOW + 1},
      {IDS_TRAY_MAIN_WINDOW, IDS_TRAY_MAIN_WINDOW + 1}, {IDS_TRAY_EXIT, IDS_TRAY_EXIT + 1},
      {IDS_TRAY_TIP_PAUSED, IDS_TRAY_TIP_PAUSED + 1}, {IDS_TRAY_TIP_HIDDEN, IDS_TRAY_TIP_HIDDEN + 1},
  };
  for (const auto& pair : pairs) {
    const std::wstring ja = LoadResString(pair[0], module), en = LoadResString(pair[1], module);
    EXPECT_FALSE(ja.empty()) << pair[0];
    EXPECT_FALSE(en.empty()) << pair[1];
    // The Japanese text is Japanese, the English one plain ASCII.
    EXPECT_TRUE(std::any_of(ja.begin(), ja.end(), [](wchar_t c) { return c >= 0x3000; })) << pair[0];
    EXPECT_TRUE(std::all_of(en.begin(), en.end(), [](wchar_t c) { return c < 0x80; })) << pair[1];
  }
  EXPECT_EQ(LoadResString(IDS_CONFIRM_EXIT_JA, module), L"終了しますか？");
  EXPECT_EQ(LoadResString(IDS_CONFIRM_EXIT_EN, module), L"Are you sure to exit?");
  EXPECT_EQ(LoadResString(IDS_DROP_HINT_JA, module), L"JPEGファイルをドラッグアンドドロップで\n追加してください。");
  EXPECT_EQ(LoadResString(IDS_DOWNLOADED_EN, module),
            L"Download of the latest version was completed.\nTerminate this program and restart.");
  EXPECT_EQ(LoadResString(IDS_READ_ERROR_EN, module), L"Error in reading file.");
  EXPECT_EQ(LoadResString(IDS_TRAY_PAUSE + 1, module), L"&Pause\tCtrl+Alt+P") << "the key after a tab";
  EXPECT_EQ(LoadResString(9999, module), L"");

  EXPECT_TRUE(::FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON));
  EXPECT_TRUE(::FindResourceW(module, MAKEINTRESOURCEW(IDC_GRAB), RT_GROUP_CURSOR));
  EXPECT_FALSE(::FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), RT_MENU)) << "the frame has no menu";
  ::FreeLibrary(module);
}

// The portable extension rule agrees with the shell's own.
TEST(PathExtension, MatchesTheShell) {
  for (const wchar_t* path : {L"C:\\a\\b.JPG", L"C:\\a\\b", L"C:\\a.d\\b", L"C:\\a\\b.tar.gz", L"C:\\a\\b.",
                              L"C:\\a\\.hidden", L"b.k3dlt", L"C:\\my photos\\x.jpeg", L"C:\\a\\b.my file",
                              L"C:\\a b\\c", L"x"}) {
    EXPECT_EQ(PathExtension(path), std::wstring(::PathFindExtensionW(path))) << path;
  }
}

class RegistryTest : public ::testing::Test {
 protected:
  static fw::RegKey Create(HKEY root, const wchar_t* name) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(root, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return fw::RegKey(key);
  }
  static bool Exists(HKEY root, const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  }
  void TearDown() override {
    DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\K3DriftletTest");
    DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\Classes\\.K3TEST");
    DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\K3TESTfile");
  }
};

TEST_F(RegistryTest, DeleteTreeRemovesNestedKeys) {
  {
    fw::RegKey deep = Create(HKEY_CURRENT_USER, L"Software\\K3DriftletTest\\a\\b\\c");
    ASSERT_TRUE(deep);
    const DWORD v = 5;
    ::RegSetValueExW(deep.get(), L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    Create(HKEY_CURRENT_USER, L"Software\\K3DriftletTest\\a\\d");
    Create(HKEY_CURRENT_USER, L"Software\\K3DriftletTest\\e");
  }
  HKEY software = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS, &software), ERROR_SUCCESS);
  EXPECT_EQ(DeleteRegistryTree(software, L"K3DriftletTest"), 1);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\K3DriftletTest"));
  EXPECT_EQ(DeleteRegistryTree(software, L"K3DriftletTest"), 0) << "nothing left to delete";
  ::RegCloseKey(software);
}

TEST_F(RegistryTest, AssociationValuesCarryTheirTerminatorAndAreTheUsers) {
  Create(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile\\stale\\entry");
  // Another program's key of the same name under the machine's classes.
  Create(HKEY_LOCAL_MACHINE, L"Software\\Classes\\K3TESTfile\\machine\\entry");
  ASSERT_EQ(RegisterPackageFileType(L"K3TEST", L"C:\\K3 100%\\k3driftlet.bin"), AssociationResult::Written);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile\\stale"));
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\K3TESTfile\\machine\\entry"))
      << "the machine's classes are never touched";
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\.K3TEST"));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile\\shell\\open\\command"));

  struct Expected {
    const wchar_t* key;
    DWORD type;
    std::wstring text;
  };
  for (const Expected& e : {Expected{L".K3TEST", REG_SZ, L"K3TESTfile"},
                            Expected{L"K3TESTfile\\shell\\open\\command", REG_EXPAND_SZ,
                                     L"\"C:\\K3 100%\\k3driftlet.bin\" \"%1\""},
                            Expected{L"K3TESTfile\\DefaultIcon", REG_EXPAND_SZ, L"\"C:\\K3 100%\\k3driftlet.bin\",0"}}) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + e.key).c_str(), 0, KEY_READ,
                              &key),
              ERROR_SUCCESS)
        << e.key;
    fw::RegKey owner(key);
    wchar_t data[512] = {};
    DWORD bytes = sizeof data, type = 0;
    ASSERT_EQ(::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, e.type) << e.key;
    EXPECT_EQ(bytes, (e.text.size() + 1) * sizeof(wchar_t)) << e.key;
    EXPECT_EQ(std::wstring(data), e.text);
  }
}

// When each key of the association was last written.
std::vector<std::int64_t> AssociationWriteTimes() {
  std::vector<std::int64_t> times;
  for (const wchar_t* name :
       {L".K3TEST", L"K3TESTfile", L"K3TESTfile\\shell\\open\\command", L"K3TESTfile\\DefaultIcon"}) {
    HKEY key = nullptr;
    FILETIME written{};
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + name).c_str(), 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
      ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &written);
      ::RegCloseKey(key);
    }
    times.push_back((std::int64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime);
  }
  return times;
}

TEST_F(RegistryTest, AnAssociationInPlaceIsLeftAloneAndTheShellNotTold) {
  const wchar_t* exe = L"C:\\K3\\k3driftlet.bin";
  ASSERT_EQ(RegisterPackageFileType(L"K3TEST", exe), AssociationResult::Written);
  const auto written = AssociationWriteTimes();
  ::Sleep(50);  // time passes, so that a key written again would show a later time
  EXPECT_EQ(RegisterPackageFileType(L"K3TEST", exe), AssociationResult::AlreadyInPlace);
  EXPECT_EQ(AssociationWriteTimes(), written) << "no key written again";
  // Anything that differs is written again: another program, a value of
  // another type (as the installer writes them), a key too many.
  EXPECT_EQ(RegisterPackageFileType(L"K3TEST", L"C:\\K3 other\\k3driftlet.bin"), AssociationResult::Written);
  EXPECT_NE(AssociationWriteTimes(), written);
  {
    fw::RegKey command = Create(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile\\shell\\open\\command");
    const std::wstring text = L"\"C:\\K3 other\\k3driftlet.bin\" \"%1\"";
    ::RegSetValueExW(command.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  EXPECT_EQ(RegisterPackageFileType(L"K3TEST", L"C:\\K3 other\\k3driftlet.bin"), AssociationResult::Written);
  Create(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile\\shell\\edit");
  EXPECT_EQ(RegisterPackageFileType(L"K3TEST", L"C:\\K3 other\\k3driftlet.bin"), AssociationResult::Written);
  EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Classes\\K3TESTfile\\shell\\edit"));
  EXPECT_EQ(RegisterPackageFileType(L"K3TEST", L"C:\\K3 other\\k3driftlet.bin"), AssociationResult::AlreadyInPlace);
}

// A window that counts its paints and validates like any painting window.
struct PaintCounter {
  static inline int paints = 0;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
      ++paints;
      PAINTSTRUCT ps;
      ::BeginPaint(hwnd, &ps);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
};

TEST(SetWindowAlphaPercent, LayeredStyleAndOpacity) {
  HWND w = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_TRUE(w);
  auto layered = [&] { return (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
  auto opacity = [&] {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    return ::GetLayeredWindowAttributes(w, &key, &alpha, &flags) && (flags & LWA_ALPHA) ? int{alpha} : -1;
  };
  EXPECT_TRUE(SetWindowAlphaPercent(0, w));
  EXPECT_TRUE(layered());
  EXPECT_EQ(opacity(), 0);
  EXPECT_TRUE(SetWindowAlphaPercent(50, w));
  EXPECT_EQ(opacity(), 127);
  EXPECT_TRUE(SetWindowAlphaPercent(150, w));
  EXPECT_TRUE(layered()) << "only exactly 100 drops the style";
  EXPECT_EQ(opacity(), 255);
  EXPECT_TRUE(SetWindowAlphaPercent(-5, w));
  EXPECT_EQ(opacity(), 0);
  EXPECT_TRUE(SetWindowAlphaPercent(100, w));
  EXPECT_FALSE(layered());
  EXPECT_TRUE(SetWindowAlphaPercent(100, w)) << "and again, without the style";
  ::DestroyWindow(w);
}

TEST(PumpPaintMessages, DeliversPendingPaintsAtOnce) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &PaintCounter::Proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"K3PaintCounter";
  ::RegisterClassW(&wc);
  HWND a = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                             wc.hInstance, nullptr);
  HWND b = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50, nullptr, nullptr,
                             wc.hInstance, nullptr);
  ASSERT_TRUE(a && b);
  PumpPaintMessages();
  PaintCounter::paints = 0;
  ::InvalidateRect(a, nullptr, TRUE);
  ::InvalidateRect(b, nullptr, TRUE);
  // Other messages stay queued for the message loop.
  ::PostMessageW(a, WM_USER, 0, 0);
  PumpPaintMessages();
  EXPECT_EQ(PaintCounter::paints, 2);
  EXPECT_FALSE(::GetUpdateRect(a, nullptr, FALSE));
  EXPECT_FALSE(::GetUpdateRect(b, nullptr, FALSE));
  MSG msg;
  EXPECT_TRUE(::PeekMessageW(&msg, a, WM_USER, WM_USER, PM_REMOVE));
  ::DestroyWindow(a);
  ::DestroyWindow(b);
}

}  // namespace
}  // namespace k3
