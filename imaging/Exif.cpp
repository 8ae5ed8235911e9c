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

// The embedded preview of IFD1 (tags 0x0201 offset, 0x0202 length), as a
// range of the TIFF block.
void PreviewInTiff(const std::uint8_t* tiff, std::size_t size, std::size_t& offset, std::size_t& length) {
  offset = length = 0;
  if (size < 8) return;
  Reader r{tiff, size};
  if (tiff[0] == 'M' && tiff[1] == 'M') {
    r.bigEndian = true;
  } else if (!(tiff[0] == 'I' && tiff[1] == 'I')) {
    return;
  }
  std::uint32_t ifd0 = 0, ifd1 = 0;
  unsigned count = 0;
  if (!r.U32(4, ifd0) || !r.U16(ifd0, count)) return;
  if (!r.U32(std::size_t(ifd0) + 2 + std::size_t(count) * 12, ifd1) || ifd1 == 0) return;
  if (!r.U16(ifd1, count)) return;
  std::uint32_t start = 0, bytes = 0;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = std::size_t(ifd1) + 2 + std::size_t(i) * 12;
    unsigned tag = 0;
    if (!r.U16(entry, tag)) return;
    if (tag == 0x0201 && !r.U32(entry + 8, start)) return;
    if (tag == 0x0202 && !r.U32(entry + 8, bytes)) return;
  }
  if (bytes < 4 || start > size || size - start < bytes) return;
  if (tiff[start] != 0xFF || tiff[start + 1] != 0xD8) return;
  offset = start;
  length = bytes;
}

bool IsFrameHeader(std::uint8_t marker) {
  // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

JpegFacts ReadJpegFacts(const std::uint8_t* data, std::size_t size) {
  JpegFacts facts;
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return facts;
  std::size_t at = 2;
  bool exifSeen = false;
  bool frameSeen = false;
  // The segments up to the start of the scan, read as the decoder reads
  // them: bytes between segments are skipped up to the next marker, fill
  // bytes (0xFF) before a marker are skipped, and SOI, RST0..7 and TEM
  // have no length.
  while (at < size) {
    if (data[at] != 0xFF) {
      ++at;
      continue;
    }
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) break;
    const std::uint8_t marker = data[at++];
    if (marker == 0x00) continue;                 // a stuffed zero, no marker
    if (marker == 0xDA || marker == 0xD9) break;  // the picture's data, or its end: no facts after this
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (size - at < 2) break;
    const std::size_t length = std::size_t(data[at]) << 8 | data[at + 1];
    if (length < 2 || length > size - at) break;
    const std::uint8_t* body = data + at + 2;
    const std::size_t bodySize = length - 2;
    if (!exifSeen && marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      exifSeen = true;
      facts.orientation = OrientationInTiff(body + 6, bodySize - 6);
      std::size_t offset = 0, bytes = 0;
      PreviewInTiff(body + 6, bodySize - 6, offset, bytes);
      if (bytes) {
        facts.thumbnailOffset = std::size_t(body + 6 - data) + offset;
        facts.thumbnailSize = bytes;
      }
    } else if (!frameSeen && IsFrameHeader(marker) && bodySize >= 5) {
      // The decoder takes the first frame header (a second is an error).
      frameSeen = true;
      facts.stored = Size{int(body[3]) << 8 | body[4], int(body[1]) << 8 | body[2]};
      // SOF2, SOF6, SOF10 and SOF14 are progressive.
      facts.shape.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
      facts.shape.components = bodySize >= 6 ? body[5] : 0;
      for (int c = 0; c < facts.shape.components && c < 4 && 6 + 3 * std::size_t(c) + 1 < bodySize; ++c) {
        const std::uint8_t sampling = body[6 + 3 * c + 1];
        facts.shape.h[c] = sampling >> 4;
        facts.shape.v[c] = sampling & 0x0F;
      }
    }
    at += length;
  }
  return facts;
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
        case 2:
          nx = w - 1 - x;
          break;  // mirrored
        case 3:
          nx = w - 1 - x;
          ny = h - 1 - y;
          break;  // upside down
        case 4:
          ny = h - 1 - y;
          break;  // mirrored upside down
        case 5:
          nx = y;
          ny = x;
          break;  // transposed
        case 6:
          nx = h - 1 - y;
          ny = x;
          break;  // turned a quarter clockwise
        case 7:
          nx = h - 1 - y;
          ny = w - 1 - x;
          break;  // transversed
        case 8:
          nx = y;
          ny = w - 1 - x;
          break;  // turned a quarter counter-clockwise
        default:
          break;
      }
      std::memcpy(dst.At(nx, ny), from, static_cast<std::size_t>(n));
    }
  }
}

}  // namespace k3
