#include "desktop/DriftWatch.h"

#include <shellapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/Services.h"

namespace k3 {

namespace {

// The watchers of this thread: the system calls the hook procedure with the
// hook, not with a context of ours. Hooks set out of context are called on
// the thread that set them, the interface thread.
std::vector<DriftWatch*>& Watches() {
  static std::vector<DriftWatch*> watches;
  return watches;
}

bool IsShellWindow(HWND hwnd) {
  if (hwnd == ::GetDesktopWindow() || hwnd == ::GetShellWindow()) return true;
  wchar_t name[64] = L"";
  ::GetClassNameW(hwnd, name, 64);
  // The desktop's icon view, the layer behind it and the task bars.
  for (const wchar_t* shell : {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
    if (std::wcscmp(name, shell) == 0) return true;
  }
  return false;
}

// The file name alone of a process's program, or nothing when it cannot be
// asked.
std::wstring ProcessFileName(DWORD process) {
  fw::KernelHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!::QueryFullProcessImageNameW(handle.get(), 0, path, &size)) return {};
  const std::wstring full(path, size);
  const std::size_t slash = full.find_last_of(L"\\/");
  return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// The shell's report of a presentation or a Direct3D full-screen program,
// where the system has it.
ShellState QueryShellState() {
  using Query = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
  static const Query query = [] {
    HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    return shell ? reinterpret_cast<Query>(
                       reinterpret_cast<void*>(::GetProcAddress(shell, "SHQueryUserNotificationState")))
                 : nullptr;
  }();
  QUERY_USER_NOTIFICATION_STATE state{};
  if (!query || FAILED(query(&state))) return ShellState::Unknown;
  if (state == QUNS_PRESENTATION_MODE) return ShellState::Presentation;
  if (state == QUNS_RUNNING_D3D_FULL_SCREEN) return ShellState::Direct3DFullScreen;
  return ShellState::Other;
}

}  // namespace

void DriftWatch::Start(HWND hwnd) {
  Stop();
  hwnd_ = hwnd;
  sessionRegistered_ = ::WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
  // The display of this session (Windows 8 and later): over Remote
  // Desktop the console's monitor may sleep while the session's shows.
  display_.reset(::RegisterPowerSettingNotification(hwnd, &GUID_SESSION_DISPLAY_STATUS, DEVICE_NOTIFY_WINDOW_HANDLE));
  if (!display_) {
    display_.reset(::RegisterPowerSettingNotification(hwnd, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE));
  }
  // Windows 7 knows only the monitor's power.
  if (!display_) {
    display_.reset(::RegisterPowerSettingNotification(hwnd, &GUID_MONITOR_POWER_ON, DEVICE_NOTIFY_WINDOW_HANDLE));
  }
  Watches().push_back(this);
  // Foreground changes and minimizing, of every process (this one too: the
  // user coming back to the program ends a full-screen pause).
  foreground_.reset(::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_MINIMIZEEND, nullptr, &OnWinEvent, 0, 0,
                                      WINEVENT_OUTOFCONTEXT));
  FollowForeground();
}

void DriftWatch::Stop() {
  location_.reset();
  foreground_.reset();
  followedProcess_ = 0;
  followedWindow_ = nullptr;
  auto& watches = Watches();
  watches.erase(std::remove(watches.begin(), watches.end(), this), watches.end());
  display_.reset();
  if (sessionRegistered_) ::WTSUnRegisterSessionNotification(hwnd_);
  sessionRegistered_ = false;
  hwnd_ = nullptr;
  posted_ = false;
  eventsArrive_ = false;
}

void DriftWatch::FollowForeground() {
  DWORD process = 0;
  HWND fg = ::GetForegroundWindow();
  if (fg) ::GetWindowThreadProcessId(fg, &process);
  // Neither this program nor the shell is ever a full-screen program: their
  // windows' events need not be heard.
  if (process == ::GetCurrentProcessId() || (fg && IsShellWindow(fg))) process = 0;
  followedWindow_ = process ? fg : nullptr;
  if (process == followedProcess_ && (location_ || !process)) return;
  location_.reset();
  followedProcess_ = process;
  // Its windows' destruction, hiding, state and location changes (the
  // range from EVENT_OBJECT_DESTROY to EVENT_OBJECT_LOCATIONCHANGE): a
  // closed foreground window need not make another one the foreground.
  if (process) {
    location_.reset(::SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_LOCATIONCHANGE, nullptr, &OnWinEvent, process,
                                      0, WINEVENT_OUTOFCONTEXT));
  }
}

