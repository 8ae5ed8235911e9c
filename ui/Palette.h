// The main window's colours, defined once, as the system's colour values
// (0x00BBGGRR), and the system's that take their place in high contrast.
// Pure: the rules about them are tested natively.
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
// The panel's labels and choices.
inline constexpr std::uint32_t kPanelText = Rgb(0, 0, 0);

}  // namespace k3::palette

namespace k3 {

// The colours the main window draws with: its own, or in high contrast the
// system's.
struct ViewColours {
  // The system's colours are in use: the pictures give way, the image
  // buttons are drawn as text (or their icons' outlines) in the system's
  // button colours, and the title bar and the corner show no picture.
  bool system = false;
  std::uint32_t panel = palette::kPanel;
  std::uint32_t panelText = palette::kPanelText;
  std::uint32_t list = palette::kList;
  std::uint32_t selectedRow = palette::kSelectedRow;
  std::uint32_t rowText = palette::kRowText;
  std::uint32_t selectedRowText = palette::kRowText;
  std::uint32_t selectionMark = palette::kSelectionMark;
  std::uint32_t placeholder = palette::kThumbPlaceholder;
  std::uint32_t titleActive = palette::kTitleActive;
  std::uint32_t titleInactive = palette::kTitleInactive;
  std::uint32_t counts = palette::kCounts;
  std::uint32_t hint = palette::kHint;
  std::uint32_t hintText = palette::kHintText;
  std::uint32_t buttonFace = palette::kPanel;
  std::uint32_t buttonText = palette::kPanelText;

  constexpr bool operator==(const ViewColours&) const = default;
};

// The system's colours the view uses in high contrast (GetSysColor's).
struct SystemColours {
  std::uint32_t window = 0, windowText = 0, highlight = 0, highlightText = 0, buttonFace = 0, buttonText = 0,
                grayText = 0;
};

// Window and window text for the view, the panel, the list and the drop
// hint; highlight and highlight text for a selected row (its frame in the
// highlight's text colour); button face and text for the buttons; gray
// text for what is inactive or not there yet (the title of an inactive
// window, a thumbnail's box).
constexpr ViewColours HighContrastColours(const SystemColours& s) {
  ViewColours c;
  c.system = true;
  c.panel = c.list = c.hint = s.window;
  c.panelText = c.rowText = c.titleActive = c.counts = c.hintText = s.windowText;
  c.selectedRow = s.highlight;
  c.selectedRowText = c.selectionMark = s.highlightText;
  c.placeholder = c.titleInactive = s.grayText;
  c.buttonFace = s.buttonFace;
  c.buttonText = s.buttonText;
  return c;
}

}  // namespace k3
