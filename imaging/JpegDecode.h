// JPEG decoding at a reduced scale: the decoder's inverse transform makes a
// picture of a half, a quarter or an eighth of the stored size directly,
// several times faster than the whole picture and a fraction of its memory.
// A thumbnail or a drifting photo needs only as many pixels as it shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "imaging/DecodeBudget.h"
#include "imaging/Exif.h"
#include "imaging/PixelView.h"

namespace k3 {

// The largest photo the program decodes, on every path: a picture of more
// pixels is refused before anything is allocated for it, whatever its file
// claims (a photo of a few hundred megapixels still shows).
inline constexpr long long kMaxPhotoPixels = 400LL * 1000 * 1000;
constexpr bool WithinPhotoBound(Size s) {
  return s.width > 0 && s.height > 0 && static_cast<long long>(s.width) * s.height <= kMaxPhotoPixels;
}
// The memory the decoder may take for the picture-sized buffers of one
// progressive or multi-scan file: such a file is refused rather than given
// more. No more than the whole process's decoding budget.
inline constexpr long kJpegMemoryCeiling = static_cast<long>(DecodeBudget::kProcessBytes);

// What a decode of a `stored` frame of `shape` at 1 / reduction allocates:
// the decoded picture (3 bytes a pixel) and, for a progressive frame, every
// coefficient of the whole picture (64 of two bytes for each block of each
// component, whatever the reduction); a one-scan frame keeps a few rows of
// blocks. An unknown make-up counts as three components sampled 1 x 1.
std::uint64_t JpegDecodeMemory(Size stored, const JpegShape& shape, int reduction);

// Whether a frame could ever be decoded here: within kMaxPhotoPixels, and
// its smallest decode (at an eighth) within the whole budget. A file
// whose frame could not is never listed nor decoded.
bool DecodableFrame(Size stored, const JpegShape& shape, std::uint64_t budget = DecodeBudget::kProcessBytes);

// The largest of the reductions 1, 2, 4 and 8 whose decoded picture still
// holds `needed` (both in the stored orientation): each side of the decoded
// picture is the stored side divided and rounded up. 1 when nothing is
// needed in particular (a side of 0) or the picture is smaller already.
int ChooseJpegReduction(Size stored, Size needed);

// The decoded size of a stored picture at a reduction.
Size ReducedSize(Size stored, int reduction);

// Decodes the JPEG in [bytes, bytes + size) at 1 / reduction (1, 2, 4 or 8)
// into blue-green-red rows. `target` is asked once, with the decoded size,
// for the 3-byte view to write into; an invalid view stops the decode.
// Grey, colour and CMYK pictures come out alike (Adobe's inverted CMYK as
// such); a file that ends early or holds damaged data keeps what could be
// read (the rest grey) and sets `damaged`. False when the bytes are no JPEG
// the decoder can read or the target gave no view, and false with
// `tooLarge` set for a picture beyond kMaxPhotoPixels or one whose decoding
// would need more than kJpegMemoryCeiling. Safe to call from several
// threads at once.
//
// The decode first takes its share of `budget` (the process's unless told):
// it waits while other decodes hold too much, and one whose share could
// never fit is refused as too large.
bool DecodeJpeg(const std::uint8_t* bytes, std::size_t size, int reduction,
                const std::function<PixelView(Size)>& target, bool* damaged = nullptr, bool* tooLarge = nullptr,
                DecodeBudget* budget = nullptr);

}  // namespace k3