void DriftWatch::Notify() {
  if (posted_ || !hwnd_) return;
  posted_ = ::PostMessageW(hwnd_, WM_DRIFT_FOREGROUND, 0, 0) != FALSE;
}

void CALLBACK DriftWatch::OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                                     DWORD) {
  for (DriftWatch* watch : Watches()) {
    if (hook == watch->foreground_.get()) {
      if (event == EVENT_SYSTEM_FOREGROUND) {
        watch->eventsArrive_ = true;
        watch->FollowForeground();
      }
      if (event == EVENT_SYSTEM_FOREGROUND || event == EVENT_SYSTEM_MINIMIZESTART ||
          event == EVENT_SYSTEM_MINIMIZEEND || event == EVENT_SYSTEM_MOVESIZEEND) {
        watch->Notify();
      }
      return;
    }
    if (hook == watch->location_.get()) {
      // The foreground window itself went, hid, moved or changed its size.
      const bool watched = event == EVENT_OBJECT_DESTROY || event == EVENT_OBJECT_HIDE || event == EVENT_OBJECT_SHOW ||
                           event == EVENT_OBJECT_STATECHANGE || event == EVENT_OBJECT_LOCATIONCHANGE;
      if (watched && object == OBJID_WINDOW && child == CHILDID_SELF && hwnd && hwnd == watch->followedWindow_) {
        watch->Notify();
      }
      return;
    }
  }
}

FullScreenSeen DriftWatch::TakeForegroundChange() {
  posted_ = false;
  FollowForeground();
  return FullScreenNow();
}

ForegroundFacts DriftWatch::Facts(HWND fg, HWND self, Rect* screen) {
  ForegroundFacts f;
  HMONITOR mine = ::MonitorFromWindow(self, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (screen) *screen = ::GetMonitorInfoW(mine, &info) ? FromRect(info.rcMonitor) : Rect{};
  if (!fg || !::IsWindow(fg)) return f;
  f.present = true;
  DWORD process = 0;
  ::GetWindowThreadProcessId(fg, &process);
  f.ownProcess = process == ::GetCurrentProcessId();
  f.desktopOrShell = IsShellWindow(fg);
  f.systemOverlay = !f.ownProcess && IsSystemOverlayProgram(ProcessFileName(process));
  f.visible = ::IsWindowVisible(fg) != FALSE;
  f.minimized = ::IsIconic(fg) != FALSE;
  RECT client{};
  if (::GetClientRect(fg, &client)) {
    ::MapWindowPoints(fg, nullptr, reinterpret_cast<POINT*>(&client), 2);
    f.client = FromRect(client);
  }
  f.onDriftScreen = ::MonitorFromWindow(fg, MONITOR_DEFAULTTONEAREST) == mine;
  return f;
}

FullScreenSeen DriftWatch::FullScreenNow() const {
  FullScreenSeen seen;
  if (!hwnd_) return seen;
  const ShellState shell = QueryShellState();
  if (shell == ShellState::Presentation) {
    seen.seen = seen.everywhere = true;
    return seen;
  }
  // The foreground window seen from its own monitor: whether it covers it.
  const HWND fg = ::GetForegroundWindow();
  Rect monitor;
  const ForegroundFacts f = Facts(fg, fg && ::IsWindow(fg) ? fg : hwnd_, &monitor);
  seen.seen = FullScreenForeground(f, monitor, shell);
  if (seen.seen) seen.monitor = monitor;
  return seen;
}

}  // namespace k3
