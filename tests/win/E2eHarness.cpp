#include "E2eHarness.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string_view>

#include "framework/Handles.h"
#include "ui/ImageListFile.h"
#include "framework/LanguageRule.h"

namespace e2e {

std::wstring BinFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path);
  return s.substr(0, s.find_last_of(L"\\/") + 1);
}

std::wstring DriftletPath() { return BinFolder() + L"k3driftlet.bin"; }

bool JapaneseEdition() { return ::GetSystemDefaultLangID() == 1041; }

std::wstring ExpectedTitle() { return JapaneseEdition() ? k3::kJapaneseTitle : k3::kEnglishTitle; }

DWORD Scaled(DWORD ms) {
  static const double factor = [] {
    wchar_t text[32] = L"";
    if (!::GetEnvironmentVariableW(L"K3_TIME_SCALE", text, 32)) return 1.0;
    const double f = std::wcstod(text, nullptr);
    return f >= 1 && f <= 100 ? f : 1.0;
  }();
  return static_cast<DWORD>(ms * factor);
}

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + Scaled(timeoutMs);
  for (;;) {
    PumpMessages();
    if (ready()) return true;
    if (::GetTickCount64() >= end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + Scaled(timeoutMs);
  for (;;) {
    if (ready()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(50);
  }
}

Program::Program(const std::wstring& arguments, bool waitForInput) : Program(DriftletPath(), arguments, waitForInput) {}

Program::Program(const std::wstring& exePath, const std::wstring& arguments, bool waitForInput)
    : Program(exePath, arguments, waitForInput, false) {}

Program::Program(const std::wstring& exePath, const std::wstring& arguments, bool waitForInput, bool holdFile) {
  if (exePath == DriftletPath()) ::DeleteFileW((BinFolder() + L"IMG.DAT").c_str());
  fw::FileHandle held;
  if (holdFile) {
    held.reset(::CreateFileW(exePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held) return;
  }
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    if (held) {
      HANDLE process = nullptr;
      ::DuplicateHandle(::GetCurrentProcess(), pi.hProcess, ::GetCurrentProcess(), &process, SYNCHRONIZE, FALSE, 0);
      holder_ = std::thread([file = std::move(held), ended = fw::KernelHandle(process)]() mutable {
        ::WaitForSingleObject(ended.get(), INFINITE);
        file.reset();
      });
    }
    if (waitForInput) ::WaitForInputIdle(process_.get(), Scaled(10000));
  }
}

Program::~Program() {
  Kill();
  if (holder_.joinable()) holder_.join();
}

void Program::Kill() const {
  if (!Running()) return;
  ::TerminateProcess(process_.get(), 99);
  ::WaitForSingleObject(process_.get(), 5000);
}

bool Program::Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Program::WaitExit(DWORD timeoutMs) const {
  if (!process_ || ::WaitForSingleObject(process_.get(), Scaled(timeoutMs)) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

namespace {

struct WindowQuery {
  DWORD pid;  // 0 = any process
  std::wstring title;
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<WindowQuery*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (q->pid && pid != q->pid) return TRUE;
  if (!q->title.empty() && WindowText(hwnd) != q->title) return TRUE;
  if (!q->className.empty()) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (q->className != cls) return TRUE;
  }
  q->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> FindWindows(DWORD pid, const std::wstring& title, const std::wstring& className) {
  WindowQuery q{pid, title, className, {}};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

namespace {

bool IsToolWindow(HWND hwnd) { return (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0; }

}  // namespace

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  // WM_GETTEXT crosses processes; GetWindowText would not ask a control of
  // another process.
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, nullptr);
  return text;
}

std::vector<HWND> Program::Windows(const std::wstring& title) const { return FindWindows(pid_, title); }

HWND Program::WaitMainFrame(DWORD timeoutMs) const {
  HWND frame = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : Windows(ExpectedTitle())) {
          if (!IsToolWindow(h) && ::IsWindowVisible(h)) frame = h;
        }
        return frame != nullptr;
      },
      timeoutMs);
  return frame;
}

HWND Program::WaitDriftWindow(DWORD timeoutMs) const {
  HWND drift = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : Windows(ExpectedTitle())) {
          if (IsToolWindow(h)) drift = h;
        }
        return drift != nullptr;
      },
      timeoutMs);
  return drift;
}

