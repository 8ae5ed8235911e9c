#include "kicker/KickerApp.h"

#include <msi.h>
#include <msiquery.h>

#include <vector>

#include "files/FileUtils.h"
#include "framework/Handles.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "kicker/KickerRules.h"

namespace k3 {

namespace {
constexpr wchar_t kMutexName[] = L"K3DriftletKicker";
constexpr DWORD kStillActive = 259;
}  // namespace

CKickerApp::CKickerApp() : fw::CWinApp(nullptr) {}

std::wstring MsiexecPath() {
  // Started by its full path: by its bare name the system would look in
  // Kicker's own folder first.
  wchar_t folder[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"msiexec.exe";
  return std::wstring(folder, n) + L"\\msiexec.exe";
}

DWORD RunAndWait(const std::wstring& commandLine, int showCommand) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION pi{};
  std::wstring line = commandLine;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
  fw::KernelHandle process(pi.hProcess);
  fw::KernelHandle thread(pi.hThread);
  ::WaitForInputIdle(process.get(), 10000);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  DWORD code = kStillActive;
  for (;;) {
    PumpPaintMessages();
    if (!::GetExitCodeProcess(process.get(), &code) || code != kStillActive) break;
    ::Sleep(20);
  }
  return code;
}

namespace {

// Windows Installer's handles (databases, views, records).
struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle Invalid() { return 0; }
  static void Close(Handle h) { ::MsiCloseHandle(h); }
};
using MsiHandle = fw::UniqueHandle<MsiHandleTraits>;

std::wstring RecordString(MSIHANDLE record, unsigned field) {
  DWORD length = 0;
  wchar_t none[1] = {};
  if (::MsiRecordGetStringW(record, field, none, &length) != ERROR_MORE_DATA && length == 0) return {};
  std::vector<wchar_t> text(length + 1);
  length = static_cast<DWORD>(text.size());
  if (::MsiRecordGetStringW(record, field, text.data(), &length) != ERROR_SUCCESS) return {};
  return std::wstring(text.data(), length);
}

std::wstring PackageProperty(MSIHANDLE database, const wchar_t* name) {
  MsiHandle view;
  MSIHANDLE h = 0;
  const std::wstring query = std::wstring(L"SELECT `Value` FROM `Property` WHERE `Property` = '") + name + L"'";
  if (::MsiDatabaseOpenViewW(database, query.c_str(), &h) != ERROR_SUCCESS) return {};
  view.reset(h);
  if (::MsiViewExecute(view.get(), 0) != ERROR_SUCCESS) return {};
  MSIHANDLE r = 0;
  if (::MsiViewFetch(view.get(), &r) != ERROR_SUCCESS) return {};
  MsiHandle record(r);
  return RecordString(record.get(), 1);
}

std::wstring ProductInfo(const std::wstring& productCode, const wchar_t* property) {
  DWORD length = 0;
  wchar_t none[1] = {};
  UINT rc = ::MsiGetProductInfoW(productCode.c_str(), property, none, &length);
  if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS) return {};
  std::vector<wchar_t> text(length + 1);
  length = static_cast<DWORD>(text.size());
  if (::MsiGetProductInfoW(productCode.c_str(), property, text.data(), &length) != ERROR_SUCCESS) return {};
  return std::wstring(text.data(), length);
}

bool ProductInstalled(const std::wstring& productCode) {
  return ::MsiQueryProductStateW(productCode.c_str()) == INSTALLSTATE_DEFAULT;
}

}  // namespace

PackageFacts ReadPackageFacts(const std::wstring& package) {
  PackageFacts facts;
  MSIHANDLE h = 0;
  if (::MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &h) != ERROR_SUCCESS) return facts;
  MsiHandle database(h);
  facts.opened = true;
  facts.upgradeCode = PackageProperty(database.get(), L"UpgradeCode");
  facts.productVersion = PackageProperty(database.get(), L"ProductVersion");
  return facts;
}

int InstallPendingPackage(const std::wstring& package, const std::wstring& productCode, const std::wstring& upgradeCode) {
  const std::wstring msiexec = MsiexecPath();
  const PackageFacts facts = ReadPackageFacts(package);
  const bool installed = ProductInstalled(productCode);
  const std::wstring installedVersion = installed ? ProductInfo(productCode, INSTALLPROPERTY_VERSIONSTRING) : L"";
  if (installed && installedVersion.empty()) {
    // The edition is there but tells no version: keep it.
    DeleteFileForce(package);
    return 0;
  }
  if (CheckPackage(facts, upgradeCode, installedVersion) != PackageVerdict::Install) {
    // Not this edition's, or not newer: the installed program stays.
    DeleteFileForce(package);
    return 0;
  }

  // A copy of the installed version's package, which Windows Installer
  // keeps for installed products, to bring it back if the new one fails.
  std::wstring previous;
  if (installed) {
    const std::wstring cached = ProductInfo(productCode, INSTALLPROPERTY_LOCALPACKAGE);
    previous = MakeTempName(L".msi");
    if (cached.empty() || !::CopyFileW(cached.c_str(), previous.c_str(), TRUE)) previous.clear();
    RunAndWait(UninstallCommand(msiexec, productCode), SW_SHOW);
  }
  const DWORD code = RunAndWait(InstallCommand(msiexec, package), SW_SHOW);
  const bool done = InstallerSucceeded(code) && ProductInstalled(productCode) &&
                    PackVersion(ProductInfo(productCode, INSTALLPROPERTY_VERSIONSTRING)) == PackVersion(facts.productVersion);
  if (!done && !previous.empty() && !ProductInstalled(productCode)) {
    RunAndWait(InstallCommand(msiexec, previous), SW_SHOW);
  }
  if (!previous.empty()) DeleteFileForce(previous);
  // The package goes whatever happened, so the next start does not try it
  // again.
  DeleteFileForce(package);
  return done ? 1 : 0;
}

BOOL CKickerApp::InitInstance() {
  fw::CWinApp::InitInstance();
  const bool japanese = IsJapaneseSystem();
  m_appName = japanese ? L"\x30D5\x30A9\x30C8\x30C9\x30EA\x30D5\x30EC\x30C3\x30C8" : L"Kelvarstone Photo Driftlet";
  SetRegistryKey(L"Kelvarstone");

  fw::KernelHandle mutex(::CreateMutexW(nullptr, TRUE, kMutexName));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  const std::wstring folder = GetModuleFolder();
  const std::wstring package = folder + std::wstring(PendingPackageName(japanese));
  if (FileExists(package) != PathKind::None) {
    InstallPendingPackage(package, std::wstring(ProductCode(japanese)), std::wstring(UpgradeCode(japanese)));
  }

  RunAndWait(ProgramCommand(folder + L"k3driftlet.bin"), SW_SHOW);
  ::ReleaseMutex(mutex.get());
  return 0;
}

}  // namespace k3
