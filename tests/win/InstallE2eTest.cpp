// End to end: the edition's Windows Installer package installed by Wine's
// msiexec for the user, the shortcut that starts Kicker, Kicker starting
// the program, the update command fetching the next version from the
// project's service and Kicker installing it at the next start, packages
// Kicker refuses (not signed with the vendor's key, changed, of the other
// edition, not newer), failed installations that leave the previous
// version, and the removal.
#include <windows.h>
#include <commctrl.h>
#include <msi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "ui/ControlIds.h"
#include "Releases.h"
#include "kicker/KickerRules.h"

using namespace e2e;
namespace ids = k3::ids;

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

std::wstring InstalledVersion() {
  wchar_t version[32] = {};
  DWORD length = 32;
  if (::MsiGetProductInfoW(ProductCode().c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &length) != 0) return {};
  return version;
}

// The version the edition's entry among the installed programs shows under
// a root of the registry in one of its views: a per-user installation's
// entry is the user's (the same in both views); a 64-bit Windows keeps the
// machine's entries apart by the package's platform (an Intel package's
// under Wow6432Node). Empty when there is none.
std::wstring ListedVersion(HKEY root, REGSAM view) {
  const std::wstring path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ProductCode();
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return {};
  wchar_t text[64] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  const LONG rc = ::RegQueryValueExW(key, L"DisplayVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS ? text : L"";
}

// The edition's package of another build folder ("next", "broken") or of
// the other edition.
std::wstring PackageOf(const std::wstring& folder, bool japanese = JapaneseEdition()) {
  return BinFolder() + L"..\\installer\\" + folder + L"\\" + std::wstring(k3::PendingPackageName(japanese));
}
std::wstring Pending() { return InstallFolder() + std::wstring(k3::PendingPackageName(JapaneseEdition())); }
std::wstring PendingSignature() { return Pending() + L".p7s"; }

// A waiting package and its signature beside the program (none for an
// empty signature).
bool PlantPending(const std::vector<std::uint8_t>& package, const std::vector<std::uint8_t>& signature) {
  ::DeleteFileW(PendingSignature().c_str());
  return WriteFileBytes(Pending(), package) && (signature.empty() || WriteFileBytes(PendingSignature(), signature));
}
bool PlantPending(const std::wstring& package) {
  return PlantPending(ReadFileBytes(package), ReadFileBytes(package + L".p7s"));
}

// "a.b.c.d" of a program's file version.
std::wstring FileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  std::vector<std::uint8_t> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
  if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
    return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &size) || !info) return {};
  return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionLS));
}

// Processes of the given executable name.
// How many processes of that name run; with `kill`, each is ended.
int CountProcesses(const wchar_t* name, bool kill = false);

std::wstring Kicker() { return InstallFolder() + L"Kicker.exe"; }
// Where Kicker moves its own file while it installs.
std::wstring KickerAside() { return k3::AsideName(Kicker()); }

