// The main window's colours, defined once.
#pragma once

#include <windows.h>

namespace k3::palette {

// The view's background, the settings panel's and the title bar's.
inline constexpr COLORREF kPanel = RGB(245, 250, 254);
// The photo list's background and its rows.
inline constexpr COLORREF kList = RGB(229, 234, 238);
inline constexpr COLORREF kSelectedRow = RGB(255, 234, 238);
inline constexpr COLORREF kRowText = RGB(96, 96, 96);
// A thumbnail's box until the thumbnail is made.
inline constexpr COLORREF kThumbPlaceholder = RGB(214, 219, 224);
// The title bar's text while the program is active and while it is not.
inline constexpr COLORREF kTitleActive = RGB(64, 64, 72);
inline constexpr COLORREF kTitleInactive = RGB(192, 192, 192);
// The count line and the settings caption.
inline constexpr COLORREF kCounts = RGB(88, 123, 194);
// The drop hint.
inline constexpr COLORREF kHint = RGB(255, 255, 255);
inline constexpr COLORREF kHintText = RGB(64, 64, 64);

}  // namespace k3::palette
