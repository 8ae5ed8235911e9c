#include "files/FileUtils.h"

#include <windows.h>

#include "files/PathRules.h"
#include "framework/Handles.h"

namespace k3 {

PathKind FileExists(const std::wstring& path) {
  if (path.empty()) return PathKind::None;
  if (IsDriveRoot(path)) return PathKind::Folder;
  // A wildcard would make the search match other names.
  if (HasWildcard(path)) return PathKind::None;
  WIN32_FIND_DATAW found;
  fw::FindHandle find(::FindFirstFileW(WithoutTrailingBackslash(path).c_str(), &found));
  if (!find) return PathKind::None;
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

int ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  if (FileExists(path) == PathKind::None) return 0;
  fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.HighPart != 0) return 0;
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(size.LowPart);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  DWORD read = 0;
  if (size.LowPart > 0 &&
      (!::ReadFile(file.get(), buffer.data(), size.LowPart, &read, nullptr) || read != size.LowPart)) {
    return 0;
  }
  bytes = std::move(buffer);
  return 1;
}

int WriteWholeFile(std::uint32_t count, const std::wstring& path, const void* bytes) {
  DWORD written = 0;
  bool ok;
  {
    fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    ok = count == 0 || (::WriteFile(file.get(), bytes, count, &written, nullptr) && written == count);
  }
  if (!ok) {
    ::DeleteFileW(path.c_str());
    return 0;
  }
  return 1;
}

namespace {

enum class NewFile { Written, Exists, Failed };

// Writes the buffer as a file that did not exist before (never an existing
// file or a link at the name), its data on the disk before it is closed.
NewFile WriteNewFileDurably(std::uint32_t count, const std::wstring& path, const void* bytes) {
  DWORD written = 0;
  bool ok;
  {
    fw::FileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS
                          ? NewFile::Exists
                          : NewFile::Failed;
    ok = (count == 0 || (::WriteFile(file.get(), bytes, count, &written, nullptr) && written == count)) &&
         ::FlushFileBuffers(file.get());
  }
  if (!ok) {
    ::DeleteFileW(path.c_str());
    return NewFile::Failed;
  }
  return NewFile::Written;
}

}  // namespace

int ReplaceWholeFile(std::uint32_t count, const std::wstring& path, const void* bytes) {
  // The new file lies in the same folder, so putting it in place is a rename
  // on the same volume. It is created new (a name already taken, by a file
  // or a planted link, is passed over) and its data flushed before the
  // rename, so that a power loss leaves the old file or the whole new one.
  std::wstring fresh;
  for (int i = 0;; ++i) {
    fresh = path + L"." + std::to_wstring(i) + L".new";
    const NewFile result = WriteNewFileDurably(count, fresh, bytes);
    if (result == NewFile::Written) break;
    if (result == NewFile::Failed || i == 1000) return 0;
  }
  if (!::MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(fresh.c_str());
    return 0;
  }
  return 1;
}

std::wstring MakeTempName(const std::wstring& extension) { return MakeTempName(extension, ::GetTickCount()); }

std::wstring MakeTempName(const std::wstring& extension, std::uint32_t tickCount) {
  wchar_t folder[512] = {};
  const DWORD n = ::GetTempPathW(512, folder);
  const std::wstring base = TempNameBase(std::wstring(folder, n < 512 ? n : 0), tickCount);
  for (std::uint32_t i = 0;; ++i) {
    std::wstring candidate = TempNameCandidate(base, i, extension);
    if (FileExists(candidate) == PathKind::None) return candidate;
  }
}

std::wstring CreateTempFolder(const std::wstring& extension) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::wstring candidate = MakeTempName(extension);
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) return candidate;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

int DeleteFileForce(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return 1;
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::DeleteFileW(path.c_str()) ? 1 : 0;
}