// The full path of a window's program.
std::wstring ImageOf(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t image[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  ::QueryFullProcessImageNameW(process, 0, image, &size);
  ::CloseHandle(process);
  return image;
}

// The main frame of a k3driftlet.bin started by someone else (not by the
// process `otherThan`).
HWND WaitForeignFrame(DWORD timeoutMs, DWORD otherThan = 0) {
  HWND frame = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : FindWindows(0, ExpectedTitle())) {
          DWORD pid = 0;
          ::GetWindowThreadProcessId(h, &pid);
          if (pid != otherThan && ::IsWindowVisible(h) && !(::GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
            frame = h;
          }
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
    RemoveAll();
    ASSERT_TRUE(Exists(Package())) << "the build makes the package";
  }
  void TearDown() override { RemoveAll(); }
  // Both editions removed, and the programs' files that Wine leaves: its
  // installer does not put back the files of a failed installation, and
  // keeps an installed file newer than the one its cached package names
  // when it removes the product (Windows puts the old files back).
  static void RemoveAll() {
    for (bool japanese : {true, false}) {
      const std::wstring code(k3::ProductCode(japanese));
      if (::MsiQueryProductStateW(code.c_str()) == INSTALLSTATE_DEFAULT) RunWait(Msiexec() + L" /qn /x " + code);
    }
    for (const std::wstring& file :
         {InstallFolder() + L"k3driftlet.bin", Kicker(), KickerAside(), Pending(), PendingSignature()}) {
      ::DeleteFileW(file.c_str());
    }
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

  // The program folder has blanks in its path: a program named after its
  // first word in the folder above must not be what starts.
  const std::wstring planted = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Kelvarstone.exe";
  ASSERT_TRUE(::CopyFileW(DriftletPath().c_str(), planted.c_str(), FALSE));

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
  EXPECT_EQ(CountProcesses(L"Kelvarstone.exe"), 0);
  ::DeleteFileW(planted.c_str());
  // A second Kicker meanwhile ends at once and starts nothing.
  EXPECT_EQ(RunWait(L"\"" + InstallFolder() + L"Kicker.exe\"", 15000), std::optional<DWORD>(0));
  EXPECT_EQ(CountProcesses(L"k3driftlet.bin"), 1);
  CloseForeignProgram(frame);
  EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  ::CloseHandle(process);
  EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"Kicker.exe") == 0; }, 10000)) << "and ends with it";

  // Shows are the installed program's, for the user.
  const std::wstring classes = L"Software\\Classes\\";
  EXPECT_EQ(ReadDefaultValue(HKEY_CURRENT_USER, classes + L".K3DLT"), L"K3DLTfile");
  const auto command = ReadDefaultValue(HKEY_CURRENT_USER, classes + L"K3DLTfile\\shell\\open\\command");
  ASSERT_TRUE(command);
  EXPECT_EQ(_wcsicmp(command->c_str(), (L"\"" + InstallFolder() + L"k3driftlet.bin\" \"%1\"").c_str()), 0) << *command;
  // (Opening a show through the shell cannot be shown here: Wine's
  // HKEY_CLASSES_ROOT shows the machine's classes only, not the user's.)

  // Removing the product takes its files and shortcuts, and the shows'
  // association.
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /x " + ProductCode()), std::optional<DWORD>(0));
  EXPECT_FALSE(ReadDefaultValue(HKEY_CURRENT_USER, classes + L".K3DLT"));
  EXPECT_FALSE(ReadDefaultValue(HKEY_CURRENT_USER, classes + L"K3DLTfile\\shell\\open\\command"));
  EXPECT_FALSE(Installed());
  EXPECT_FALSE(Exists(InstallFolder() + L"k3driftlet.bin"));
  EXPECT_FALSE(Exists(InstallFolder() + L"Kicker.exe"));
  EXPECT_FALSE(Exists(MenuShortcut()));
  EXPECT_FALSE(Exists(DesktopShortcut()));
  // What stays in the program folder is the user's photo list only.
  std::vector<std::wstring> left;
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileW((InstallFolder() + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.cFileName[0] != L'.') left.push_back(found.cFileName);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
  }
  EXPECT_EQ(left, std::vector<std::wstring>{L"IMG.DAT"});
  EXPECT_FALSE(Exists(KnownFolder(CSIDL_PROGRAMS) + L"\\" + FolderName())) << "nor the menu's folder";
}

