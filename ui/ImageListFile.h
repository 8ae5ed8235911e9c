// The persisted photo list IMG.DAT: no header and no count, one 512-byte
// record per photo in list order, each the photo's full path in the ANSI
// code page with a terminating zero (at most 255 bytes of text); the rest of
// a record has no meaning. Pure: the conversions between UTF-16 and the code
// page, and the short and long forms of a path, are handed in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace k3 {

inline constexpr std::size_t kImageListRecordBytes = 512;
inline constexpr std::size_t kImageListPathBytes = 255;

// What the codec needs of the system.
struct ImageListPaths {
  // The path in the ANSI code page; nothing when a character has no form
  // there (it would be stored as a replacement character and name no file).
  std::function<std::optional<std::string>(const std::wstring&)> toAnsi;
  // A record's text back to UTF-16.
  std::function<std::wstring(std::string_view)> fromAnsi;
  // The short (8.3) form of an existing path, when it has one.
  std::function<std::optional<std::wstring>(const std::wstring&)> shortForm;
  // The long form of an existing path, when it can be read.
  std::function<std::optional<std::wstring>(const std::wstring&)> longForm;
};

// The record text of a path: its ANSI form, or, when that is lossy or longer
// than 255 bytes, the ANSI form of its short form, which names the same file.
// Nothing when neither fits: the photo cannot be stored.
std::optional<std::string> RecordText(const std::wstring& path, const ImageListPaths& paths);

// The whole file for the photos in list order. Photos that cannot be stored
// are left out.
std::vector<std::uint8_t> EncodeImageList(const std::vector<std::wstring>& photos, const ImageListPaths& paths);

// The paths of a file's records, in order. A trailing piece shorter than a
// record is ignored; a record without a zero byte is read as its 512 bytes.
// A path stored in its short form (a name with a tilde) comes back in its
// long form; the file system is not asked about other paths.
std::vector<std::wstring> DecodeImageList(const std::uint8_t* data, std::size_t size, const ImageListPaths& paths);

}  // namespace k3
