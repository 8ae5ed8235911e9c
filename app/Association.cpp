#include "app/Association.h"

#include <shlobj.h>

#include <initializer_list>
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

// Whether the key's default value is of the type and text given.
bool DefaultValueIs(HKEY key, DWORD type, const std::wstring& text) {
  const DWORD expectedBytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  std::wstring data(text.size() + 2, L'\0');
  DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  DWORD actualType = REG_NONE;
  if (::RegQueryValueExW(key, nullptr, nullptr, &actualType, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
      ERROR_SUCCESS) {
    return false;
  }
  return actualType == type && bytes == expectedBytes &&
         data.compare(0, text.size() + 1, text.c_str(), text.size() + 1) == 0;
}

// Whether key `name` below `parent` holds exactly the subkeys named and, as
// its only value, the default value of the type and text given (no value
// at all for an empty text). The data is compared with its terminating null
// character, as it is written.
bool KeyHolds(HKEY parent, const wchar_t* name, std::initializer_list<const wchar_t*> subkeys, DWORD type = REG_NONE,
              const std::wstring& text = {}) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(parent, name, 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  fw::RegKey key(raw);
  DWORD subkeyCount = 0, valueCount = 0;
  if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, &valueCount, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
      subkeyCount != subkeys.size() || valueCount != (text.empty() ? 0u : 1u)) {
    return false;
  }
  for (const wchar_t* subkey : subkeys) {
    HKEY child = nullptr;
    if (::RegOpenKeyExW(key.get(), subkey, 0, KEY_READ, &child) != ERROR_SUCCESS) return false;
    ::RegCloseKey(child);
  }
  return text.empty() || DefaultValueIs(key.get(), type, text);
}

// Whether the association is already what it would be written as.
bool AssociationInPlace(HKEY classes, const std::wstring& extensionKey, const std::wstring& typeKey,
                        const wchar_t* exePath) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(classes, extensionKey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  fw::RegKey ext(raw);
  if (!DefaultValueIs(ext.get(), REG_SZ, typeKey)) return false;
  // The type key holds exactly what is written below, nothing else.
  const std::wstring type = typeKey + L"\\";
  return KeyHolds(classes, typeKey.c_str(), {L"shell", L"DefaultIcon"}) &&
         KeyHolds(classes, (type + L"shell").c_str(), {L"open"}) &&
         KeyHolds(classes, (type + L"shell\\open").c_str(), {L"command"}) &&
         KeyHolds(classes, (type + L"shell\\open\\command").c_str(), {}, REG_EXPAND_SZ,
                  AssociationOpenCommand(exePath)) &&
         KeyHolds(classes, (type + L"DefaultIcon").c_str(), {}, REG_EXPAND_SZ, AssociationDefaultIcon(exePath));
}

}  // namespace

AssociationResult RegisterPackageFileType(const wchar_t* classWord, const wchar_t* exePath) {
  // The user's part of the classes root, which HKEY_CLASSES_ROOT shows
  // first: writing through HKEY_CLASSES_ROOT would put a key that exists in
  // neither part under the machine's classes, which a standard user (and
  // an administrator without elevation) may not change. The machine's keys
  // are never touched.
  fw::RegKey classes = OpenOrCreateKey(HKEY_CURRENT_USER, L"Software\\Classes");
  if (!classes) return AssociationResult::Failed;
  const std::wstring extensionKey = std::wstring(L".") + classWord;
  const std::wstring typeKey = std::wstring(classWord) + L"file";
  // Telling the shell makes Explorer refresh every icon on the desktop: an
  // association already in place is left alone, and nobody is told.
  if (AssociationInPlace(classes.get(), extensionKey, typeKey, exePath)) return AssociationResult::AlreadyInPlace;
  {
    fw::RegKey ext = OpenOrCreateKey(classes.get(), extensionKey.c_str());
    if (!ext || !SetDefaultString(ext.get(), REG_SZ, typeKey)) return AssociationResult::Failed;
  }
  // Whatever the type key held before goes; only what is written here stays.
  DeleteRegistryTree(classes.get(), typeKey.c_str());

  fw::RegKey type = OpenOrCreateKey(classes.get(), typeKey.c_str());
  if (!type) return AssociationResult::Failed;
  {
    fw::RegKey shell = OpenOrCreateKey(type.get(), L"shell");
    if (!shell) return AssociationResult::Failed;
    fw::RegKey open = OpenOrCreateKey(shell.get(), L"open");
    if (!open) return AssociationResult::Failed;
    fw::RegKey command = OpenOrCreateKey(open.get(), L"command");
    if (!command || !SetDefaultString(command.get(), REG_EXPAND_SZ, AssociationOpenCommand(exePath))) {
      return AssociationResult::Failed;
    }
  }
  fw::RegKey icon = OpenOrCreateKey(type.get(), L"DefaultIcon");
  if (!icon || !SetDefaultString(icon.get(), REG_EXPAND_SZ, AssociationDefaultIcon(exePath))) {
    return AssociationResult::Failed;
  }
  // Explorer reads associations once: it is told that they changed.
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return AssociationResult::Written;
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
