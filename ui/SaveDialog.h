// The system's save dialog as the Save command opens it: the show filter,
// the default extension K3DLT, a prompt before overwriting.
#pragma once

#include <string>

namespace k3 {

// The path the user chose; empty when the dialog was cancelled.
std::wstring AskShowPath();

}  // namespace k3
