#include "app/Association.h"

#include <shlobj.h>

#include <string>

#include "app/StartupRules.h"
#include "framework/Handles.h"

namespace k3 {

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
  // The user's part of the classes root, which HKEY_CLASSES_ROOT shows
  // first: writing through HKEY_CLASSES_ROOT would put a key that exists in
  // neither part under the machine's classes, which a standard user (and
  // an administrator without elevation) may not change. The machine's keys
  // are never touched.
  fw::RegKey classes = OpenOrCreateKey(HKEY_CURRENT_USER, L"Software\\Classes");
  if (!classes) return 0;
  const std::wstring extensionKey = std::wstring(L".") + classWord;
  const std::wstring typeKey = std::wstring(classWord) + L"file";
  {
    fw::RegKey ext = OpenOrCreateKey(classes.get(), extensionKey.c_str());
    if (!ext || !SetDefaultString(ext.get(), REG_SZ, typeKey)) return 0;
  }
  // Whatever the type key held before goes; only what is written here stays.
  DeleteRegistryTree(classes.get(), typeKey.c_str());

  fw::RegKey type = OpenOrCreateKey(classes.get(), typeKey.c_str());
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
  // Explorer reads associations once: it is told that they changed.
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
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
