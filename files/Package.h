// Saving a show (settings and photos) as one package file, and opening one:
// its photos are extracted into a new temporary folder and handed to the
// drifting window, which deletes the folder when it goes.
#pragma once

#include <windows.h>

#include <string>

namespace k3 {

class CDriftlet;

// Writes the package of the window's settings and photos. False when there
// are no photos (nothing written, no message) or the file cannot be written
// (message shown; no partial file is left).
bool SavePackage(CDriftlet& driftlet, HWND parent, const std::wstring& path);

// Checks and extracts the package into the window object. False, after a
// message for a file that cannot be read or is not a package, when it
// cannot be opened; a damaged package leaves no folder behind.
bool OpenPackage(CDriftlet& driftlet, HWND parent, const std::wstring& path);

}  // namespace k3
