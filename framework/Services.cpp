#include "framework/Services.h"

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/WindowAlpha.h"

#include <vector>

namespace k3 {

std::wstring GetModulePath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::wstring(path, n);
}

std::wstring GetModuleFolder() {
  wchar_t path[512] = {};
  const DWORD n = ::GetModuleFileNameW(nullptr, path, 511);
  if (n == 0 || n >= 511) return {};
  // Drive and directory of the full path, which ends with its separator.
  std::wstring full(path, n);
  const std::size_t slash = full.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  return full.substr(0, slash + 1);
}

int ReadFileVersion(const wchar_t* path, std::uint32_t* mostSignificant, std::uint32_t* leastSignificant) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return 0;
  std::vector<BYTE> block(size, 0);
  if (!::GetFileVersionInfoW(path, 0, size, block.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoLength = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoLength) || !info ||
      infoLength < sizeof(VS_FIXEDFILEINFO)) {
    return 0;
  }
  if (mostSignificant) *mostSignificant = info->dwFileVersionMS;
  if (leastSignificant) *leastSignificant = info->dwFileVersionLS;
  return 1;
}

void PumpPaintMessages() {
  // A window that never validates its area would post WM_PAINT forever; the
  // bound keeps a long loop from hanging on such a window.
  MSG msg;
  for (int i = 0; i < 1024 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    if (msg.hwnd) ::SendMessageW(msg.hwnd, WM_PAINT, 0, 0);
  }
}

RECT CenterInWorkArea(SIZE size) {
  RECT work{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  return ToRect(CenterInRect(FromRect(work), size.cx, size.cy));
}

namespace {

using SetLayeredAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredAttributes LayeredFunction() {
  static const SetLayeredAttributes function = [] {
    HMODULE user = ::GetModuleHandleW(L"user32.dll");
    return user ? reinterpret_cast<SetLayeredAttributes>(
                      reinterpret_cast<void*>(::GetProcAddress(user, "SetLayeredWindowAttributes")))
                : nullptr;
  }();
  return function;
}

}  // namespace

BOOL SetWindowAlphaPercent(int percent, HWND window) {
  const SetLayeredAttributes setLayered = LayeredFunction();
  if (!setLayered) return FALSE;
  const LONG_PTR ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  const std::optional<std::uint8_t> opacity = LayeredOpacity(percent);
  if (!opacity) {
    if (ex & WS_EX_LAYERED) ::SetWindowLongPtrW(window, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    return TRUE;
  }
  if (!(ex & WS_EX_LAYERED)) ::SetWindowLongPtrW(window, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  return setLayered(window, 0, *opacity, LWA_ALPHA);
}

bool ClientAreaAnimationsOn() {
  BOOL on = TRUE;
  if (!::SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0)) return true;
  return on != FALSE;
}

namespace {

// The system's DPI, where the system knows no other (Windows 7).
unsigned SystemDpi() {
  fw::WindowDc screen(nullptr);
  return screen ? static_cast<unsigned>(::GetDeviceCaps(screen.get(), LOGPIXELSX)) : 0u;
}

template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name, bool load = false) {
  HMODULE handle = load ? ::LoadLibraryW(module) : ::GetModuleHandleW(module);
  return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name))) : nullptr;
}

}  // namespace

int WindowDpi(HWND window) {
  if (!window) return kBaseDpi;
  using ForWindow = UINT(WINAPI*)(HWND);
  static const ForWindow forWindow = SystemFunction<ForWindow>(L"user32.dll", "GetDpiForWindow");
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  // Windows 8.1 and Windows 10 before 1607: the monitor's effective DPI.
  static const ForMonitor forMonitor =
      forWindow ? nullptr : SystemFunction<ForMonitor>(L"shcore.dll", "GetDpiForMonitor", true);
  return DpiFromSources(
      forWindow ? std::function<unsigned()>([&] { return forWindow(window); }) : std::function<unsigned()>(),
      forMonitor ? std::function<unsigned()>([&]() -> unsigned {
        UINT x = 0, y = 0;
        const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        return SUCCEEDED(forMonitor(monitor, 0 /* effective DPI */, &x, &y)) ? x : 0u;
      })
                 : std::function<unsigned()>(),
      &SystemDpi);
}

int MetricForDpi(int index, int dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const ForDpi forDpi = SystemFunction<ForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // Before Windows 10 1607 the metrics are the system DPI's, scaled.
  return MetricAtDpi(::GetSystemMetrics(index), static_cast<int>(SystemDpi()), dpi);
}

fw::OwnedCursor LoadCursorForDpi(UINT id, int dpi) {
  const int width = MetricForDpi(SM_CXCURSOR, dpi), height = MetricForDpi(SM_CYCURSOR, dpi);
  return fw::OwnedCursor(static_cast<HCURSOR>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, width, height, 0)));
}

}  // namespace k3
