#include "ui/ImageListFile.h"

#include <algorithm>
#include <cstring>

namespace k3 {

std::optional<std::string> RecordText(const std::wstring& path, const ImageListPaths& paths) {
  const auto fits = [](const std::optional<std::string>& text) {
    return text && !text->empty() && text->size() <= kImageListPathBytes && text->find('\0') == std::string::npos;
  };
  std::optional<std::string> text = paths.toAnsi(path);
  if (fits(text)) return text;
  // A name the code page cannot spell, or too long a path: the short form
  // names the same file in plain characters, when the file system keeps one.
  if (paths.shortForm) {
    if (const std::optional<std::wstring> shortPath = paths.shortForm(path)) {
      text = paths.toAnsi(*shortPath);
      if (fits(text)) return text;
    }
  }
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeImageList(const std::vector<std::wstring>& photos, const ImageListPaths& paths) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(photos.size() * kImageListRecordBytes);
  for (const std::wstring& photo : photos) {
    const std::optional<std::string> text = RecordText(photo, paths);
    if (!text) continue;
    // The rest of the record is zero: no stale bytes of another path.
    const std::size_t start = bytes.size();
    bytes.resize(start + kImageListRecordBytes, 0);
    std::memcpy(bytes.data() + start, text->data(), text->size());
  }
  return bytes;
}

std::vector<std::wstring> DecodeImageList(const std::uint8_t* data, std::size_t size, const ImageListPaths& paths) {
  std::vector<std::wstring> photos;
  if (!data) return photos;
  for (std::size_t offset = 0; offset + kImageListRecordBytes <= size; offset += kImageListRecordBytes) {
    const char* record = reinterpret_cast<const char*>(data + offset);
    const std::size_t length = std::find(record, record + kImageListRecordBytes, '\0') - record;
    if (length == 0) continue;
    std::wstring path = paths.fromAnsi(std::string_view(record, length));
    // A path stored in its short form is shown and kept in its long form.
    // Short forms made by the file system have a tilde in a name; a path
    // without one is its own long form (and asking the file system for
    // each of many paths takes time at every start).
    if (paths.longForm && path.find(L'~') != std::wstring::npos) {
      if (std::optional<std::wstring> longPath = paths.longForm(path)) path = std::move(*longPath);
    }
    photos.push_back(std::move(path));
  }
  return photos;
}

}  // namespace k3
