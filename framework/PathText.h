// Text rules for file names that every layer shares, without touching the
// disk.
#pragma once

#include <string>
#include <string_view>

namespace k3 {

// The extension of the file name as the shell finds it: from the last dot of
// the last path component to the end, dot included; empty when there is
// none. A backslash or a blank after a dot ends the candidate, as with the
// shell's own PathFindExtension.
std::wstring PathExtension(std::wstring_view path);

// Case-insensitive comparison for ASCII letters (extensions and the like).
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace k3
