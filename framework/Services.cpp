#include "framework/Services.h"

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

int WindowDpi(HWND window) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static const GetDpi getDpi = reinterpret_cast<GetDpi>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpi && window ? getDpi(window) : 0;
  return dpi ? static_cast<int>(dpi) : 96;
}

int MetricForDpi(int index, int dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const ForDpi forDpi = reinterpret_cast<ForDpi>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : ::GetSystemMetrics(index);
}

fw::OwnedCursor LoadCursorForDpi(UINT id, int dpi) {
  const int width = MetricForDpi(SM_CXCURSOR, dpi), height = MetricForDpi(SM_CYCURSOR, dpi);
  return fw::OwnedCursor(static_cast<HCURSOR>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, width, height, 0)));
}

}  // namespace k3
