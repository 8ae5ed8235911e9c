// End to end: the edition's Windows Installer package installed by Wine's
// msiexec for the user, the shortcut that starts Kicker, Kicker starting
// the program and installing a waiting setup package, and the removal.
#include <windows.h>
#include <msi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "E2eHarness.h"
#include "kicker/KickerRules.h"

using namespace e2e;

namespace {

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<DWORD> RunWait(const std::wstring& commandLine, DWORD timeoutMs = 120000) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = commandLine;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return std::nullopt;
  }
  ::CloseHandle(pi.hThread);
  std::optional<DWORD> code;
  if (::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD c = 0;
    ::GetExitCodeProcess(pi.hProcess, &c);
    code = c;
  }
  ::CloseHandle(pi.hProcess);
  return code;
}

std::wstring Msiexec() {
  wchar_t folder[MAX_PATH] = {};
  ::GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(L"\"") + folder + L"\\msiexec.exe\"";
}

// The edition's package as the build made it.
std::wstring Package() {
  return BinFolder() + L"..\\installer\\" + std::wstring(k3::PendingPackageName(JapaneseEdition()));
}

std::wstring FolderName() {
  return JapaneseEdition() ? L"Kelvarstone Photo Driftlet JA" : L"Kelvarstone Photo Driftlet";
}
std::wstring ShortcutName() {
  return JapaneseEdition() ? L"Kelvarstone Photo Driftlet (Japanese).lnk" : L"Kelvarstone Photo Driftlet.lnk";
}
std::wstring InstallFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\" + FolderName() + L"\\"; }
std::wstring MenuShortcut() { return KnownFolder(CSIDL_PROGRAMS) + L"\\" + FolderName() + L"\\" + ShortcutName(); }
std::wstring DesktopShortcut() { return KnownFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + ShortcutName(); }
std::wstring ProductCode() { return std::wstring(k3::ProductCode(JapaneseEdition())); }

bool Installed() { return ::MsiQueryProductStateW(ProductCode().c_str()) == INSTALLSTATE_DEFAULT; }

// "a.b.c.d" of a program's file version.
std::wstring FileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  std::vector<std::uint8_t> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
  if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &size) || !info) return {};
  return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionLS));
}

// Processes of the given executable name.
int CountProcesses(const wchar_t* name);

// The main frame of a k3driftlet.bin started by someone else.
HWND WaitForeignFrame(DWORD timeoutMs) {
  HWND frame = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : FindWindows(0, ExpectedTitle())) {
          if (::IsWindowVisible(h) && !(::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) frame = h;
        }
        return frame != nullptr;
      },
      timeoutMs);
  return frame;
}

void CloseForeignProgram(HWND frame) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(frame, &pid);
  ::PostMessageW(frame, WM_CLOSE, 0, 0);
  if (auto box = WaitMessageBox(pid)) PressButton(box->hwnd, IDYES);
}

class Installation : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Installed()) RunWait(Msiexec() + L" /qn /x " + ProductCode());
    ASSERT_TRUE(Exists(Package())) << "the build makes the package";
  }
  void TearDown() override {
    if (Installed()) RunWait(Msiexec() + L" /qn /x " + ProductCode());
  }
};

TEST_F(Installation, ForTheUserWithShortcutsThatStartKickerAndRemovedWhole) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  EXPECT_TRUE(Installed());
  EXPECT_TRUE(Exists(InstallFolder() + L"k3driftlet.bin"));
  EXPECT_TRUE(Exists(InstallFolder() + L"Kicker.exe"));
  EXPECT_EQ(ReadFileBytes(InstallFolder() + L"k3driftlet.bin"), ReadFileBytes(BinFolder() + L"k3driftlet.bin"));
  ASSERT_TRUE(Exists(MenuShortcut()));
  EXPECT_TRUE(Exists(DesktopShortcut()));
  // One version number: the product's and both programs' file versions.
  wchar_t version[32] = {};
  DWORD length = 32;
  ASSERT_EQ(::MsiGetProductInfoW(ProductCode().c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &length), 0u);
  EXPECT_EQ(FileVersion(InstallFolder() + L"k3driftlet.bin"), version);
  EXPECT_EQ(FileVersion(InstallFolder() + L"Kicker.exe"), version);

  // The user opens the shortcut: Kicker starts and starts the program.
  ::ShellExecuteW(nullptr, L"open", MenuShortcut().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  HWND frame = WaitForeignFrame(30000);
  ASSERT_TRUE(frame);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(frame, &pid);
  wchar_t image[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
  ASSERT_TRUE(process);
  ::QueryFullProcessImageNameW(process, 0, image, &size);
  EXPECT_EQ(_wcsicmp(image, (InstallFolder() + L"k3driftlet.bin").c_str()), 0) << "from the program folder";
  EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"Kicker.exe") == 1; }, 10000)) << "Kicker waits for it";
  // A second Kicker meanwhile ends at once and starts nothing.
  EXPECT_EQ(RunWait(L"\"" + InstallFolder() + L"Kicker.exe\"", 15000), std::optional<DWORD>(0));
  EXPECT_EQ(CountProcesses(L"k3driftlet.bin"), 1);
  CloseForeignProgram(frame);
  EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  ::CloseHandle(process);
  EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"Kicker.exe") == 0; }, 10000)) << "and ends with it";

  // Removing the product takes its files and shortcuts.
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /x " + ProductCode()), std::optional<DWORD>(0));
  EXPECT_FALSE(Installed());
  EXPECT_FALSE(Exists(InstallFolder() + L"k3driftlet.bin"));
  EXPECT_FALSE(Exists(InstallFolder() + L"Kicker.exe"));
  EXPECT_FALSE(Exists(MenuShortcut()));
  EXPECT_FALSE(Exists(DesktopShortcut()));
}

TEST_F(Installation, KickerInstallsAWaitingPackageFirstAndOnlyTheEditionsOwn) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  // The installed program is spoilt; the package waiting beside it brings
  // back the one it holds, since Kicker removes the product and installs
  // the package. The other edition's package is not this edition's.
  const std::wstring program = InstallFolder() + L"k3driftlet.bin";
  {
    HANDLE f = ::CreateFileW(program.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(f, "spoilt", 6, &written, nullptr);
    ::CloseHandle(f);
  }
  const std::wstring waiting = InstallFolder() + std::wstring(k3::PendingPackageName(JapaneseEdition()));
  const std::wstring other = InstallFolder() + std::wstring(k3::PendingPackageName(!JapaneseEdition()));
  ASSERT_TRUE(::CopyFileW(Package().c_str(), waiting.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(Package().c_str(), other.c_str(), FALSE));

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring line = L"\"" + InstallFolder() + L"Kicker.exe\"";
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ::CloseHandle(pi.hThread);
  HWND frame = WaitForeignFrame(120000);
  ASSERT_TRUE(frame) << "the program starts after the installation";
  EXPECT_FALSE(Exists(waiting)) << "the package is gone";
  EXPECT_TRUE(Exists(other)) << "the other edition's package stays";
  EXPECT_TRUE(Installed());
  EXPECT_EQ(ReadFileBytes(program), ReadFileBytes(BinFolder() + L"k3driftlet.bin")) << "the package's program is installed";
  CloseForeignProgram(frame);
  EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0) << "Kicker ends with the program";
  ::CloseHandle(pi.hProcess);
  ::DeleteFileW(other.c_str());
}

}  // namespace

#include <tlhelp32.h>

namespace {
int CountProcesses(const wchar_t* name) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name) == 0) ++n;
  }
  ::CloseHandle(snapshot);
  return n;
}
}  // namespace
