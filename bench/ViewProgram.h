// What the main view's benchmarks share, and those that run the real
// program (bench/ViewProgram.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace k3::viewbench {

double Median(std::vector<double> v);
// A folder of `count` names for one photo file (hard links where the file
// system has them).
std::vector<std::wstring> Photos(const std::wstring& folder, const std::wstring& original, int count);
void RemoveFolder(const std::wstring& folder, const std::vector<std::wstring>& files);

// `count` photos of `photoFolder` dropped on the real program through X drag
// and drop: the rows, the first thumbnail on the screen, the longest answer
// of the window meanwhile, the program's peak memory. The program's
// IMG.DAT then holds them.
void DropBenchmark(const wchar_t* label, const std::wstring& programFolder, const std::wstring& photoFolder, int count);
// The real program started with the IMG.DAT the last drop left: until the
// main window answers with the whole list.
void ListLoadBenchmark(const std::wstring& programFolder);

}  // namespace k3::viewbench
