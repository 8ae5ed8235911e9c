#include "ui/ViewLayout.h"

#include "desktop/DisplaySettings.h"

namespace k3 {

namespace {

Rect At(int left, int top, int width, int height) { return Rect{left, top, left + width, top + height}; }

// The columns of the radio buttons.
constexpr double kColumns[4] = {0.63, 0.71, 0.79, 0.87};

// One row of radio buttons of a group, from column `first` on.
template <std::size_t N>
void PlaceRow(std::array<Rect, N>& radios, std::size_t from, std::size_t count, int top, int width, int buttonWidth) {
  for (std::size_t i = 0; i < count; ++i) {
    radios[from + i] = At(ProportionOf(kColumns[i], width), top, buttonWidth, 16);
  }
}

}  // namespace

int ProportionOf(double k, int width) { return static_cast<int>(k * width + 0.5); }

ViewLayout LayoutView(int w, int h) {
  ViewLayout l;
  // The Save button's face is 160 x 24, centred on f(0.75125), its bottom 9
  // pixels above the view's; the Delete faces are 70 x 18, 11 above.
  l.saveButton = At(ProportionOf(0.75125, w) - 80, h - 33, 160, 24);
  l.imageList = At(ProportionOf(0.0125, w), 40, ProportionOf(0.45625, w), h - 80);
  l.removeButton = At(ProportionOf(0.1525, w) - 35, h - 29, 70, 18);
  l.removeAllButton = At(ProportionOf(0.33, w) - 35, h - 29, 70, 18);
  l.closeButton = At(w - 25, 6, 17, 17);
  l.minimizeButton = At(w - 46, 6, 17, 17);
  l.productPageButton = At(w - 67, 6, 17, 17);
  l.vendorPageButton = At(w - 88, 6, 17, 17);
  l.updateButton = At(w - 109, 6, 17, 17);

  const int labelLeft = ProportionOf(0.53, w);
  l.typeLabel = At(labelLeft, 60, 100, 16);
  PlaceRow(l.typeRadios, 0, 4, 60, w, 64);
  PlaceRow(l.typeRadios, 4, 1, 80, w, 64);
  l.strengthSlider = At(ProportionOf(0.655, w), 100, 200, 24);
  l.waveCountSlider = At(ProportionOf(0.655, w), 130, 200, 24);
  l.speedLabel = At(labelLeft, 190, 100, 16);
  PlaceRow(l.speedRadios, 0, 3, 190, w, 64);
  l.sizeLabel = At(labelLeft, 240, 100, 16);
  PlaceRow(l.sizeRadios, 0, 4, 240, w, 64);
  PlaceRow(l.sizeRadios, 4, 1, 260, w, 64);
  l.zOrderLabel = At(labelLeft, 310, 100, 16);
  PlaceRow(l.zOrderRadios, 0, 3, 310, w, 64);
  l.intervalLabel = At(labelLeft, 360, 100, 16);
  PlaceRow(l.intervalRadios, 0, 4, 360, w, 56);
  PlaceRow(l.intervalRadios, 4, 4, 380, w, 56);
  PlaceRow(l.intervalRadios, 8, 1, 400, w, 56);
  return l;
}

Rect HelpWindowRect(int w, int h) {
  const int left = ProportionOf(0.0125, w);
  const int top = static_cast<int>(h * 0.06666666666666667 + 0.5);
  const int a = ProportionOf(0.45625, w);
  const int b = static_cast<int>(h * 0.8666666666666667 + 0.5);
  return Rect{left + (a - 150) / 2, top + (b - 80) / 2, left + (a + 150) / 2, top + (b + 80) / 2};
}

TextOrigin CountLineOrigin(int width) { return TextOrigin{ProportionOf(0.0125, width), 27}; }

TextOrigin SettingsCaptionOrigin(int width) { return TextOrigin{ProportionOf(0.5125, width), 32}; }

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