namespace {

// Removes a link to a folder as a link. The system removes a junction or a
// directory symbolic link with RemoveDirectory without entering it.
bool RemoveFolderLink(const std::wstring& path) {
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::RemoveDirectoryW(path.c_str()) || ::DeleteFileW(path.c_str());
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// The path the system resolves a file or folder to, following links; empty
// when it cannot be read.
std::wstring FinalPath(const std::wstring& path) {
  fw::FileHandle handle(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return {};
  wchar_t buffer[1024];
  const DWORD n = ::GetFinalPathNameByHandleW(handle.get(), buffer, 1024, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= 1024) return {};
  return std::wstring(buffer, n);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether a file entry of `folderFinal` really lives there. A link to a
// file elsewhere is not always marked as one (Wine shows a Unix link to a
// file as a plain file, and deleting it deletes the file it points to), but
// it resolves to a path outside the folder.
bool FileLivesIn(const std::wstring& file, const std::wstring& folderFinal) {
  if (folderFinal.empty()) return true;
  const std::wstring final = FinalPath(file);
  if (final.empty()) return true;
  const std::size_t slash = final.find_last_of(L'\\');
  return slash != std::wstring::npos && SamePath(final.substr(0, slash), folderFinal);
}

}  // namespace

int DeleteTree(const std::wstring& path) {
  if (FileExists(path) == PathKind::File) {
    DeleteFileForce(path);
    return 1;
  }
  // A link given as the tree itself is removed, not followed.
  const DWORD attributes = ::GetFileAttributesW(WithoutTrailingBackslash(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && IsLink(attributes)) {
    return RemoveFolderLink(WithoutTrailingBackslash(path)) ? 1 : 0;
  }
  WIN32_FIND_DATAW found;
  fw::FindHandle find(::FindFirstFileW(JoinPath(path, L"*.*").c_str(), &found));
  if (!find) return 0;
  const std::wstring folderFinal = FinalPath(WithoutTrailingBackslash(path));
  bool complete = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = JoinPath(path, name);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (IsLink(found.dwFileAttributes)) {
        // A link that cannot be removed (Wine cannot remove one to a Unix
        // folder) stays; the rest is still deleted and failure reported.
        if (!RemoveFolderLink(child)) complete = false;
      } else if (!DeleteTree(child)) {
        return 0;
      }
    } else if (IsLink(found.dwFileAttributes)) {
      // Deleting a link marked as one removes the link, not its target.
      DeleteFileForce(child);
    } else if (FileLivesIn(child, folderFinal)) {
      DeleteFileForce(child);
    } else {
      // A link the system cannot remove safely: left alone.
      complete = false;
    }
  } while (::FindNextFileW(find.get(), &found));
  find.reset();
  if (!complete) return 0;
  ::SetFileAttributesW(WithoutTrailingBackslash(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(path.c_str());
  return 1;
}

void OwnedFolder::reset() {
  const std::wstring path = std::exchange(path_, {});
  if (!path.empty() && FileExists(path) == PathKind::Folder) DeleteTree(path);
}

int EnumeratePaths(const std::wstring& path, std::vector<std::wstring>& list, bool recurse, bool folders,
                   const std::function<void()>& betweenEntries) {
  const PathKind kind = FileExists(path);
  if (kind == PathKind::None) return 0;
  if (kind == PathKind::File) {
    if (!folders) list.push_back(path);
    return 1;
  }
  WIN32_FIND_DATAW found;
  fw::FindHandle find(::FindFirstFileW(JoinPath(path, L"*.*").c_str(), &found));
  if (!find) return 0;
  do {
    const std::wstring name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (!folders) list.push_back(JoinPath(path, name));
      if (betweenEntries) betweenEntries();
      continue;
    }
    if (name == L"." || name == L"..") continue;
    // Folders named exactly "_PAGE_" hold page images, not photos.
    if (name == L"_PAGE_") continue;
    const std::wstring child = JoinPath(path, name);
    if (folders) list.push_back(child);
    // A link to a folder is listed but not entered: a link back to a folder
    // above it would otherwise never end.
    if (recurse && !IsLink(found.dwFileAttributes) && !EnumeratePaths(child, list, recurse, folders, betweenEntries)) {
      return 0;
    }
    if (betweenEntries) betweenEntries();
  } while (::FindNextFileW(find.get(), &found));
  return 1;
}

void GetExtension(const std::wstring& path, std::wstring& extension) {
  if (path.empty()) return;
  extension = PathExtension(path);
}

}  // namespace k3