// Kicker started from the program folder, its file held as Windows holds a
// running program's file: it ends with the program, whose frame is handed
// to `checks` first (a program of the process `otherThan` is not it).
void RunKickerOnce(const std::function<void(HWND)>& checks, DWORD startMs = 60000, DWORD otherThan = 0) {
  Program kicker(Kicker(), L"", false, true);
  ASSERT_TRUE(kicker.Started());
  HWND frame = WaitForeignFrame(startMs, otherThan);
  if (!frame) {
    // What runs and shows instead, for the log.
    std::printf("no frame: Kicker %s; k3driftlet.bin %d, msiexec.exe %d running\n",
                kicker.Running() ? "running" : "ended", CountProcesses(L"k3driftlet.bin"),
                CountProcesses(L"msiexec.exe"));
    for (HWND h : FindWindows(0, L"")) {
      if (!::IsWindowVisible(h)) continue;
      wchar_t name[256] = {};
      ::GetClassNameW(h, name, 256);
      DWORD pid = 0;
      ::GetWindowThreadProcessId(h, &pid);
      std::printf("  visible: pid %lu class %ls title \"%ls\" %ls\n", static_cast<unsigned long>(pid), name,
                  WindowText(h).c_str(), ImageOf(h).c_str());
    }
  }
  ASSERT_TRUE(frame) << "the program starts";
  EXPECT_EQ(_wcsicmp(ImageOf(frame).c_str(), (InstallFolder() + L"k3driftlet.bin").c_str()), 0);
  checks(frame);
  CloseForeignProgram(frame);
  EXPECT_TRUE(kicker.WaitExit(30000)) << "Kicker ends with the program";
}

TEST_F(Installation, KickerRefusesWhatIsNotANewerPackageOfTheEdition) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  const std::wstring program = InstallFolder() + L"k3driftlet.bin";
  const std::vector<std::uint8_t> installed = ReadFileBytes(program);
  const std::vector<std::uint8_t> next = ReadFileBytes(PackageOf(L"next"));
  const std::vector<std::uint8_t> nextSignature = ReadFileBytes(PackageOf(L"next") + L".p7s");
  ASSERT_GT(next.size(), 100000u);
  ASSERT_FALSE(nextSignature.empty());
  const std::vector<std::uint8_t> half(next.begin(), next.begin() + next.size() / 2);
  const std::string page = "<html>maintenance</html>";
  // The other edition's package under its own name is not this edition's
  // and stays where it is.
  const std::wstring otherName = InstallFolder() + std::wstring(k3::PendingPackageName(!JapaneseEdition()));
  ASSERT_TRUE(::CopyFileW(PackageOf(L"next", !JapaneseEdition()).c_str(), otherName.c_str(), FALSE));

  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes, signature;
  };
  const auto with = [](const std::wstring& package) { return ReadFileBytes(package + L".p7s"); };
  const std::vector<Case> cases = {
      {"the same version", ReadFileBytes(Package()), with(Package())},
      {"the other edition's newer package", ReadFileBytes(PackageOf(L"next", !JapaneseEdition())),
       with(PackageOf(L"next", !JapaneseEdition()))},
      {"a download cut in half", half, nextSignature},
      {"a page instead of a package", std::vector<std::uint8_t>(page.begin(), page.end()), {}},
      {"one byte of a stream changed", WithCabinetByteChanged(next), nextSignature},
      {"the newer package without a signature", next, {}},
      {"the unsigned newer package", ReadFileBytes(PackageOf(L"unsigned")), {}},
      {"signed with another key", ReadFileBytes(PackageOf(L"otherkey")), with(PackageOf(L"otherkey"))},
      {"a good download swapped for another package by hand", ReadFileBytes(PackageOf(L"otherkey")), nextSignature},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_FALSE(c.bytes.empty());
    ASSERT_TRUE(PlantPending(c.bytes, c.signature));
    RunKickerOnce([&](HWND) {
      EXPECT_FALSE(Exists(Pending())) << "the refused package is gone";
      EXPECT_FALSE(Exists(PendingSignature()));
      EXPECT_TRUE(Installed());
      EXPECT_EQ(InstalledVersion(), L"1.1.6.0");
      EXPECT_EQ(ReadFileBytes(program), installed) << "the installed program is untouched";
    });
  }
  EXPECT_TRUE(Exists(otherName));
  ::DeleteFileW(otherName.c_str());
}

