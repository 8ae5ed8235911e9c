// The largest frames the drifting window produces, shared by the native and
// the Windows benchmarks: a 512 x 512 photo (size index 4) on the Ripple and
// Wave canvas (7/5: 716 x 716), on the Rotate canvas (22/20: 563 x 563), and
// alone for the Sphere.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Effects.h"

namespace k3::bench {

// A photo-like test picture: smooth gradients and some texture.
inline void PaintPhoto(const PixelView& v) {
  for (int y = 0; y < v.height; ++y) {
    std::uint8_t* p = v.Row(y);
    for (int x = 0; x < v.width; ++x, p += v.bytesPerPixel) {
      p[0] = static_cast<std::uint8_t>((x * 255) / v.width);
      p[1] = static_cast<std::uint8_t>((y * 255) / v.height);
      p[2] = static_cast<std::uint8_t>(((x ^ y) & 0x3F) + 96);
    }
  }
}

// A canvas of the key colour with the photo in its middle, as prepared for
// the effect types.
inline void PaintCanvas(const PixelView& v, int photoSide) {
  FillKey(v);
  const int margin = (v.width - photoSide) / 2;
  PixelView inner{v.At(margin, margin), photoSide, photoSide, v.pitch, v.bytesPerPixel};
  PaintPhoto(inner);
}

// Parameters of the composition for a 716-pixel canvas with strength 90 and
// 10 waves: amplitude ((716 * 90 * 6) / 128) / 100 = 30, wavelength 716.
inline constexpr int kCanvas = 716;
inline constexpr int kRippleA = 716;
inline constexpr int kRippleB = 30;
inline constexpr int kRotateCanvas = 563;
inline constexpr int kPhoto = 512;

}  // namespace k3::bench
