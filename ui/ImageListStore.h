// IMG.DAT on disk: the records of ui/ImageListFile.h in the thread's ANSI
// code page, written so that an interrupted save never loses the list that
// was there before.
#pragma once

#include <string>
#include <vector>

#include "ui/ImageListFile.h"

namespace k3 {

// The system's side of the codec: the thread's ANSI code page (a character
// without a form there makes the text lossy), and the short and long forms
// of paths from the file system.
ImageListPaths SystemImageListPaths();
// The same for a given code page (the thread's is CP_THREAD_ACP): a text is
// lossless when it comes back from the code page unchanged.
ImageListPaths CodePageImageListPaths(unsigned codePage);

// Writes the list to a new file beside `path` and puts it in place of
// `path` only once every byte is written. False (and the old file as it
// was) when it cannot be written, or when none of the photos listed can be
// stored in the code page while a list is on disk.
bool SaveImageListFile(const std::wstring& path, const std::vector<std::wstring>& photos);
bool SaveImageListFile(const std::wstring& path, const std::vector<std::wstring>& photos, const ImageListPaths& paths);

// The photos of the file in order; none when it cannot be read.
std::vector<std::wstring> LoadImageListFile(const std::wstring& path);
std::vector<std::wstring> LoadImageListFile(const std::wstring& path, const ImageListPaths& paths);

}  // namespace k3