std::optional<MessageBoxInfo> WaitMessageBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        // Message boxes only: the progress bar and the save dialog are
        // dialogs too, but have no text control of the message box's.
        // A box is taken once its text is in place (a box caught while it
        // is being laid out may show its text control still empty).
        for (HWND h : FindWindows(pid, L"", L"#32770")) {
          const HWND text = ::GetDlgItem(h, 0xFFFF);
          if (::IsWindowVisible(h) && text && !WindowText(text).empty()) box = h;
        }
        return box != nullptr;
      },
      timeoutMs);
  if (!box) return std::nullopt;
  MessageBoxInfo info;
  info.hwnd = box;
  info.caption = WindowText(box);
  // The text of a message box is the static control with identifier 0xFFFF.
  if (HWND text = ::GetDlgItem(box, 0xFFFF)) info.text = WindowText(text);
  return info;
}

namespace {

// The box's icon is the first static control that holds an icon image.
HWND FindIconControl(HWND box) {
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    ::GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0 && (::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

std::vector<COLORREF> Capture(HDC source, int x, int y, int w, int h) {
  fw::MemoryDc mem(::CreateCompatibleDC(source));
  fw::GdiBitmap bmp(::CreateCompatibleBitmap(source, w, h));
  std::vector<COLORREF> pixels;
  {
    fw::SelectObjectScope sel(mem.get(), bmp.get());
    ::BitBlt(mem.get(), 0, 0, w, h, source, x, y, SRCCOPY);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) pixels.push_back(::GetPixel(mem.get(), i, j));
  }
  return pixels;
}

std::vector<COLORREF> ScreenPixels(const RECT& r) {
  fw::WindowDc screen(nullptr);
  return Capture(screen.get(), r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int SessionDpi() {
  // Aware of every monitor's DPI, as the program is: the test then sees
  // the program's windows at their real pixels, not scaled to 96.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  static const bool aware = [] {
    const auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    return set && set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));  // per monitor, version 2
  }();
  (void)aware;
  fw::WindowDc screen(nullptr);
  return ::GetDeviceCaps(screen.get(), LOGPIXELSX);
}

namespace {

struct FindLogo {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK CollectLogo(HWND hwnd, LPARAM lp) {
  auto* find = reinterpret_cast<FindLogo*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  if (pid == find->pid && std::wstring_view(cls) == L"K3DriftletLogo") {
    find->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindLogoWindow(DWORD pid) {
  FindLogo find{pid};
  ::EnumWindows(&CollectLogo, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

std::optional<int> LayeredOpacity(HWND hwnd) {
  if (!(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return std::nullopt;
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  if (!::GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) return 255;
  return int{alpha};
}

LPCWSTR MessageBoxIcon(HWND box) {
  HWND iconControl = FindIconControl(box);
  if (!iconControl) return nullptr;
  RECT rc;
  ::GetWindowRect(iconControl, &rc);
  const int w = ::GetSystemMetrics(SM_CXICON), h = ::GetSystemMetrics(SM_CYICON);
  ::SetForegroundWindow(box);
  fw::WindowDc screen(nullptr);
  // The icon is on the screen once its cell holds more than one colour.
  std::vector<COLORREF> shown;
  WaitUntil(
      [&] {
        shown = Capture(screen.get(), rc.left, rc.top, w, h);
        return std::any_of(shown.begin(), shown.end(), [&](COLORREF c) { return c != shown.front(); });
      },
      3000);
  // Draw each candidate over the same background and keep the nearest.
  const COLORREF background = shown.front();
  LPCWSTR best = nullptr;
  long long bestDistance = LLONG_MAX;
  for (LPCWSTR candidate : {IDI_INFORMATION, IDI_QUESTION, IDI_WARNING, IDI_ERROR}) {
    fw::MemoryDc mem(::CreateCompatibleDC(screen.get()));
    fw::GdiBitmap bmp(::CreateCompatibleBitmap(screen.get(), w, h));
    std::vector<COLORREF> drawn;
    {
      fw::SelectObjectScope sel(mem.get(), bmp.get());
      fw::GdiBrush brush(::CreateSolidBrush(background));
      RECT all{0, 0, w, h};
      ::FillRect(mem.get(), &all, brush.get());
      ::DrawIconEx(mem.get(), 0, 0, ::LoadIconW(nullptr, candidate), w, h, 0, nullptr, DI_NORMAL);
      drawn = Capture(mem.get(), 0, 0, w, h);
    }
    long long distance = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      distance += std::abs(GetRValue(drawn[i]) - GetRValue(shown[i])) +
                  std::abs(GetGValue(drawn[i]) - GetGValue(shown[i])) +
                  std::abs(GetBValue(drawn[i]) - GetBValue(shown[i]));
    }
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

void PressButton(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::optional<std::wstring> ReadDefaultValue(HKEY root, const std::wstring& key, DWORD* type) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return std::nullopt;
  fw::RegKey k(raw);
  wchar_t data[1024] = {};
  DWORD bytes = sizeof data - sizeof(wchar_t);
  DWORD t = 0;
  if (::RegQueryValueExW(k.get(), nullptr, nullptr, &t, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type) *type = t;
  // The stored size includes the terminating null character.
  if (bytes < sizeof(wchar_t) || data[bytes / sizeof(wchar_t) - 1] != 0) return std::wstring(L"<no terminator>");
  return std::wstring(data);
}

std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return names;
  fw::RegKey k(raw);
  for (DWORD i = 0;; ++i) {
    wchar_t name[261];
    DWORD length = 261;
    if (::RegEnumKeyExW(k.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace e2e

namespace e2e {

bool RunPackTool(const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + BinFolder() + L"k3pack.exe\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  ::CloseHandle(pi.hThread);
  ::WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hProcess);
  return code == 0;
}

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<std::uint8_t> bytes;
  fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return bytes;
  bytes.resize(::GetFileSize(file.get(), nullptr));
  DWORD read = 0;
  if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    read = 0;
  bytes.resize(read);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const void* bytes, std::size_t count) {
  fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes, static_cast<DWORD>(count), &written, nullptr) && written == count;
}

std::string UnixPath(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  char* p = toUnix(path.c_str());
  if (!p) return {};
  std::string out(p);
  ::HeapFree(::GetProcessHeap(), 0, p);
  return out;
}

std::optional<int> RunUnixCommand(const std::string& command, DWORD timeoutMs) {
  // Wine starts Unix programs but gives no handle to wait on: the command
  // leaves its exit status in a file when it is done. (The handles it
  // returns are no handles: whatever was in their place, which a 32-bit
  // process once closed as its own cached key of the machine's registry.)
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  static int serial = 0;
  const std::wstring mark =
      std::wstring(temp) + L"k3-unix-done-" + std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(++serial);
  const std::string unixMark = UnixPath(mark);
  if (unixMark.empty()) return std::nullopt;
  std::string full = "Z:\\bin\\sh -c \"" + command + "; echo $? > '" + unixMark + ".part'; mv '" + unixMark +
                     ".part' '" + unixMark + "'\"";
  std::wstring wide(full.begin(), full.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return std::nullopt;
  }
  const bool done = WaitUntil([&] { return ::GetFileAttributesW(mark.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs);
  std::optional<int> status;
  if (done) {
    char text[16] = {};
    HANDLE f = ::CreateFileW(mark.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      DWORD read = 0;
      ::ReadFile(f, text, sizeof text - 1, &read, nullptr);
      ::CloseHandle(f);
      status = std::atoi(text);
    }
  }
  ::DeleteFileW(mark.c_str());
  return status;
}

namespace {

// One figure of the running k3driftlet.bin processes, read on the Unix side.
double DriftletUsage(const char* what) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring out = std::wstring(temp) + L"k3-usage-" + std::to_wstring(::GetTickCount64()) + L".txt";
  if (RunUnixCommand("'" K3_TEST_TOOLS "/proc-usage.sh' " + std::string(what) + " k3driftlet.bin '" + UnixPath(out) +
                     "'") != 0) {
    return -1;
  }
  const std::vector<std::uint8_t> text = ReadFileBytes(out);
  ::DeleteFileW(out.c_str());
  if (text.empty()) return -1;
  return std::atof(std::string(text.begin(), text.end()).c_str());
}

}  // namespace

double DriftletCpuMilliseconds() { return DriftletUsage("cpu"); }

double DriftletPeakMegabytes() {
  const double kb = DriftletUsage("peak");
  return kb < 0 ? kb : kb / 1024;
}

bool RunUnixShell(const std::string& command, DWORD timeoutMs) {
  return RunUnixCommand(command, timeoutMs).has_value();
}

bool MouseClick(int x, int y) {
  return RunUnixCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1") == 0;
}

bool MouseDrag(int fromX, int fromY, int toX, int toY) {
  // In steps, as a hand moves, with the button held throughout.
  std::string steps;
  for (int i = 1; i <= 5; ++i) {
    steps += " mousemove " + std::to_string(fromX + (toX - fromX) * i / 5) + " " +
             std::to_string(fromY + (toY - fromY) * i / 5) + " sleep 0.1";
  }
  return RunUnixCommand("xdotool mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) +
                        " sleep 0.1 mousedown 1 sleep 0.2" + steps + " sleep 0.2 mouseup 1") == 0;
}

std::optional<int> DropFiles(int x, int y, const std::vector<std::wstring>& paths) {
  std::string command =
      "/usr/bin/python3 '" K3_TEST_TOOLS "/xdnd-drop.py' " + std::to_string(x) + " " + std::to_string(y);
  for (const std::wstring& p : paths) command += " '" + UnixPath(p) + "'";
  return RunUnixCommand(command, 20000);
}

POINT ScreenCentre(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT RectIn(HWND parent, HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

COLORREF ScreenPixel(int x, int y) {
  fw::WindowDc screen(nullptr);
  return ::GetPixel(screen.get(), x, y);
}

HWND WaitViewerWindow(const Program& program, DWORD timeoutMs) {
  HWND viewer = nullptr;
  WaitUntil(
      [&] {
        for (HWND h : program.Windows(ExpectedTitle())) {
          RECT rc;
          ::GetWindowRect(h, &rc);
          if (::IsWindowVisible(h) && rc.right - rc.left > 0) viewer = h;
        }
        return viewer != nullptr;
      },
      timeoutMs);
  return viewer;
}

std::vector<std::wstring> TempFolders() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  fw::FindHandle find(::FindFirstFileW((std::wstring(temp) + L"*.tmp").c_str(), &found));
  if (!find) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(found.cFileName);
  } while (::FindNextFileW(find.get(), &found));
  return names;
}

}  // namespace e2e

namespace e2e {

namespace {
std::string ReadSmallFile(const std::wstring& path) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char text[64] = {};
  DWORD read = 0;
  if (f != INVALID_HANDLE_VALUE) {
    ::ReadFile(f, text, sizeof text - 1, &read, nullptr);
    ::CloseHandle(f);
  }
  return std::string(text, read);
}
constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}  // namespace

UpdateService::UpdateService(const std::wstring& releases) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  folder_ = std::wstring(temp) + L"k3-service-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount64()) + L"\\";
  ::CreateDirectoryW(folder_.c_str(), nullptr);
  const std::string folder = UnixPath(folder_);
  RunUnixCommand("/usr/bin/python3 '" K3_TEST_TOOLS "/update-service.py' --releases '" + UnixPath(releases) +
                 "' --port-file '" + folder +
                 "port' --max-requests 100 --max-seconds 120 >/dev/null 2>&1 & echo $! > '" + folder + "pid'");
  const std::wstring portFile = folder_ + L"port";
  WaitUntil([&] { return ::GetFileAttributesW(portFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
  port_ = std::atoi(ReadSmallFile(portFile).c_str());
}

UpdateService::~UpdateService() {
  const std::string folder = UnixPath(folder_);
  RunUnixCommand("kill $(cat '" + folder + "pid') 2>/dev/null; rm -rf '" + folder + "'");
}

std::wstring UpdateService::Url(const std::wstring& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

bool UpdateService::SetFault(const std::string& fault) {
  return RunUnixCommand("/usr/bin/python3 '" K3_TEST_TOOLS "/set-fault.py' " + std::to_string(port_) + " " + fault) ==
         0;
}

ProxyScope::ProxyScope(int port) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)) {
    return;
  }
  const DWORD enable = 1;
  const std::wstring server = L"127.0.0.1:" + std::to_wstring(port);
  ::RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
  ::RegSetValueExW(key, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

ProxyScope::~ProxyScope() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_ALL_ACCESS, &key)) return;
  const DWORD disable = 0;
  ::RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&disable), sizeof disable);
  ::RegDeleteValueW(key, L"ProxyServer");
  ::RegCloseKey(key);
}

std::string Narrow(const std::wstring& s) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

void WriteImageList(const std::wstring& path, const std::vector<std::wstring>& photos) {
  k3::ImageListPaths paths;
  paths.toAnsi = [](const std::wstring& p) { return std::optional<std::string>(Narrow(p)); };
  paths.shortForm = [](const std::wstring&) { return std::optional<std::wstring>(); };
  WriteFileBytes(path, k3::EncodeImageList(photos, paths));
}

}  // namespace e2e
