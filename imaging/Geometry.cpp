#include "imaging/Geometry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace k3 {

void FitInside(Size& size, int boxWidth, int boxHeight) {
  const int w = size.width, h = size.height;
  if (w == 0 || h == 0) return;
  // The products are exact integers; only the divisions are floating point.
  const long long widthLimit = static_cast<long long>(boxWidth) * h;
  const long long heightLimit = static_cast<long long>(boxHeight) * w;
  if (widthLimit < heightLimit) {
    size.height = static_cast<int>(static_cast<double>(widthLimit) / w + 0.5);
    size.width = boxWidth;
  } else {
    size.width = static_cast<int>(static_cast<double>(static_cast<long long>(w) * boxHeight) / h + 0.5);
    size.height = boxHeight;
  }
  if (size.width < 1) size.width = 1;
  if (size.height < 1) size.height = 1;
}

Size TurnedSize(Size source, Turn turn) {
  if (turn == Turn::Half) return source;
  return Size{source.height, source.width};
}

void TurnPixels(const PixelView& src, const PixelView& dst, Turn turn) {
  const int w = src.width, h = src.height, n = src.bytesPerPixel;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* from = src.Row(y);
    for (int x = 0; x < w; ++x, from += n) {
      std::uint8_t* to;
      switch (turn) {
        case Turn::Clockwise:
          to = dst.At(h - 1 - y, x);
          break;
        case Turn::CounterClockwise:
          to = dst.At(y, w - 1 - x);
          break;
        default:
          to = dst.At(w - 1 - x, h - 1 - y);
          break;
      }
      std::memcpy(to, from, static_cast<std::size_t>(n));
    }
  }
}

void DistanceRange(long long centre, int count, long long& low, long long& high) {
  const long long first = centre, last = static_cast<long long>(count) - 1 - centre;
  if (first >= 0 && last >= 0) {
    low = 0;
    high = std::max(first, last);
  } else {
    low = std::min(std::llabs(first), std::llabs(last));
    high = std::max(std::llabs(first), std::llabs(last));
  }
}

}  // namespace k3
