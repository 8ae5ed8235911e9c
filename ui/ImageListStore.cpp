#include "ui/ImageListStore.h"

#include <windows.h>

#include "files/FileUtils.h"

namespace k3 {

namespace {

// The text in the code page, when it comes back from there unchanged. The
// round trip decides for every code page: the flags that report a lossy
// conversion directly (WC_NO_BEST_FIT_CHARS, the used-default answer) are
// refused for UTF-8, the ANSI code page of systems set to "Use Unicode
// UTF-8 for worldwide language support".
std::optional<std::string> ToCodePage(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int bytes = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(bytes), '\0');
  if (::WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr) != bytes) {
    return std::nullopt;
  }
  const int chars = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, out.data(), bytes, nullptr, 0);
  if (chars != length) return std::nullopt;
  std::wstring back(static_cast<std::size_t>(chars), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, out.data(), bytes, back.data(), chars);
  if (back != text) return std::nullopt;
  return out;
}

std::wstring FromCodePage(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int chars = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (chars <= 0) return {};
  std::wstring out(static_cast<std::size_t>(chars), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), chars);
  return out;
}

std::optional<std::wstring> PathForm(DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD), const std::wstring& path) {
  wchar_t buffer[1024];
  const DWORD n = convert(path.c_str(), buffer, 1024);
  if (n == 0 || n >= 1024) return std::nullopt;
  return std::wstring(buffer, n);
}

}  // namespace

ImageListPaths CodePageImageListPaths(unsigned codePage) {
  ImageListPaths p;
  p.toAnsi = [codePage](const std::wstring& text) { return ToCodePage(codePage, text); };
  p.fromAnsi = [codePage](std::string_view text) { return FromCodePage(codePage, text); };
  p.shortForm = [](const std::wstring& path) { return PathForm(&::GetShortPathNameW, path); };
  p.longForm = [](const std::wstring& path) { return PathForm(&::GetLongPathNameW, path); };
  return p;
}

ImageListPaths SystemImageListPaths() { return CodePageImageListPaths(CP_THREAD_ACP); }

bool SaveImageListFile(const std::wstring& path, const std::vector<std::wstring>& photos, const ImageListPaths& paths) {
  const std::vector<std::uint8_t> bytes = EncodeImageList(photos, paths);
  // A photo that has no form in the code page (nor a short form) cannot be
  // stored and is left out; the others are kept. Should none of the photos
  // listed be storable, a list on disk is kept rather than replaced by an
  // empty one.
  if (bytes.empty() && !photos.empty()) {
    std::vector<std::uint8_t> old;
    if (ReadWholeFile(path, old) && !old.empty()) return false;
  }
  // A crash, a kill or a full disk during the write leaves the old list.
  return ReplaceWholeFile(static_cast<std::uint32_t>(bytes.size()), path, bytes.data()) != 0;
}

bool SaveImageListFile(const std::wstring& path, const std::vector<std::wstring>& photos) {
  return SaveImageListFile(path, photos, SystemImageListPaths());
}

std::vector<std::wstring> LoadImageListFile(const std::wstring& path, const ImageListPaths& paths) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  return DecodeImageList(bytes.data(), bytes.size(), paths);
}

std::vector<std::wstring> LoadImageListFile(const std::wstring& path) {
  return LoadImageListFile(path, SystemImageListPaths());
}

}  // namespace k3
