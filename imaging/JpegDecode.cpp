#include "imaging/JpegDecode.h"

#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

// jpeglib.h expects FILE and size_t declared before it.
#include <jpeglib.h>
#include <jerror.h>

namespace k3 {

int ChooseJpegReduction(Size stored, Size needed) {
  if (needed.width <= 0 || needed.height <= 0) return 1;
  for (int reduction : {8, 4, 2}) {
    const Size reduced = ReducedSize(stored, reduction);
    if (reduced.width >= needed.width && reduced.height >= needed.height) return reduction;
  }
  return 1;
}

Size ReducedSize(Size stored, int reduction) {
  if (reduction <= 1) return stored;
  return Size{(stored.width + reduction - 1) / reduction, (stored.height + reduction - 1) / reduction};
}

std::uint64_t JpegDecodeMemory(Size stored, const JpegShape& shape, int reduction) {
  if (stored.width <= 0 || stored.height <= 0) return 0;
  const Size out = ReducedSize(stored, reduction < 1 ? 1 : reduction);
  std::uint64_t bytes = static_cast<std::uint64_t>(out.width) * static_cast<std::uint64_t>(out.height) * 3;
  const int components = shape.components > 0 ? shape.components : 3;
  const auto factor = [](std::uint8_t f) { return f > 0 && f <= 4 ? int{f} : 1; };
  int maxH = 1, maxV = 1;
  for (int c = 0; c < components && c < 4; ++c) {
    maxH = std::max(maxH, factor(shape.h[c]));
    maxV = std::max(maxV, factor(shape.v[c]));
  }
  for (int c = 0; c < components; ++c) {
    const int h = c < 4 ? factor(shape.h[c]) : 1, v = c < 4 ? factor(shape.v[c]) : 1;
    // Blocks of the component, whole sampling units of them.
    const auto blocks = [](long long side, int f, int most) {
      const long long samples = (side * f + most - 1) / most;
      const long long n = (samples + 7) / 8;
      return (n + f - 1) / f * f;
    };
    const std::uint64_t across = static_cast<std::uint64_t>(blocks(stored.width, h, maxH));
    const std::uint64_t down = shape.progressive ? static_cast<std::uint64_t>(blocks(stored.height, v, maxV))
                                                 : static_cast<std::uint64_t>(2 * v);
    bytes += across * down * 64 * 2;
  }
  return bytes;
}

bool DecodableFrame(Size stored, const JpegShape& shape, std::uint64_t budget) {
  return WithinPhotoBound(stored) && JpegDecodeMemory(stored, shape, 8) <= budget;
}

namespace {

// libjpeg ends a decode that cannot go on through error_exit, which must not
// return: it jumps back to the decode's start. Warnings (a file that ends
// early, a damaged entropy segment) are not errors: the decoder goes on.
struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf back;
  int warnings = 0;
  bool tooLarge = false;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  auto* error = reinterpret_cast<ErrorJump*>(info->err);
  // Past the memory ceiling the decoder asks for a backing store, which
  // this build has not: the picture is too large for the program.
  if (error->manager.msg_code == JERR_NO_BACKING_STORE || error->manager.msg_code == JERR_OUT_OF_MEMORY) {
    error->tooLarge = true;
  }
  std::longjmp(error->back, 1);
}

// Level -1 is a warning (the data ended early or is damaged); higher
// levels are trace messages.
void CountWarning(j_common_ptr info, int level) {
  if (level < 0) ++reinterpret_cast<ErrorJump*>(info->err)->warnings;
}
void QuietMessage(j_common_ptr) {}

// CMYK rows to blue, green, red. Adobe's files store the inks inverted
// (0 is full ink), which is what nearly every CMYK JPEG is.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

// The part of a decode between setjmp and the end: only plain data lives in
// its frame, so the jump back skips no destructor. `cmykRow` is sized by the
// caller once the width is known.
bool RunDecode(jpeg_decompress_struct& info, ErrorJump& error, const std::uint8_t* bytes, std::size_t size,
               int reduction, const std::function<PixelView(Size)>& target, std::vector<std::uint8_t>& cmykRow,
               DecodeBudget& budget, DecodeBudget::Share& share) {
  if (setjmp(error.back)) return false;
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  if (!WithinPhotoBound(Size{static_cast<int>(info.image_width), static_cast<int>(info.image_height)})) {
    error.tooLarge = true;
    return false;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned int>(reduction);
  // The accurate integer transform and smooth chroma, as a full decode.
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = TRUE;
  jpeg_calc_output_dimensions(&info);
  const Size decoded{static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
  if (decoded.width <= 0 || decoded.height <= 0) return false;
  // The decode's share of the budget, before anything picture-sized is
  // allocated; one that could never fit is refused.
  JpegShape shape;
  shape.components = info.num_components;
  shape.progressive = info.progressive_mode != FALSE;
  for (int c = 0; c < info.num_components && c < 4; ++c) {
    shape.h[c] = static_cast<std::uint8_t>(info.comp_info[c].h_samp_factor);
    shape.v[c] = static_cast<std::uint8_t>(info.comp_info[c].v_samp_factor);
  }
  share = budget.Take(JpegDecodeMemory(Size{static_cast<int>(info.image_width), static_cast<int>(info.image_height)},
                                       shape, reduction));
  if (!share) {
    error.tooLarge = true;
    return false;
  }
  // The decoder's own buffers first: a file whose buffers would pass the
  // memory ceiling ends here, before the target is made.
  jpeg_start_decompress(&info);
  const PixelView view = target(decoded);
  if (!view.Valid() || view.bytesPerPixel != 3 || view.width != decoded.width || view.height != decoded.height) {
    return false;
  }
  if (cmyk) cmykRow.resize(static_cast<std::size_t>(decoded.width) * 4);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW row = cmyk ? cmykRow.data() : view.Row(y);
    if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
    if (cmyk) CmykToBgr(cmykRow.data(), view.Row(y), decoded.width, info.saw_Adobe_marker);
  }
  // Rows a damaged file never gave stay grey.
  for (int y = static_cast<int>(info.output_scanline); y < decoded.height; ++y) {
    std::memset(view.Row(y), 128, static_cast<std::size_t>(decoded.width) * 3);
  }
  jpeg_abort_decompress(&info);
  return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* bytes, std::size_t size, int reduction,
                const std::function<PixelView(Size)>& target, bool* damaged, bool* tooLarge, DecodeBudget* budget) {
  if (damaged) *damaged = false;
  if (tooLarge) *tooLarge = false;
  if (!bytes || size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  if (reduction != 1 && reduction != 2 && reduction != 4 && reduction != 8) return false;
  jpeg_decompress_struct info{};
  ErrorJump error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpBack;
  error.manager.emit_message = CountWarning;
  error.manager.output_message = QuietMessage;
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kJpegMemoryCeiling;
  std::vector<std::uint8_t> cmykRow;
  // Held until the decoder has given back its memory.
  DecodeBudget::Share share;
  bool ok = false;
  try {
    ok = RunDecode(info, error, bytes, size, reduction, target, cmykRow, budget ? *budget : DecodeBudget::Process(),
                   share);
  } catch (...) {
    // The target could not be had (no memory for it).
  }
  jpeg_destroy_decompress(&info);
  share = DecodeBudget::Share{};
  if (damaged) *damaged = error.warnings > 0;
  if (tooLarge) *tooLarge = error.tooLarge;
  return ok;
}

}  // namespace k3
