// Paired texts: the Japanese text when the system's default language
// identifier is 1041, the English text otherwise, asked again at each use.
#pragma once

#include <windows.h>

#include <string>

namespace k3 {

bool IsJapaneseSystem();

// The identifier of the text in the system's language.
UINT PickText(UINT japaneseId, UINT englishId);

// A string resource of the running program (or of `module`); empty when
// there is none.
std::wstring LoadResString(UINT id, HMODULE module = nullptr);

// A message box with the paired text in the system's language, captioned
// with the application name. Returns the button pressed.
int ShowPairedMessage(HWND owner, UINT japaneseId, UINT englishId, UINT type);

}  // namespace k3