TEST_F(Installation, AFailedInstallationLeavesThePreviousVersionWorking) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  const std::wstring program = InstallFolder() + L"k3driftlet.bin";
  // A newer package of the edition that refuses to install, and a program
  // named like Windows Installer's beside Kicker, which must not be the one
  // that runs.
  ASSERT_TRUE(PlantPending(PackageOf(L"broken")));
  const std::wstring planted = InstallFolder() + L"msiexec.exe";
  ASSERT_TRUE(::CopyFileW(DriftletPath().c_str(), planted.c_str(), FALSE));
  // Windows Installer tells the user why, and the user answers.
  std::wstring told;
  std::thread user([&] {
    if (auto box = WaitMessageBox(0, 120000)) {
      told = box->text;
      PressButton(box->hwnd, IDOK);
    }
  });
  RunKickerOnce(
      [&](HWND) {
        EXPECT_FALSE(Exists(Pending()));
        EXPECT_TRUE(Installed()) << "still installed";
        EXPECT_EQ(InstalledVersion(), L"1.1.6.0");
        EXPECT_EQ(FileVersion(program), L"1.1.6.0");
        EXPECT_EQ(ReadFileBytes(program), ReadFileBytes(BinFolder() + L"k3driftlet.bin"));
        EXPECT_TRUE(Exists(MenuShortcut()));
      },
      180000);
  user.join();
  EXPECT_EQ(told, L"This package cannot be installed.");
  ::DeleteFileW(planted.c_str());
}

// The copy of the installed package that Windows Installer keeps, cut to
// its database as Windows keeps it (its cabinet removed), so that nothing
// can be installed again from it.
bool CutCachedPackage() {
  wchar_t cached[MAX_PATH] = {};
  DWORD length = MAX_PATH;
  if (::MsiGetProductInfoW(ProductCode().c_str(), INSTALLPROPERTY_LOCALPACKAGE, cached, &length) != 0) return false;
  const auto before = ReadFileBytes(cached);
  RunUnixCommand("/bin/sh '" K3_TEST_TOOLS "/cut-cached-package.sh' '" + UnixPath(cached) + "'", 30000);
  const auto after = ReadFileBytes(cached);
  static const char kCabinet[] = "MSCF";
  return !before.empty() && !after.empty() &&
         std::search(after.begin(), after.end(), kCabinet, kCabinet + 4) == after.end();
}

TEST_F(Installation, AnInstallationThatFailsAfterItsFilesAreCopiedLeavesThePreviousVersion) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  ASSERT_TRUE(CutCachedPackage()) << "the cached copy holds no files any more";
  // A signed newer package of the edition whose installation fails after
  // its files are copied (a step of it ends with an error).
  ASSERT_TRUE(PlantPending(PackageOf(L"failing")));
  std::vector<std::wstring> told;
  std::atomic<bool> done{false};
  std::thread user([&] {
    // Windows Installer tells the user, and the user answers.
    while (!done) {
      if (auto box = WaitMessageBox(0, 1000)) {
        told.push_back(box->text);
        PressButton(box->hwnd, IDOK);
      }
    }
  });
  RunKickerOnce(
      [&](HWND) {
        // Windows Installer is done when the program starts: the program's
        // own questions are not the user thread's to answer.
        done = true;
        user.join();
        EXPECT_FALSE(Exists(Pending()));
        EXPECT_TRUE(Installed()) << "the previous version is still installed";
        EXPECT_EQ(InstalledVersion(), L"1.1.6.0");
        EXPECT_TRUE(Exists(InstallFolder() + L"Kicker.exe"));
        EXPECT_TRUE(Exists(MenuShortcut()));
        EXPECT_TRUE(Exists(DesktopShortcut()));
        // (Windows puts the previous files back too; Wine's installer does
        // not undo copied files, so the program here may be the newer one.)
        std::printf("program after the failed installation: %ls\n",
                    FileVersion(InstallFolder() + L"k3driftlet.bin").c_str());
      },
      180000);
  if (user.joinable()) {
    done = true;
    user.join();
  }
  // The previous version can still be removed whole.
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /x " + ProductCode()), std::optional<DWORD>(0));
  EXPECT_FALSE(Installed());
  EXPECT_FALSE(Exists(MenuShortcut()));
}

