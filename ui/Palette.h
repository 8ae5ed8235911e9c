// The main window's colours, defined once, as the system's colour values
// (0x00BBGGRR). Pure: the rules about them are tested natively.
#pragma once

#include <cstdint>

namespace k3::palette {

constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return r | g << 8 | b << 16; }

// The view's background, the settings panel's and the title bar's.
inline constexpr std::uint32_t kPanel = Rgb(245, 250, 254);
// The photo list's background and its rows.
inline constexpr std::uint32_t kList = Rgb(229, 234, 238);
inline constexpr std::uint32_t kSelectedRow = Rgb(255, 234, 238);
inline constexpr std::uint32_t kRowText = Rgb(96, 96, 96);
// The mark at the left edge of a selected row: the selected row's tint
// alone (1.05:1) is no sign for many eyes; the mark stands out from both
// backgrounds by more than 3:1.
inline constexpr std::uint32_t kSelectionMark = Rgb(48, 84, 160);
// A thumbnail's box until the thumbnail is made.
inline constexpr std::uint32_t kThumbPlaceholder = Rgb(214, 219, 224);
// The title bar's text while the program is active and while it is not.
inline constexpr std::uint32_t kTitleActive = Rgb(64, 64, 72);
inline constexpr std::uint32_t kTitleInactive = Rgb(192, 192, 192);
// The count line and the settings caption.
inline constexpr std::uint32_t kCounts = Rgb(88, 123, 194);
// The drop hint.
inline constexpr std::uint32_t kHint = Rgb(255, 255, 255);
inline constexpr std::uint32_t kHintText = Rgb(64, 64, 64);

}  // namespace k3::palette
