// Where the main view puts its controls: every position is a proportion of
// the client width, f(k) = k x W + 0.5 truncated, or a fixed distance from
// an edge (logical pixels, scaled to the screen's DPI); and which trackbars
// a display type shows, with their ranges.
// Pure arithmetic, tested natively; the view moves its windows to these
// rectangles (client coordinates).
#pragma once

#include <array>
#include <cstdint>

#include "framework/Rect.h"

namespace k3 {

// k x width + 0.5, truncated toward zero.
int ProportionOf(double k, int width);

struct ViewLayout {
  Rect saveButton, imageList, removeButton, removeAllButton;
  Rect closeButton, minimizeButton, productPageButton, vendorPageButton;
  // The update command's button: the sixth of the row, left of the others.
  Rect updateButton;
  // The settings panel, group by group: the label, then the radio buttons
  // in the order of their command identifiers.
  Rect typeLabel, speedLabel, sizeLabel, zOrderLabel, intervalLabel;
  std::array<Rect, 5> typeRadios;
  std::array<Rect, 3> speedRadios;
  std::array<Rect, 5> sizeRadios;
  std::array<Rect, 3> zOrderRadios;
  std::array<Rect, 9> intervalRadios;
  Rect strengthSlider, waveCountSlider;
};

ViewLayout LayoutView(int width, int height, int dpi = 96);

// The 150 x 80 (logical) drop hint window in the middle of the photo
// list's area, in the view's client coordinates.
Rect HelpWindowRect(int width, int height, int dpi = 96);

// Where the count line and the settings caption are drawn.
struct TextOrigin {
  int x = 0, y = 0;
};
TextOrigin CountLineOrigin(int width, int dpi = 96);
TextOrigin SettingsCaptionOrigin(int width, int dpi = 96);

// The trackbars a display type shows: the effect strength for Sphere (50 to
// 90), Ripple and Wave (50 to 300); the wave count (1 to 20) for Ripple and
// Wave.
struct TrackbarRule {
  bool strengthShown = false;
  int strengthMin = 0, strengthMax = 0;
  bool waveCountShown = false;
  int waveCountMin = 0, waveCountMax = 0;
};
TrackbarRule TrackbarRuleFor(std::uint16_t displayType);

}  // namespace k3
