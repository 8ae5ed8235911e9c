// The modal mouse loops that move and resize the borderless main window,
// and the cursor of each resize zone. The loops hold the mouse capture and
// serve only mouse and paint messages until the button comes up (or another
// window takes the capture); every other message stays queued.
#pragma once

#include <windows.h>

#include "ui/BorderZones.h"

namespace k3 {

// The system's sizing cursor of a zone; null for no zone.
HCURSOR BorderCursor(BorderZone zone);

// `view` holds the capture; `frame` follows the mouse at its size.
void MoveByDrag(HWND view, HWND frame);

// `view` holds the capture; the zone's edges of `frame` follow the mouse,
// never making it smaller than 800 x 600.
void ResizeByBorder(HWND view, HWND frame, BorderZone zone);

}  // namespace k3
