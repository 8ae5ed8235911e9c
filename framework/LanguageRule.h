// The language rule of both programs: the Japanese text when the system's
// default language identifier is 1041, the English text otherwise. Portable;
// framework/Texts.h asks the system at each use.
#pragma once

#include <cstdint>

namespace k3 {

// Language identifier that selects the Japanese texts.
inline constexpr std::uint16_t kJapaneseLangId = 1041;

inline constexpr bool IsJapanese(std::uint16_t langId) { return langId == kJapaneseLangId; }

// The program's name in each edition, as its windows' titles and its
// message boxes show it (both programs and the tests take it from here).
inline constexpr const wchar_t* kJapaneseTitle = L"\u30D5\u30A9\u30C8\u30C9\u30EA\u30D5\u30EC\u30C3\u30C8";  // フォトドリフレット
inline constexpr const wchar_t* kEnglishTitle = L"Kelvarstone Photo Driftlet";

// Every text exists as a Japanese and an English resource; this picks one.
template <typename T>
constexpr T PickByLanguage(std::uint16_t langId, T japanese, T english) {
  return IsJapanese(langId) ? japanese : english;
}

}  // namespace k3
