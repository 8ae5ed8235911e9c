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

}  // namespace k3
