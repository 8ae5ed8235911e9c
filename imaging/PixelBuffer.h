// Pixels in memory without a GDI object: 24-bit blue-green-red rows, top
// down, each padded to four bytes as a DIB's rows are, so that the system
// draws them straight from memory. A list of thousands of thumbnails holds
// no bitmap handle per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/PixelView.h"

namespace k3 {

class PixelBuffer {
 public:
  PixelBuffer() = default;
  // Throws std::bad_alloc when the memory cannot be had.
  PixelBuffer(int width, int height)
      : width_(width > 0 && height > 0 ? width : 0),
        height_(width > 0 && height > 0 ? height : 0),
        pitch_((width_ * 3 + 3) & ~3),
        bytes_(static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height_)) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  Size GetSize() const { return Size{width_, height_}; }
  int Pitch() const { return pitch_; }
  const std::uint8_t* Data() const { return bytes_.data(); }
  std::size_t Bytes() const { return bytes_.size(); }
  PixelView View() { return PixelView{bytes_.data(), width_, height_, pitch_, 3}; }
  PixelView View() const { return PixelView{const_cast<std::uint8_t*>(bytes_.data()), width_, height_, pitch_, 3}; }

  // A copy of the view's pixels (three or four bytes each; the fourth is
  // dropped). Throws std::bad_alloc when the memory cannot be had.
  static PixelBuffer CopyOf(const PixelView& view) {
    if (!view.Valid()) return {};
    PixelBuffer copy(view.width, view.height);
    for (int y = 0; y < view.height; ++y) {
      const std::uint8_t* from = view.Row(y);
      std::uint8_t* to = copy.bytes_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(copy.pitch_);
      for (int x = 0; x < view.width; ++x, from += view.bytesPerPixel, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
      }
    }
    return copy;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace k3
