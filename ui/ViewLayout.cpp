#include "ui/ViewLayout.h"

#include "desktop/DisplaySettings.h"
#include "framework/Dpi.h"

namespace k3 {

namespace {

Rect At(int left, int top, int width, int height) { return Rect{left, top, left + width, top + height}; }

// The columns of the radio buttons.
constexpr double kColumns[4] = {0.63, 0.71, 0.79, 0.87};

// One row of radio buttons of a group, from column `first` on.
template <std::size_t N>
void PlaceRow(std::array<Rect, N>& radios, std::size_t from, std::size_t count, int top, int width, int buttonWidth,
              int height) {
  for (std::size_t i = 0; i < count; ++i) {
    radios[from + i] = At(ProportionOf(kColumns[i], width), top, buttonWidth, height);
  }
}

}  // namespace

int ProportionOf(double k, int width) { return static_cast<int>(k * width + 0.5); }

ViewLayout LayoutView(int w, int h, int dpi) {
  // Distances are logical pixels, scaled to the screen's; proportions are
  // of the width as it is.
  const auto s = [dpi](int logical) { return ScaleForDpi(logical, dpi); };
  ViewLayout l;
  // The Save button's face is 160 x 24, centred on f(0.75125), its bottom 9
  // pixels above the view's; the Delete faces are 70 x 18, 11 above.
  l.saveButton = At(ProportionOf(0.75125, w) - s(80), h - s(33), s(160), s(24));
  l.imageList = At(ProportionOf(0.0125, w), s(40), ProportionOf(0.45625, w), h - s(80));
  l.removeButton = At(ProportionOf(0.1525, w) - s(35), h - s(29), s(70), s(18));
  l.removeAllButton = At(ProportionOf(0.33, w) - s(35), h - s(29), s(70), s(18));
  Rect* const row[] = {&l.closeButton, &l.minimizeButton, &l.productPageButton, &l.vendorPageButton, &l.updateButton};
  for (int i = 0; i < 5; ++i) *row[i] = At(w - s(25 + 21 * i), s(6), s(17), s(17));

  const int labelLeft = ProportionOf(0.53, w);
  const auto place = [&](auto& radios, std::size_t from, std::size_t count, int top, int buttonWidth) {
    PlaceRow(radios, from, count, s(top), w, s(buttonWidth), s(16));
  };
  const auto label = [&](int top) { return At(labelLeft, s(top), s(100), s(16)); };
  l.typeLabel = label(60);
  place(l.typeRadios, 0, 4, 60, 64);
  place(l.typeRadios, 4, 1, 80, 64);
  l.strengthSlider = At(ProportionOf(0.655, w), s(100), s(200), s(24));
  l.waveCountSlider = At(ProportionOf(0.655, w), s(130), s(200), s(24));
  l.speedLabel = label(190);
  place(l.speedRadios, 0, 3, 190, 64);
  l.sizeLabel = label(240);
  place(l.sizeRadios, 0, 4, 240, 64);
  place(l.sizeRadios, 4, 1, 260, 64);
  l.zOrderLabel = label(310);
  place(l.zOrderRadios, 0, 3, 310, 64);
  l.intervalLabel = label(360);
  place(l.intervalRadios, 0, 4, 360, 56);
  place(l.intervalRadios, 4, 4, 380, 56);
  place(l.intervalRadios, 8, 1, 400, 56);
  return l;
}

Rect HelpWindowRect(int w, int h, int dpi) {
  const int left = ProportionOf(0.0125, w);
  const int top = static_cast<int>(h * 0.06666666666666667 + 0.5);
  const int a = ProportionOf(0.45625, w);
  const int b = static_cast<int>(h * 0.8666666666666667 + 0.5);
  const int hintWidth = ScaleForDpi(150, dpi), hintHeight = ScaleForDpi(80, dpi);
  return Rect{left + (a - hintWidth) / 2, top + (b - hintHeight) / 2, left + (a + hintWidth) / 2,
              top + (b + hintHeight) / 2};
}

TextOrigin CountLineOrigin(int width, int dpi) { return TextOrigin{ProportionOf(0.0125, width), ScaleForDpi(27, dpi)}; }

TextOrigin SettingsCaptionOrigin(int width, int dpi) {
  return TextOrigin{ProportionOf(0.5125, width), ScaleForDpi(32, dpi)};
}

TrackbarRule TrackbarRuleFor(std::uint16_t displayType) {
  TrackbarRule r;
  // Sphere, Ripple and Wave have a strength; Ripple and Wave a wave count
  // too.
  if (displayType == kSphere || displayType == kRipple || displayType == kWave) {
    r.strengthShown = true;
    r.strengthMin = 50;
    r.strengthMax = displayType == kSphere ? 90 : 300;
  }
  if (displayType == kRipple || displayType == kWave) {
    r.waveCountShown = true;
    r.waveCountMin = 1;
    r.waveCountMax = 20;
  }
  return r;
}

}  // namespace k3
