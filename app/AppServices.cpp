#include "app/AppServices.h"

#include <vector>

#include "app/StartupRules.h"
#include "framework/Handles.h"

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
  const Rect r = CenterInRect(Rect{work.left, work.top, work.right, work.bottom}, size.cx, size.cy);
  return RECT{r.left, r.top, r.right, r.bottom};
}

namespace {

// Opens a key for writing; if that fails, creates it, closes it and opens it
// again. An empty result is a failure.
fw::RegKey OpenOrCreateKey(HKEY parent, const wchar_t* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, name, 0, KEY_WRITE, &key) == ERROR_SUCCESS) return fw::RegKey(key);
  if (::RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return {};
  }
  ::RegCloseKey(key);
  key = nullptr;
  if (::RegOpenKeyExW(parent, name, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return {};
  return fw::RegKey(key);
}

// Writes a key's default value with its terminating null character.
bool SetDefaultString(HKEY key, DWORD type, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
         ERROR_SUCCESS;
}

}  // namespace

int RegisterPackageFileType(const wchar_t* classWord, const wchar_t* exePath) {
  const std::wstring extensionKey = std::wstring(L".") + classWord;
  const std::wstring typeKey = std::wstring(classWord) + L"file";
  {
    fw::RegKey ext = OpenOrCreateKey(HKEY_CLASSES_ROOT, extensionKey.c_str());
    if (!ext || !SetDefaultString(ext.get(), REG_SZ, typeKey)) return 0;
  }
  // Whatever the type key held before goes; only what is written here stays.
  DeleteRegistryTree(HKEY_CLASSES_ROOT, typeKey.c_str());

  fw::RegKey type = OpenOrCreateKey(HKEY_CLASSES_ROOT, typeKey.c_str());
  if (!type) return 0;
  {
    fw::RegKey shell = OpenOrCreateKey(type.get(), L"shell");
    if (!shell) return 0;
    fw::RegKey open = OpenOrCreateKey(shell.get(), L"open");
    if (!open) return 0;
    fw::RegKey command = OpenOrCreateKey(open.get(), L"command");
    if (!command || !SetDefaultString(command.get(), REG_EXPAND_SZ, AssociationOpenCommand(exePath))) return 0;
  }
  fw::RegKey icon = OpenOrCreateKey(type.get(), L"DefaultIcon");
  if (!icon || !SetDefaultString(icon.get(), REG_EXPAND_SZ, AssociationDefaultIcon(exePath))) return 0;
  return 1;
}

int DeleteRegistryTree(HKEY parent, const wchar_t* name) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) return 0;
  fw::RegKey key(raw);
  for (;;) {
    wchar_t child[261];
    DWORD length = 261;
    const LONG r = ::RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    // Any other answer would repeat for ever: give up instead.
    if (r != ERROR_SUCCESS || !DeleteRegistryTree(key.get(), child)) return 0;
  }
  key.reset();
  return ::RegDeleteKeyW(parent, name) == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace k3
