// Files and folders by full Windows path: existence, whole-file reading and
// writing, temporary names, deletion of trees and listing. Failures are
// reported by a zero result; nothing here shows a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k3 {

// 0 nothing there (or an empty path, or a wildcard pattern), 1 a file, 2 a
// folder or a drive root. A folder may be given with a trailing backslash.
int FileExists(const std::wstring& path);

// The whole file into `bytes`. Fails for missing files and for files of
// 4 GiB or more, which a 32-bit count cannot describe.
int ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes);

// Writes the buffer as the whole file, replacing an existing one. A failed
// write leaves no partial file behind.
int WriteWholeFile(std::uint32_t count, const std::wstring& path, const void* bytes);

// A path in the user's temporary folder at which nothing exists yet (".tmp"
// when the extension is empty). The caller creates the file or folder.
std::wstring MakeTempName(const std::wstring& extension);

// Deletes a file, clearing a read-only attribute if the first try fails.
int DeleteFileForce(const std::wstring& path);

// Deletes a file, or a folder with everything in it. A link (symbolic link,
// junction or other reparse point) met inside is removed as a link: what it
// points to is never entered or touched.
int DeleteTree(const std::wstring& path);

// Appends the path (a file) or the entries of the folder to `list`: files
// unless `folders` is set, sub-folders when it is; with `recurse`, depth
// first. Folders named exactly "_PAGE_" are left out with all they hold;
// links to folders are listed as folders but not entered.
int EnumeratePaths(const std::wstring& path, std::vector<std::wstring>& list, bool recurse, bool folders);

// The file name's extension, dot included; empty when there is none, and
// `extension` unchanged for an empty path.
void GetExtension(const std::wstring& path, std::wstring& extension);

}  // namespace k3
