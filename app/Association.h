// The registry association of package files, written at every start.
#pragma once

#include <windows.h>

namespace k3 {

enum class AssociationResult {
  Failed,          // a key or value could not be written (earlier writes stay)
  Written,         // every value was written and the shell told
  AlreadyInPlace,  // nothing differed: nothing written, nobody told
};

// Writes the association of ".<classWord>" files with the executable for
// the user (below HKEY_CURRENT_USER\Software\Classes) and tells the shell,
// unless every key and value is already what would be written.
AssociationResult RegisterPackageFileType(const wchar_t* classWord, const wchar_t* exePath);

// Deletes subkey `name` of `parent` with everything below it. Returns 1 when
// the subkey itself was deleted.
int DeleteRegistryTree(HKEY parent, const wchar_t* name);

}  // namespace k3
