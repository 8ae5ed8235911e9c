// The notification area's menu and tip: which commands it offers in which
// state, with which texts (resource pairs: Japanese at the pair, English
// after it). Pure, tested natively.
#pragma once

#include <vector>

namespace k3 {

// The menu's commands (sent to the window that owns the icon).
enum TrayCommand : unsigned {
  kTrayPause = 0x7101,  // pauses or resumes the drift
  kTrayHide,            // hides or shows the photos
  kTrayMainWindow,      // shows the main window (normal mode)
  kTrayExit,            // exits as the main window's close does
};

// What the menu reflects.
struct TrayState {
  bool paused = false;
  bool hidden = false;
  bool viewerMode = false;
  // Whether the pause key is ours (another program may have taken it).
  bool keyAvailable = true;
};

struct TrayMenuItem {
  unsigned command = 0;
  unsigned textPair = 0;
  // Drawn with a line above it.
  bool separatorBefore = false;
  constexpr bool operator==(const TrayMenuItem&) const = default;
};

// Pause or Resume (with the key, or saying it is taken), Hide or Show
// photos, Show the main window (not in viewer mode), then Exit after a
// line.
std::vector<TrayMenuItem> TrayMenuItems(const TrayState& state);

// The text pair added to the tip after the program's name; 0 for none.
unsigned TrayTipSuffix(const TrayState& state);

}  // namespace k3
