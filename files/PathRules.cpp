#include "files/PathRules.h"

namespace k3 {

bool IsDriveRoot(std::wstring_view path) { return path.size() == 3 && path[1] == L':' && path[2] == L'\\'; }

std::wstring WithoutTrailingBackslash(std::wstring_view path) {
  if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  return std::wstring(path);
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring joined(folder);
  if (joined.empty() || joined.back() != L'\\') joined += L'\\';
  joined += name;
  return joined;
}

bool HasWildcard(std::wstring_view path) { return path.find_first_of(L"*?") != std::wstring_view::npos; }

namespace {
std::wstring Hex(std::uint32_t v, int minDigits) {
  static const wchar_t digits[] = L"0123456789ABCDEF";
  std::wstring s;
  do {
    s.insert(s.begin(), digits[v & 15]);
    v >>= 4;
  } while (v);
  while (static_cast<int>(s.size()) < minDigits) s.insert(s.begin(), L'0');
  return s;
}
}  // namespace

std::wstring TempNameBase(std::wstring_view tempFolder, std::uint32_t tickCount) {
  return std::wstring(tempFolder) + Hex(tickCount, 8);
}

std::wstring TempNameCandidate(std::wstring_view base, std::uint32_t n, std::wstring_view extension) {
  return std::wstring(base) + L"_" + Hex(n, 1) + std::wstring(extension.empty() ? L".tmp" : extension);
}

}  // namespace k3
