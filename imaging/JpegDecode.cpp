#include "imaging/JpegDecode.h"

#include <csetjmp>
#include <cstdio>
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
               int reduction, const std::function<PixelView(Size)>& target, std::vector<std::uint8_t>& cmykRow) {
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
                const std::function<PixelView(Size)>& target, bool* damaged, bool* tooLarge) {
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
  bool ok = false;
  try {
    ok = RunDecode(info, error, bytes, size, reduction, target, cmykRow);
  } catch (...) {
    // The target could not be had (no memory for it).
  }
  jpeg_destroy_decompress(&info);
  if (damaged) *damaged = error.warnings > 0;
  if (tooLarge) *tooLarge = error.tooLarge;
  return ok;
}

}  // namespace k3
