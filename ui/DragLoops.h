// The moves and resizes of the borderless main window by the mouse (in the
// framework's modal mouse loop), and the cursor of each resize zone.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/MouseLoop.h"

#include "ui/BorderZones.h"

namespace k3 {

// The system's sizing cursor of a zone; null for no zone.
HCURSOR BorderCursor(BorderZone zone);

// `view` holds the capture; `frame` follows the mouse at the size it has at
// each move, while `held` says the button is down.
void MoveByDrag(HWND view, HWND frame, const std::function<bool()>& held = fw::PrimaryButtonHeld);

// `view` holds the capture; the zone's edges of `frame` follow the mouse,
// never making it smaller than 800 x 600 logical pixels at `dpi`.
void ResizeByBorder(HWND view, HWND frame, BorderZone zone, int dpi);

}  // namespace k3
