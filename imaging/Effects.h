// The pixel kernels of the four distortion effects and of the window region
// scan. They read a source view and write into a result view that the caller
// has filled with the key colour; a result pixel that no sample reaches keeps
// the key colour and so becomes transparent in the window.
//
// Source positions are carried in fixed point with 8 fraction bits: for a
// value V in 1/256 pixel the integer part is V / 256 truncated toward zero
// and the fraction V - 256 * (integer part), so positions just before the
// first row or column have the whole pixel 0 and a negative fraction and
// extrapolate a little.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Rect.h"
#include "imaging/PixelView.h"

namespace k3 {

// Fills every pixel of the view with the key colour (all bytes of a pixel:
// the fourth byte of a four-byte pixel becomes 0).
void FillKey(const PixelView& dst);

// The colour at fixed-point position (ix + fx/256, iy + fy/256) of the source
// from the cell corner nearest to it and that corner's two edge neighbours,
// with weights f and 255 - f. Neighbours past the last column or row are the
// pixel itself. Writes three bytes.
void SampleCorner(const PixelView& src, int ix, int iy, int fx, int fy, std::uint8_t* out);

// Sphere: a lens of radius R centred at column px and row h - py (py counts
// from the bottom edge); outside the lens everything is transparent.
void RenderSphere(const PixelView& src, const PixelView& dst, int px, int py, int radius);

// Ripple's source offsets for every distance (|dx|, |dy|) >= 0 from the
// centre, for one divisor and amplitude. They do not depend on where the
// centre is, so the frames of a moving centre share them; RenderRipple fills
// the table when the divisor, the amplitude or the distances it needs differ.
struct RippleTable {
  int a = 0;
  int b = 0;
  long long maxX = -1;  // distances 0..maxX across, 0..maxY down
  long long maxY = -1;
  // Row d holds distance (i, d) at index d * (maxX + 1) + i: the offsets of
  // +i and -i across and of +d and -d down, each truncated, in 1/256 pixel.
  std::vector<int> xPos, xNeg, yPos, yNeg;
};

// Ripple: rings around column px and row h - py, with ring divisor a and
// amplitude b. A divisor of 0 displaces nothing: only the centre is written.
// With a table the offsets are kept for the next frame (the bytes written
// are the same).
// `opaque`, when given, holds every pixel of the source that is not
// key-coloured (OpaqueBounds): samples from outside it are known to be key
// colour and are not taken (Ripple and Wave; the bytes written are the same).
void RenderRipple(const PixelView& src, const PixelView& dst, int px, int py, int a, int b,
                  RippleTable* table = nullptr, const Rect* opaque = nullptr);

// Wave: parallel waves across the line through (lineX, a) rising at
// `angleDegrees`, with wave divisor a and amplitude b. A pixel on the line
// itself takes the source pixel at its own position.
void RenderWave(const PixelView& src, const PixelView& dst, int lineX, int angleDegrees, int a, int b,
                const Rect* opaque = nullptr);

// Result size and placement of a photo of w x h turned by `hundredths` of a
// degree counter-clockwise.
struct RotatePlan {
  int width = 0;   // result size
  int height = 0;
  int quarterTurns = -1;  // 0..3 for an exact multiple of 90 degrees, else -1
  double phi = 0;         // the angle in radians
  double rowOffset = 0;   // row of the source's top-left corner in the result
  double columnOffset = 0;
};
RotatePlan PlanRotate(int hundredths, int w, int h);

// Fills dst (of the plan's size) with the turned source.
void RenderRotate(const PixelView& src, const PixelView& dst, const RotatePlan& plan);

// One row's run of consecutive pixels that are not the key colour: columns
// [x0, x1) of row y. The fourth byte of a four-byte pixel is ignored.
struct PixelRun {
  int y;
  int x0;
  int x1;
  bool operator==(const PixelRun&) const = default;
};
// The smallest rectangle that holds every pixel that is not key-coloured
// (empty when there is none).
Rect OpaqueBounds(const PixelView& view);

// Appends the runs of every row, top to bottom, to `runs`.
void CollectOpaqueRuns(const PixelView& view, std::vector<PixelRun>& runs);

// Rows y0..y1-1 that all have the run x0..x1.
struct RunBlock {
  int x0;
  int y0;
  int x1;
  int y1;
  bool operator==(const RunBlock&) const = default;
};
// The same pixels as `runs` (rows top to bottom, each left to right) in
// fewer rectangles: a row whose runs are those of the row above extends that
// row's rectangles downwards. Replaces the contents of `blocks`.
void JoinRunRows(const std::vector<PixelRun>& runs, std::vector<RunBlock>& blocks);

}  // namespace k3
