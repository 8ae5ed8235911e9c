#include "kicker/KickerApp.h"

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

int InstallPendingPackage(const std::wstring& package, const std::wstring& productCode) {
  const std::wstring msiexec = MsiexecPath();
  RunAndWait(UninstallCommand(msiexec, productCode), SW_SHOW);
  RunAndWait(InstallCommand(msiexec, package), SW_SHOW);
  // The package goes whatever the installer said, so the next start does
  // not try it again.
  DeleteFileForce(package);
  return 1;
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
  if (FileExists(package) != PathKind::None) InstallPendingPackage(package, std::wstring(ProductCode(japanese)));

  RunAndWait(ProgramCommand(folder + L"k3driftlet.bin"), SW_SHOW);
  ::ReleaseMutex(mutex.get());
  return 0;
}

}  // namespace k3
