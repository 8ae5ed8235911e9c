#include "ui/SaveDialog.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"

namespace k3 {

std::wstring AskShowPath() {
  std::wstring filter = LoadResString(PickText(IDS_SAVE_FILTER, IDS_SAVE_FILTER + 1));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  std::vector<wchar_t> file(MAX_PATH, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  // No owner: the dialog is a window of its own in the task bar.
  ofn.hwndOwner = nullptr;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = L"K3DLT";
  ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (!::GetSaveFileNameW(&ofn)) return {};
  return std::wstring(file.data());
}

std::vector<std::wstring> AskPhotoFiles(HWND owner) {
  std::wstring filter = LoadResString(PickText(IDS_OPEN_FILTER, IDS_OPEN_FILTER + 1));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  const std::wstring title = LoadResString(PickText(IDS_OPEN_TITLE, IDS_OPEN_TITLE + 1));
  // Room for many names: the folder, then each name, each ended by a zero.
  std::vector<wchar_t> buffer(64 * 1024, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
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
