// Small rules of the main view that need no window: which files are photos,
// the count line, the web page addresses, where a thumbnail sits in its row
// and which radio button of a group is checked. Pure, tested natively.
#pragma once

#include <cstdint>

#include <string>
#include <string_view>
#include <vector>

#include "update/UpdateRules.h"

namespace k3 {

// Whether a path names a photo the list takes: its extension is ".jpg" or
// ".jpeg" in any case.
bool IsPhotoFileName(std::wstring_view path);

// The count line from its format: the first "%d" takes the number of
// photos, the second the number selected; nothing else of the format is
// read as a directive, so a format that asks for anything more is shown as
// it stands. At most 63 characters, as the line's buffer holds.
std::wstring FormatCountLine(std::wstring_view format, int photos, int selected);

// The second line of a row: "width: %d pixel, height: %d pixel".
std::wstring PictureSizeLine(int width, int height);

// The web pages of the two page buttons for the edition.
std::wstring VendorPageAddress(bool japanese, std::wstring_view host = kVendorWebHost);
std::wstring ProductPageAddress(bool japanese, std::wstring_view host = kVendorWebHost);

// The side of the square a row's thumbnail fits in (logical pixels).
inline constexpr int kThumbnailSide = 96;

// The height of a list row in logical pixels, and the most a list box
// takes for a row (pixels).
inline constexpr int kRowHeight = 100;
inline constexpr int kMostRowPixels = 255;
// The DPI the list's rows and thumbnails are drawn at: the screen's, or
// from about 255 per cent on the largest at which a row still fits the
// list box (the text keeps the screen's DPI).
int RowDpi(int dpi);

// Top-left corner of a w x h thumbnail centred in the 96 x 96 box at (2, 2)
// of its row (logical pixels at `dpi`).
struct ThumbOrigin {
  int x = 0, y = 0;
};
ThumbOrigin ThumbnailOrigin(int width, int height, int dpi = 96);

// The rows that keep a thumbnail in memory: `budget` consecutive rows
// around the `shown` rows from `top` on (all rows of a shorter list). Rows
// outside give theirs back and have them made again when scrolled to.
struct RowRange {
  int first = 0;
  int last = 0;  // one past
  bool Holds(int row) const { return row >= first && row < last; }
};
RowRange ThumbnailRows(int count, int top, int shown, int budget);

// The index of the first checked button of a group (its buttons in
// ascending identifier order); -1 when none is checked.
int FirstChecked(const std::vector<bool>& checks);

// The contrast ratio of two colours (0x00BBGGRR) as the accessibility
// guidelines define it, from 1 (the same) to 21 (black on white).
double ContrastRatio(std::uint32_t a, std::uint32_t b);

}  // namespace k3
