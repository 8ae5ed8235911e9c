// The orientation a camera recorded for a photo (EXIF tag 0x0112), and the
// pixel transform that shows the photo upright.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/PixelView.h"

namespace k3 {

// What a JPEG file's header tells without decoding: the orientation, the
// stored picture size (from its frame header) and where the small preview
// picture a camera embeds in its EXIF record lies in the file, if any.
// The frame's make-up, as its header tells: what a decode's memory depends
// on besides the size.
struct JpegShape {
  int components = 0;
  std::uint8_t h[4]{};  // sampling factors of the first four components
  std::uint8_t v[4]{};
  // Progressive (or another multi-scan coding the header says): the decoder
  // keeps every coefficient of the picture.
  bool progressive = false;
};

struct JpegFacts {
  int orientation = 0;
  Size stored{0, 0};
  JpegShape shape;
  std::size_t thumbnailOffset = 0;
  std::size_t thumbnailSize = 0;  // 0: no embedded preview
};

// Reads the facts from the first bytes of a JPEG file (the segments before
// the start of the scan), walking its markers as the decoder does, so that
// the size is the one the decoder finds. Never reads outside
// [data, data + size); an embedded preview is reported only when it lies
// wholly inside and starts like a JPEG. Every reader of a JPEG's facts
// goes through here.
JpegFacts ReadJpegFacts(const std::uint8_t* data, std::size_t size);

// Orientation 1..8 from the first bytes of a JPEG file, or 0 when the bytes
// hold no readable orientation.
inline int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
  return ReadJpegFacts(data, size).orientation;
}

// Size of the upright picture for a stored size and orientation.
Size OrientedSize(Size stored, int orientation);

// Copies the stored pixels into dst (of OrientedSize, same bytes per pixel)
// so that the picture stands as the camera meant it.
void OrientPixels(const PixelView& src, const PixelView& dst, int orientation);

}  // namespace k3
