// Files and folders by full Windows path: existence, whole-file reading and
// writing, temporary names, deletion of trees and listing. Failures are
// reported by a zero result; nothing here shows a message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace k3 {

// What is at a path.
enum class PathKind {
  None = 0,    // nothing (or an empty path, or a wildcard pattern)
  File = 1,
  Folder = 2,  // a folder or a drive root
};

// A folder may be given with a trailing backslash.
PathKind FileExists(const std::wstring& path);

// The whole file into `bytes`. Fails for missing files and for files of
// 4 GiB or more, which a 32-bit count cannot describe.
int ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes);

// Writes the buffer as the whole file, replacing an existing one. A failed
// write leaves no partial file behind.
int WriteWholeFile(std::uint32_t count, const std::wstring& path, const void* bytes);

// Writes the buffer to a new file beside `path` and puts it in place of
// `path` only once every byte is written: a failure at any point leaves an
// existing file as it was, and no partial file.
int ReplaceWholeFile(std::uint32_t count, const std::wstring& path, const void* bytes);

// A path in the user's temporary folder at which nothing exists yet (".tmp"
// when the extension is empty). The caller creates the file or folder.
std::wstring MakeTempName(const std::wstring& extension);
// The same for a given tick count (the name's stem).
std::wstring MakeTempName(const std::wstring& extension, std::uint32_t tickCount);

// Creates a new folder in the user's temporary folder and returns its path
// (empty when none can be made). A name that another program takes between
// the choice and the creation (two shows opened in the same millisecond) is
// passed over for the next one.
std::wstring CreateTempFolder(const std::wstring& extension);

// Deletes a file, clearing a read-only attribute if the first try fails.
int DeleteFileForce(const std::wstring& path);

// Deletes a file, or a folder with everything in it. A link (symbolic link,
// junction or other reparse point) met inside is removed as a link: what it
// points to is never entered or touched.
int DeleteTree(const std::wstring& path);

// Appends the path (a file) or the entries of the folder to `list`: files
// unless `folders` is set, sub-folders when it is; with `recurse`, depth
// first. Folders named exactly "_PAGE_" are left out with all they hold;
// links to folders are listed as folders but not entered. `betweenEntries`,
// when given, is called after each entry: a long walk keeps the caller's
// windows painted there.
int EnumeratePaths(const std::wstring& path, std::vector<std::wstring>& list, bool recurse, bool folders,
                   const std::function<void()>& betweenEntries = {});

// A folder the program made (the photos of an opened package, say), deleted
// with everything in it when its owner lets it go.
class OwnedFolder {
 public:
  OwnedFolder() = default;
  explicit OwnedFolder(std::wstring path) : path_(std::move(path)) {}
  ~OwnedFolder() { reset(); }
  OwnedFolder(const OwnedFolder&) = delete;
  OwnedFolder& operator=(const OwnedFolder&) = delete;
  OwnedFolder(OwnedFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  OwnedFolder& operator=(OwnedFolder&& other) noexcept {
    if (this != &other) {
      reset();
      path_ = std::exchange(other.path_, {});
    }
    return *this;
  }

  const std::wstring& path() const { return path_; }
  bool empty() const { return path_.empty(); }
  // Deletes the folder now (if it is still there) and owns nothing after.
  void reset();

 private:
  std::wstring path_;
};

// The file name's extension, dot included; empty when there is none, and
// `extension` unchanged for an empty path.
void GetExtension(const std::wstring& path, std::wstring& extension);

}  // namespace k3
