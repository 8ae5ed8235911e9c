// Resampling through GDI+ (high-quality bicubic throughout), cropping,
// quarter turns and the window region of an effect frame.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Handles.h"
#include "imaging/Effects.h"
#include "imaging/Geometry.h"
#include "imaging/Img.h"
#include "imaging/PixelBuffer.h"

namespace k3 {

// Resamples the whole surface to exactly `size`. The surface then holds the
// bitmap GDI+ returns (its bit depth is GDI+'s choice); on failure it keeps
// its old bitmap.
bool FitImageToSize(CImg& img, Size size);

// Draws the whole surface scaled into the rectangle.
void DrawImageBicubic(CImg& img, HDC dst, const RECT& rect);
// Draws part of the surface (source pixels) scaled into the destination.
void DrawImagePartBicubic(const RECT& source, CImg& img, HDC dst, int x, int y, int width, int height);

// A new 24-bit surface holding the rectangle of the source, or null.
std::unique_ptr<CImg> CropImage(const RECT& rect, CImg& src);

// Turns the pixels in place; false (surface unchanged) below 8 bits per
// pixel or when the new surface cannot be made.
bool TurnQuarter(Turn turn, CImg& img);

// The region of every pixel that is not the key colour, built in one call
// from the runs of each row; null below 24 bits per pixel. The caller owns
// the region (until it hands it to a window).
fw::GdiRegion MakeKeyRegion(const CImg& img);

// The region of the runs (all within `width` x `height`) in one call, and
// its bounding box (empty for no runs).
// Draws the pixels at (x, y) of the device context straight from memory.
bool DrawPixels(HDC dc, int x, int y, const PixelBuffer& pixels);

fw::GdiRegion RegionFromRuns(const std::vector<PixelRun>& runs, int width, int height, RECT* box);

// The same region built by one union per run, the slower classic way; kept
// for comparison in the benchmarks and tests.
fw::GdiRegion MakeKeyRegionByUnion(const CImg& img);

}  // namespace k3
