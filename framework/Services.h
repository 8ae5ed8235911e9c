// Small services that every layer shares: the program folder, file
// versions, paint pumping, work-area centring and the conversion between the
// portable rectangle and the system's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Handles.h"
#include "framework/Rect.h"

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

// Shows the window at `percent` opacity: exactly 100 removes the layered
// style, anything else sets it with the clamped opacity. The system's
// function is looked up by name once; without it nothing happens and the
// answer is FALSE.
BOOL SetWindowAlphaPercent(int percent, HWND window);

// Whether the system's "Show animations" is on (SPI_GETCLIENTAREAANIMATION;
// on where the system cannot tell).
bool ClientAreaAnimationsOn();

// The DPI a window is drawn at (96 where the system has no such notion, or
// for a program that has not declared itself aware of DPI).
int WindowDpi(HWND window);

// A system metric as it is at `dpi` (GetSystemMetricsForDpi where the
// system has it, else the metric of the system's own DPI).
int MetricForDpi(int index, int dpi);

// The cursor resource `id` of the program at the size the system asks for
// at `dpi`; null when it is missing.
fw::OwnedCursor LoadCursorForDpi(UINT id, int dpi);

inline RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Rect FromRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace k3
