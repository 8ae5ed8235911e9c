#include "framework/PathText.h"

namespace k3 {

std::wstring PathExtension(std::wstring_view path) {
  std::size_t dot = std::wstring_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i];
    if (c == L'\\' || c == L' ') {
      dot = std::wstring_view::npos;
    } else if (c == L'.') {
      dot = i;
    }
  }
  if (dot == std::wstring_view::npos) return {};
  return std::wstring(path.substr(dot));
}

namespace {
wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
}  // namespace

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace k3
