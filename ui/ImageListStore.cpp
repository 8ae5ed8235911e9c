#include "ui/ImageListStore.h"

#include <windows.h>

#include "files/FileUtils.h"

namespace k3 {

namespace {

std::optional<std::string> ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int bytes =
      ::WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), bytes, nullptr,
                        &usedDefault);
  if (usedDefault) return std::nullopt;
  return out;
}

std::wstring FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int chars = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
  if (chars <= 0) return {};
  std::wstring out(static_cast<std::size_t>(chars), L'\0');
  ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, out.data(), chars);
  return out;
}

std::optional<std::wstring> PathForm(DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD), const std::wstring& path) {
  wchar_t buffer[1024];
  const DWORD n = convert(path.c_str(), buffer, 1024);
  if (n == 0 || n >= 1024) return std::nullopt;
  return std::wstring(buffer, n);
}

}  // namespace

ImageListPaths SystemImageListPaths() {
  ImageListPaths p;
  p.toAnsi = &ToAnsi;
  p.fromAnsi = &FromAnsi;
  p.shortForm = [](const std::wstring& path) { return PathForm(&::GetShortPathNameW, path); };
  p.longForm = [](const std::wstring& path) { return PathForm(&::GetLongPathNameW, path); };
  return p;
}

bool SaveImageListFile(const std::wstring& path, const std::vector<std::wstring>& photos) {
  const std::vector<std::uint8_t> bytes = EncodeImageList(photos, SystemImageListPaths());
  // A crash, a kill or a full disk during the write leaves the old list.
  return ReplaceWholeFile(static_cast<std::uint32_t>(bytes.size()), path, bytes.data()) != 0;
}

std::vector<std::wstring> LoadImageListFile(const std::wstring& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  return DecodeImageList(bytes.data(), bytes.size(), SystemImageListPaths());
}

}  // namespace k3
