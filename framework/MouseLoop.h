// The one modal loop of a mouse drag in the program (the drifting photo's
// grab, the main window's move and resize): it holds the mouse capture on
// a window and serves only mouse and paint messages until the primary
// button comes up or the capture goes; every other message stays queued.
// Between messages it waits for input instead of spinning a core.
#pragma once

#include <windows.h>

#include <functional>

namespace fw {

// Whether the primary mouse button is held now (the right button when the
// system swaps the buttons).
bool PrimaryButtonHeld();

// The screen position of the message being handled (the press that starts
// a drag): the cursor's own position may be ahead of the queued messages.
POINT MessagePosition();

struct MouseLoopResult {
  bool moved = false;  // at least one mouse move arrived
  POINT last{0, 0};    // the last move's screen position
};

// Runs the loop on `window`: `onMove` gets the screen position of every
// move. It ends when the button comes up, when `held` says it is no longer
// held, when `captureLost` (set by the window's WM_CAPTURECHANGED) turns
// true or when another window has the capture.
MouseLoopResult RunMouseLoop(HWND window, const std::function<void(POINT)>& onMove,
                             const std::function<bool()>& held = PrimaryButtonHeld, const bool* captureLost = nullptr);

}  // namespace fw
