// A view of raster pixels that the portable kernels work on: row 0 is the
// top row on screen and each row starts `pitch` bytes after the previous one
// (negative for a bottom-up bitmap). Pixels are blue, green, red and, at four
// bytes per pixel, a fourth byte the kernels leave alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k3 {

struct PixelView {
  std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  int bytesPerPixel = 0;

  std::uint8_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; }
  std::uint8_t* At(int x, int y) const { return Row(y) + static_cast<std::ptrdiff_t>(x) * bytesPerPixel; }
  bool Valid() const { return pixels && width > 0 && height > 0 && (bytesPerPixel == 3 || bytesPerPixel == 4); }
};

struct Size {
  int width = 0;
  int height = 0;
  constexpr bool operator==(const Size&) const = default;
};

// The key colour RGB(112, 112, 128): the transparent background of every
// effect frame. In a pixel its bytes read blue 128, green 112, red 112.
inline constexpr std::uint8_t kKeyBlue = 128;
inline constexpr std::uint8_t kKeyGreen = 112;
inline constexpr std::uint8_t kKeyRed = 112;
inline constexpr std::uint32_t kKeyColorRef = 0x807070;  // as a COLORREF

inline bool IsKeyPixel(const std::uint8_t* p) { return p[0] == kKeyBlue && p[1] == kKeyGreen && p[2] == kKeyRed; }

// A colour as a pixel holds it.
struct Bgr {
  std::uint8_t blue = 0, green = 0, red = 0;
};

// Every pixel that is not `key` becomes `colour`: what is left of a keyed
// picture is its outline, in one colour.
inline void PaintOutline(const PixelView& view, Bgr key, Bgr colour) {
  if (!view.Valid()) return;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      std::uint8_t* p = view.At(x, y);
      if (p[0] == key.blue && p[1] == key.green && p[2] == key.red) continue;
      p[0] = colour.blue;
      p[1] = colour.green;
      p[2] = colour.red;
    }
  }
}

}  // namespace k3
