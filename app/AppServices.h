// Small services of start-up that other subsystems share: the program
// folder, file versions, paint pumping, work-area centring and the registry
// association of package files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace k3 {

// Folder of the running executable, ending with a backslash.
std::wstring GetModuleFolder();

// Full path of the running executable.
std::wstring GetModulePath();

// Fills the most and least significant words of F's file version (each only
// when given). Returns 1 on success, 0 when F has no version information;
// the words are then left untouched.
int ReadFileVersion(const wchar_t* path, std::uint32_t* mostSignificant, std::uint32_t* leastSignificant);

// Removes every pending paint message of the calling thread from the queue
// and delivers it at once with a synchronous send, so windows repaint inside
// long loops that do not return to the message loop.
void PumpPaintMessages();

// The rectangle of the given size centred in the desktop work area.
RECT CenterInWorkArea(SIZE size);

// Writes the association of ".<classWord>" files with the executable below
// HKEY_CLASSES_ROOT. Returns 1 when every value was written, 0 at the first
// failure (earlier writes stay).
int RegisterPackageFileType(const wchar_t* classWord, const wchar_t* exePath);

// Deletes subkey `name` of `parent` with everything below it. Returns 1 when
// the subkey itself was deleted.
int DeleteRegistryTree(HKEY parent, const wchar_t* name);

}  // namespace k3
