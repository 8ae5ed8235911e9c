#include "framework/Texts.h"

#include "framework/LanguageRule.h"
#include "framework/WinApp.h"

namespace k3 {

bool IsJapaneseSystem() { return IsJapanese(::GetSystemDefaultLangID()); }

UINT PickText(UINT japaneseId, UINT englishId) {
  return PickByLanguage(::GetSystemDefaultLangID(), japaneseId, englishId);
}

std::wstring LoadResString(UINT id, HMODULE module) {
  // With a length of 0, LoadStringW hands out a pointer into the resource
  // itself, so texts of any length come back whole.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(module ? module : ::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

int ShowPairedMessage(HWND owner, UINT japaneseId, UINT englishId, UINT type) {
  const std::wstring text = LoadResString(PickText(japaneseId, englishId));
  return fw::AppMessageBox(owner, text.c_str(), type);
}

}  // namespace k3