// The progress bar of the program's progress dialog, if one is shown.
HWND ProgressBar(DWORD pid) {
  for (HWND dialog : FindWindows(pid, L"", L"#32770")) {
    if (!::IsWindowVisible(dialog)) continue;
    if (HWND bar = ::FindWindowExW(dialog, nullptr, PROGRESS_CLASSW, nullptr)) return bar;
  }
  return nullptr;
}

TEST_F(Installation, UpdateCommandFetchesTheNextVersionAndKickerInstallsIt) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  const std::wstring program = InstallFolder() + L"k3driftlet.bin";
  // The newer package, signed, but for the other platform's programs: the
  // installation stays on its own platform.
  ASSERT_TRUE(PlantPending(PackageOf(L"otherarch")));
  RunKickerOnce([&](HWND) {
    EXPECT_FALSE(Exists(Pending())) << "the package for the other platform is refused";
    EXPECT_EQ(InstalledVersion(), L"1.1.6.0");
    EXPECT_EQ(FileVersion(program), L"1.1.6.0");
  });
  Releases releases("01010700", L"installer\\next");
  UpdateService service(releases.folder.path());
  ASSERT_GT(service.port(), 0);
  ProxyScope proxy(service.port());
  // The package comes in pieces, so that the progress bar is seen moving.
  ASSERT_TRUE(service.SetFault("paced"));

  RunKickerOnce([&](HWND frame) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(frame, &pid);
    ASSERT_TRUE(WaitUntil([&] { return !LayeredOpacity(frame); }, 10000));
    HWND gear = ::GetDlgItem(::GetDlgItem(frame, ids::kView), ids::kUpdate);
    ASSERT_TRUE(gear);
    const POINT p = ScreenCentre(gear);
    MouseClick(p.x, p.y);
    std::set<LRESULT> positions;
    WaitUntil(
        [&] {
          if (HWND bar = ProgressBar(pid)) {
            DWORD_PTR position = 0;
            if (::SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 500, &position)) {
              positions.insert(static_cast<LRESULT>(position));
            }
          }
          return positions.size() >= 3;
        },
        30000);
    EXPECT_GE(positions.size(), 3u) << "the progress bar moves";
    auto box = WaitMessageBox(pid, 60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, JapaneseEdition()
                             ? L"最新版のダウンロードが成功しました。\nプログラムを終了し、再起動してください。"
                             : L"Download of the latest version was completed.\nTerminate this program and restart.");
    PressButton(box->hwnd, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box->hwnd); }, 5000));
    EXPECT_EQ(ReadFileBytes(Pending()), ReadFileBytes(releases.Package()));
    EXPECT_EQ(ReadFileBytes(PendingSignature()), ReadFileBytes(releases.Signature()));
  });

  // The next start through Kicker installs it, then starts it; a
  // Kicker.exe is there at every moment of it (a cut power or a killed
  // installation would leave one that starts the program).
  std::atomic<bool> installing{true};
  std::atomic<int> looks{0}, missing{0};
  std::thread watch([&] {
    while (installing) {
      ++looks;
      if (!Exists(Kicker())) ++missing;
      ::Sleep(2);
    }
  });
  RunKickerOnce(
      [&](HWND) {
        installing = false;
        EXPECT_FALSE(Exists(Pending())) << "the package is deleted";
        EXPECT_FALSE(Exists(PendingSignature()));
        EXPECT_TRUE(Installed());
        EXPECT_EQ(InstalledVersion(), L"1.1.7.0");
        // Listed where a program of the package's platform is (the test is
        // of the same platform as its tree's packages), not in the other
        // platform's view.
        const REGSAM own = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
        const std::wstring user = ListedVersion(HKEY_CURRENT_USER, own);
        EXPECT_EQ(user.empty() ? ListedVersion(HKEY_LOCAL_MACHINE, own) : user, L"1.1.7.0");
        EXPECT_EQ(ListedVersion(HKEY_LOCAL_MACHINE, other), L"");
        EXPECT_EQ(FileVersion(program), L"1.1.7.0");
        // Kicker ran from its file, held meanwhile: it moved itself aside
        // and the new one is in its place.
        EXPECT_EQ(FileVersion(Kicker()), L"1.1.7.0");
        EXPECT_EQ(FileVersion(KickerAside()), L"1.1.6.0");
        EXPECT_TRUE(Exists(MenuShortcut()));
        EXPECT_TRUE(Exists(DesktopShortcut()));
      },
      180000);
  installing = false;
  watch.join();
  EXPECT_GT(looks.load(), 100);
  EXPECT_EQ(missing.load(), 0) << "Kicker.exe was never missing";
  // The next start runs the new Kicker, which deletes the old one's file.
  RunKickerOnce([&](HWND) { EXPECT_FALSE(Exists(KickerAside())); });
  EXPECT_EQ(FileVersion(Kicker()), L"1.1.7.0");
  // Removed right after an update (the old Kicker still aside): nothing of
  // the program stays in its folder.
  ASSERT_TRUE(::CopyFileW(Kicker().c_str(), KickerAside().c_str(), FALSE));
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /x " + ProductCode()), std::optional<DWORD>(0));
  for (const std::wstring& file : {KickerAside(), Kicker(), InstallFolder() + L"k3driftlet.bin"}) {
    EXPECT_FALSE(Exists(file)) << Narrow(file);
  }
}

