// Owned pixel buffers for the kernel tests. Rows are exactly width * bytes
// long (no padding), so AddressSanitizer reports any read past the last
// pixel; `bottomUp` stores row 0 last in memory, as bottom-up bitmaps do.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/PixelView.h"

namespace k3::test {

struct TestImage {
  std::unique_ptr<std::uint8_t[]> storage;
  PixelView view;

  TestImage(int w, int h, int bytes = 3, bool bottomUp = false) {
    const int rowBytes = w * bytes;
    storage = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(rowBytes) * h);
    view.width = w;
    view.height = h;
    view.bytesPerPixel = bytes;
    if (bottomUp) {
      view.pixels = storage.get() + static_cast<std::ptrdiff_t>(rowBytes) * (h - 1);
      view.pitch = -rowBytes;
    } else {
      view.pixels = storage.get();
      view.pitch = rowBytes;
    }
  }

  void Set(int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    std::uint8_t* p = view.At(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
  // A pattern in which every pixel differs from its neighbours and from the
  // key colour.
  void FillPattern() {
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x)
        Set(x, y, static_cast<std::uint8_t>(x * 7 + y * 3), static_cast<std::uint8_t>(x * 5 + 11),
            static_cast<std::uint8_t>(y * 9 + 1));
  }
  std::vector<std::uint8_t> Pixel(int x, int y) const {
    const std::uint8_t* p = view.At(x, y);
    return {p[0], p[1], p[2]};
  }
  bool IsKey(int x, int y) const { return IsKeyPixel(view.At(x, y)); }
};

}  // namespace k3::test
