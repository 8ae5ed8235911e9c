#include "ui/SaveDialog.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"

namespace k3 {

namespace {

// A dialog's file types from their paired text ("name|pattern||").
std::wstring FilterText(UINT pair) {
  std::wstring filter = LoadResString(PickText(pair, pair + 1));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  return filter;
}

// The dialog's description: its file types, its owner and where the
// chosen names go.
OPENFILENAMEW Described(const std::wstring& filter, HWND owner, std::vector<wchar_t>& names) {
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = names.data();
  ofn.nMaxFile = static_cast<DWORD>(names.size());
  return ofn;
}

}  // namespace

std::wstring AskShowPath() {
  const std::wstring filter = FilterText(IDS_SAVE_FILTER);
  std::vector<wchar_t> file(MAX_PATH, L'\0');
  // No owner: the dialog is a window of its own in the task bar.
  OPENFILENAMEW ofn = Described(filter, nullptr, file);
  ofn.lpstrDefExt = L"K3DLT";
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (!::GetSaveFileNameW(&ofn)) return {};
  return std::wstring(file.data());
}

std::vector<std::wstring> AskPhotoFiles(HWND owner) {
  const std::wstring filter = FilterText(IDS_OPEN_FILTER);
  const std::wstring title = LoadResString(PickText(IDS_OPEN_TITLE, IDS_OPEN_TITLE + 1));
  // Room for many names: the folder, then each name, each ended by a zero.
  std::vector<wchar_t> buffer(64 * 1024, L'\0');
  OPENFILENAMEW ofn = Described(filter, owner, buffer);
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ALLOWMULTISELECT;
  if (!::GetOpenFileNameW(&ofn)) return {};
  std::vector<std::wstring> names;
  const wchar_t* at = buffer.data();
  const std::wstring first = at;
  at += first.size() + 1;
  // One file: its whole path; several: the folder, then their names.
  if (!*at) return {first};
  const std::wstring folder = first.empty() || first.back() == L'\\' ? first : first + L'\\';
  while (*at) {
    const std::wstring name = at;
    names.push_back(folder + name);
    at += name.size() + 1;
  }
  return names;
}

}  // namespace k3