// Kicker and Windows Installer ended just after the installation started
// (a cut power, a forced logoff): a Kicker.exe is in place, and it starts
// the program (installing the waiting package on the way).
TEST_F(Installation, KickerAndTheInstallerEndedMidwayLeaveAKickerThatStartsTheProgram) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  ASSERT_TRUE(PlantPending(PackageOf(L"next")));
  {
    Program kicker(Kicker(), L"", false, true);
    ASSERT_TRUE(kicker.Started());
    ASSERT_TRUE(WaitUntil([] { return CountProcesses(L"msiexec.exe") > 0; }, 60000)) << "the installation starts";
    kicker.Kill();
    CountProcesses(L"msiexec.exe", true);
    EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"msiexec.exe") == 0; }, 10000));
  }
  EXPECT_TRUE(Exists(Kicker())) << "a Kicker is in place";
  RunKickerOnce([&](HWND) { EXPECT_TRUE(Installed()); }, 180000);
}

// A show of one photo, made with the package tool.
std::wstring MakeShow(fixtures::TempFolder& folder) {
  fixtures::GdiplusSession gdiplus;
  const std::wstring photo =
      folder.Write(L"photo.jpg", fixtures::Encode(
                                     64, 48, [](int, int) { return 0xFF2040E0u; }, L"image/jpeg"));
  const std::wstring show = folder.path() + L"show.k3dlt";
  EXPECT_TRUE(RunPackTool(L"\"" + show + L"\" \"" + photo + L"\""));
  return show;
}

