// Path text rules shared by the file helpers, without touching the disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/PathText.h"

namespace k3 {

// A drive root such as "C:\": three characters, the second a colon and the
// third a backslash.
bool IsDriveRoot(std::wstring_view path);

// The path without one trailing backslash, if it has one.
std::wstring WithoutTrailingBackslash(std::wstring_view path);

// folder + name, with a backslash between them unless the folder already
// ends with one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// Whether the path holds a wildcard, so that it cannot name one file.
bool HasWildcard(std::wstring_view path);

// Temporary names: the base is the temporary folder followed by the tick
// count as eight upper-case hex digits; candidate n appends "_", n in
// upper-case hex and the extension (".tmp" when it is empty).
std::wstring TempNameBase(std::wstring_view tempFolder, std::uint32_t tickCount);
std::wstring TempNameCandidate(std::wstring_view base, std::uint32_t n, std::wstring_view extension);

}  // namespace k3
