// Size fitting and the quarter turns of raster pixels.
#pragma once

#include "imaging/PixelView.h"

namespace k3 {

// Fits (w, h) into the box keeping the aspect ratio; the result may be larger
// than the input (small photos are enlarged). Each side is at least 1.
// Nothing happens when w or h is 0.
void FitInside(Size& size, int boxWidth, int boxHeight);

// The turns of TurnQuarter.
enum class Turn { Clockwise = 0, CounterClockwise = 1, Half = 2 };

// Size of the surface a turn produces.
Size TurnedSize(Size source, Turn turn);

// Copies every pixel of `src` turned into `dst`, which has TurnedSize and the
// same bytes per pixel. Rows are rows on screen on both sides.
void TurnPixels(const PixelView& src, const PixelView& dst, Turn turn);

// The distances |v - centre| met by v in [0, count): [low, high].
void DistanceRange(long long centre, int count, long long& low, long long& high);

}  // namespace k3