TEST_F(Installation, AnUpdateWaitsWhileTheProgramRunsAndWhileAnotherInstallationRuns) {
  ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + Package() + L"\""), std::optional<DWORD>(0));
  const std::wstring program = InstallFolder() + L"k3driftlet.bin";
  ASSERT_TRUE(PlantPending(PackageOf(L"next")));
  const auto putOff = [&] {
    EXPECT_TRUE(Exists(Pending())) << "the package stays for the next start";
    EXPECT_TRUE(Exists(PendingSignature()));
    EXPECT_EQ(InstalledVersion(), L"1.1.6.0");
    EXPECT_EQ(FileVersion(program), L"1.1.6.0");
    EXPECT_EQ(FileVersion(Kicker()), L"1.1.6.0");
    EXPECT_FALSE(Exists(KickerAside()));
  };
  {
    // Windows Installer is busy with another installation.
    fw::KernelHandle installing(::CreateMutexW(nullptr, TRUE, L"Global\\_MSIExecute"));
    ASSERT_TRUE(installing);
    RunKickerOnce([&](HWND) { putOff(); });
    ::ReleaseMutex(installing.get());
  }
  {
    // A show opened from the installed program plays meanwhile.
    fixtures::TempFolder folder;
    Program viewer(program, L"\"" + MakeShow(folder) + L"\"", false, true);
    ASSERT_TRUE(WaitViewerWindow(viewer));
    RunKickerOnce([&](HWND) { putOff(); }, 60000, viewer.Pid());
    EXPECT_TRUE(viewer.Running()) << "the show plays on";
    HWND show = WaitViewerWindow(viewer, 1000);
    EXPECT_TRUE(show);
    ::PostMessageW(show, WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer.WaitExit(15000));
  }
  // Once the show has ended, the next start installs the update.
  RunKickerOnce(
      [&](HWND) {
        EXPECT_FALSE(Exists(Pending()));
        EXPECT_EQ(InstalledVersion(), L"1.1.7.0");
        EXPECT_EQ(FileVersion(program), L"1.1.7.0");
        EXPECT_EQ(FileVersion(Kicker()), L"1.1.7.0");
      },
      180000);
}

// Both editions installed, in either order, and either removed: the shows'
// open command names an installed program or nothing (never the removed
// one); the remaining edition's start writes its own again.
TEST_F(Installation, RemovingTheOtherEditionLeavesThisOnesAssociation) {
  const std::wstring other =
      BinFolder() + L"..\\installer\\" + std::wstring(k3::PendingPackageName(!JapaneseEdition()));
  const std::wstring otherCode(k3::ProductCode(!JapaneseEdition()));
  const std::wstring classes = L"Software\\Classes\\";
  const auto command = [&] {
    return ReadDefaultValue(HKEY_CURRENT_USER, classes + L"K3DLTfile\\shell\\open\\command");
  };
  const std::wstring mine = L"\"" + InstallFolder() + L"k3driftlet.bin\" \"%1\"";
  for (bool otherLast : {false, true}) {
    const std::wstring first = otherLast ? Package() : other, last = otherLast ? other : Package();
    ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + first + L"\""), std::optional<DWORD>(0));
    ASSERT_EQ(RunWait(Msiexec() + L" /qn /i \"" + last + L"\""), std::optional<DWORD>(0));
    ASSERT_EQ(RunWait(Msiexec() + L" /qn /x " + otherCode), std::optional<DWORD>(0));
    EXPECT_EQ(::MsiQueryProductStateW(otherCode.c_str()), INSTALLSTATE_UNKNOWN);
    const auto left = command();
    EXPECT_TRUE(!left || _wcsicmp(left->c_str(), mine.c_str()) == 0)
        << "the removed edition's program is never named: " << Narrow(left.value_or(L""));
    // This edition's start writes its association again.
    RunKickerOnce([&](HWND) {});
    EXPECT_EQ(_wcsicmp(command().value_or(L"").c_str(), mine.c_str()), 0);
    EXPECT_EQ(ReadDefaultValue(HKEY_CURRENT_USER, classes + L".K3DLT"), L"K3DLTfile");
    ASSERT_EQ(RunWait(Msiexec() + L" /qn /x " + ProductCode()), std::optional<DWORD>(0));
    EXPECT_FALSE(command()) << "nothing named once both are gone";
  }
}

}  // namespace

#include <tlhelp32.h>

namespace {
int CountProcesses(const wchar_t* name, bool kill) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name) != 0) continue;
    ++n;
    if (!kill) continue;
    // Ended at once, as a power cut or a forced logoff ends it.
    fw::KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (process) ::TerminateProcess(process.get(), 1);
  }
  ::CloseHandle(snapshot);
  return n;
}
}  // namespace
