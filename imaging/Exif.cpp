#include "imaging/Exif.h"

#include <cstring>

namespace k3 {

namespace {

struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  bool bigEndian = false;

  bool U16(std::size_t at, unsigned& out) const {
    if (at > size || size - at < 2) return false;
    out = bigEndian ? (data[at] << 8 | data[at + 1]) : (data[at + 1] << 8 | data[at]);
    return true;
  }
  bool U32(std::size_t at, std::uint32_t& out) const {
    if (at > size || size - at < 4) return false;
    const std::uint8_t* p = data + at;
    out = bigEndian ? (std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3])
                    : (std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0]);
    return true;
  }
};

// The orientation entry of IFD0 in a TIFF block.
int OrientationInTiff(const std::uint8_t* tiff, std::size_t size) {
  if (size < 8) return 0;
  Reader r{tiff, size};
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    r.bigEndian = true;
  } else if (!(tiff[0] == 'I' && tiff[1] == 'I')) {
    return 0;
  }
  unsigned magic = 0;
  std::uint32_t ifd = 0;
  if (!r.U16(2, magic) || magic != 42 || !r.U32(4, ifd)) return 0;
  unsigned count = 0;
  if (!r.U16(ifd, count)) return 0;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
    unsigned tag = 0, type = 0, value = 0;
    if (!r.U16(entry, tag) || !r.U16(entry + 2, type)) return 0;
    if (tag != 0x0112) continue;
    if (type != 3 || !r.U16(entry + 8, value)) return 0;  // SHORT, in the value field
    return (value >= 1 && value <= 8) ? static_cast<int>(value) : 0;
  }
  return 0;
}

}  // namespace

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 0;
  std::size_t at = 2;
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return 0;
    const std::uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 0;  // image data: no metadata after this
    const std::size_t length = std::size_t(data[at + 2]) << 8 | data[at + 3];
    if (length < 2 || length > size - at - 2) return 0;
    const std::uint8_t* body = data + at + 4;
    const std::size_t bodySize = length - 2;
    if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      return OrientationInTiff(body + 6, bodySize - 6);
    }
    at += 2 + length;
  }
  return 0;
}

Size OrientedSize(Size stored, int orientation) {
  return orientation >= 5 && orientation <= 8 ? Size{stored.height, stored.width} : stored;
}

void OrientPixels(const PixelView& src, const PixelView& dst, int orientation) {
  const int w = src.width, h = src.height, n = src.bytesPerPixel;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* from = src.Row(y);
    for (int x = 0; x < w; ++x, from += n) {
      int nx = x, ny = y;
      switch (orientation) {
        case 2: nx = w - 1 - x; break;                     // mirrored
        case 3: nx = w - 1 - x; ny = h - 1 - y; break;     // upside down
        case 4: ny = h - 1 - y; break;                     // mirrored upside down
        case 5: nx = y; ny = x; break;                     // transposed
        case 6: nx = h - 1 - y; ny = x; break;             // turned a quarter clockwise
        case 7: nx = h - 1 - y; ny = w - 1 - x; break;     // transversed
        case 8: nx = y; ny = w - 1 - x; break;             // turned a quarter counter-clockwise
        default: break;
      }
      std::memcpy(dst.At(nx, ny), from, static_cast<std::size_t>(n));
    }
  }
}

}  // namespace k3
