// The system's file dialogs of the main view: the save dialog as the Save
// command opens it (the show filter, the default extension K3DLT, a prompt
// before overwriting), and the open dialog that adds photos (Ctrl+O).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace k3 {

// The path the user chose; empty when the dialog was cancelled.
std::wstring AskShowPath();

// The JPEG files the user chose, several at once, in a dialog owned by
// `owner`; none when it was cancelled.
std::vector<std::wstring> AskPhotoFiles(HWND owner);

}  // namespace k3
