// The registry association of package files, written at every start.
#pragma once

#include <windows.h>

namespace k3 {

// Writes the association of ".<classWord>" files with the executable for
// the user (below HKEY_CURRENT_USER\Software\Classes) and tells the shell.
// Returns 1 when every value was written, 0 at the first failure (earlier
// writes stay).
int RegisterPackageFileType(const wchar_t* classWord, const wchar_t* exePath);

// Deletes subkey `name` of `parent` with everything below it. Returns 1 when
// the subkey itself was deleted.
int DeleteRegistryTree(HKEY parent, const wchar_t* name);

}  // namespace k3
