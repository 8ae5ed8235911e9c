#include "app/K3Driftlet.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/Association.h"
#include "app/MainFrame.h"
#include "app/StartupRules.h"
#include "files/Package.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "dialogs/PackageDialogs.h"

namespace k3 {

namespace {

constexpr wchar_t kPackageClassWord[] = L"K3DLT";
constexpr wchar_t kProfileKey[] = L"Kelvarstone";
// Popup, clip children, system menu and minimise box.
constexpr DWORD kFrameStyle = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;

std::vector<std::wstring> CommandLineArguments() {
  std::vector<std::wstring> args;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
  ::LocalFree(argv);
  return args;
}

PathOracle SystemPaths() {
  PathOracle fs;
  fs.exists = [](const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
  fs.longForm = [](const std::wstring& path) -> std::optional<std::wstring> {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = ::GetLongPathNameW(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::nullopt;
    return std::wstring(buffer, n);
  };
  return fs;
}

// The window a second start brings forward: the first top-level window with
// the title, preferring one the user can see (the main frame rather than a
// collapsed drifting window).
struct FindTitled {
  const wchar_t* title;
  HWND first = nullptr;
  HWND visible = nullptr;
};

BOOL CALLBACK CollectTitled(HWND hwnd, LPARAM lp) {
  auto* find = reinterpret_cast<FindTitled*>(lp);
  wchar_t text[256] = {};
  ::GetWindowTextW(hwnd, text, 256);
  if (std::wstring_view(text) != find->title) return TRUE;
  if (!find->first) find->first = hwnd;
  const LONG_PTR ex = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  if (::IsWindowVisible(hwnd) && !(ex & WS_EX_TOOLWINDOW)) {
    find->visible = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

CK3Driftlet::CK3Driftlet() : fw::CWinApp(nullptr) {}

bool CK3Driftlet::TakeSingleInstance() {
  m_instanceMutex.reset(::CreateMutexW(nullptr, TRUE, m_appName.c_str()));
  if (!m_instanceMutex) return false;
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return true;
  // Another normal instance holds the mutex: this one never owned it.
  m_instanceMutex.reset();
  FindTitled find{m_appName.c_str()};
  ::EnumWindows(&CollectTitled, reinterpret_cast<LPARAM>(&find));
  if (HWND target = find.visible ? find.visible : find.first) {
    if (::IsIconic(target)) ::ShowWindow(target, SW_RESTORE);
    ::SetForegroundWindow(target);
  }
  return false;
}

BOOL CK3Driftlet::InitInstance() {
  // The drifting window draws its random numbers from this generator.
  std::srand(::GetTickCount());

  INITCOMMONCONTROLSEX icc{sizeof icc, 0xFF};
  ::InitCommonControlsEx(&icc);

  if (!fw::CWinApp::InitInstance()) return FALSE;
  if (FAILED(::OleInitialize(nullptr))) {
    ShowPairedMessage(nullptr, IDS_OLE_FAILED_JA, IDS_OLE_FAILED_EN, MB_OK | MB_ICONERROR);
    return FALSE;
  }
  oleStarted_ = true;

  m_driftlet = std::make_unique<CDriftlet>([] { return std::rand(); });

  m_appName = AppTitle(::GetSystemDefaultLangID());
  SetRegistryKey(kProfileKey);

  const std::wstring exePath = GetModulePath();
  // Written again at every start, in both modes; a failure (no rights, say)
  // does not stop the program.
  RegisterPackageFileType(kPackageClassWord, exePath.c_str());

  const LaunchDecision launch = DecideLaunch(CommandLineArguments(), SystemPaths());
  switch (launch.kind) {
    case LaunchKind::InvalidArgument:
      ShowPairedMessage(nullptr, IDS_INVALID_PARAMETER_JA, IDS_INVALID_PARAMETER_EN, MB_OK | MB_ICONINFORMATION);
      return FALSE;
    case LaunchKind::Package: {
      // Viewer mode: the package's photos drift; the argument is passed as
      // given, not in its long form.
      PackageDialogs ui(::GetDesktopWindow());
      OpenedPackage opened;
      if (!OpenPackage(launch.argument, ui, opened)) return FALSE;
      m_driftlet->ShowPackage(std::move(opened));
      m_viewerMode = true;
      break;
    }
    case LaunchKind::Normal:
      break;
  }

  if (!m_viewerMode && !TakeSingleInstance()) return FALSE;

  ReadFileVersion(exePath.c_str(), &m_versionMS, &m_versionLS);

  auto* frame = new (std::nothrow) CMainFrame(*m_driftlet, m_appName, m_viewerMode, m_appActive, m_versionMS, m_versionLS);
  if (!frame) return FALSE;
  SetMainWnd(std::unique_ptr<fw::CWnd>(frame));
  if (!frame->LoadFrame(IDR_MAINFRAME, kFrameStyle)) return FALSE;
  ::SetWindowTextW(frame->m_hWnd, m_appName.c_str());
  if (!m_viewerMode) {
    ::ShowWindow(frame->m_hWnd, SW_SHOW);
    ::UpdateWindow(frame->m_hWnd);
  }
  return TRUE;
}

void CK3Driftlet::OnUnhandledFailure() {
  ShowPairedMessage(nullptr, IDS_READ_ERROR_JA, IDS_READ_ERROR_EN, MB_OK | MB_ICONERROR);
}

int CK3Driftlet::ExitInstance() {
  // The drifting window (normally destroyed with the frame) and all it holds
  // go before the program does, so the last surface shuts GDI+ down here
  // rather than during the C++ run-time's final clean-up.
  m_driftlet.reset();
  if (m_instanceMutex) {
    ::ReleaseMutex(m_instanceMutex.get());
    m_instanceMutex.reset();
  }
  if (oleStarted_) {
    ::OleUninitialize();
    oleStarted_ = false;
  }
  return fw::CWinApp::ExitInstance();
}

}  // namespace k3
