// The four frame generators of the drifting window. Each reads a 24- or
// 32-bit photo surface, never changes it, and returns a new frame of the
// same bit depth whose background is the key colour; null when the source
// is below 24 bits per pixel or the frame cannot be made.
//
// A frame that is let go is kept for the next frame of the same size and
// depth (one is kept): the frames of a photo come 20 times a second with the
// same size, and a fresh bitmap costs a page fault on every page the first
// time it is written.
#pragma once

#include <windows.h>

#include <memory>

#include "imaging/Img.h"

namespace k3 {

struct FrameRecycler {
  void operator()(CImg* frame) const;
};
using FramePtr = std::unique_ptr<CImg, FrameRecycler>;

// Deletes the kept frame (at shut-down, or before counting surfaces).
void ReleaseRecycledFrames();

// A lens of radius R at point p (p.y counted from the bottom edge).
FramePtr MakeSphereFrame(const CImg& src, POINT p, int radius);
// Rings around p (p.y counted from the bottom edge), divisor a, amplitude b.
FramePtr MakeRippleFrame(const CImg& src, POINT p, int a, int b);
// Waves across the line through (p.y, a) at `angle` degrees.
FramePtr MakeWaveFrame(const CImg& src, POINT p, int angle, int a, int b);
// The photo turned by `hundredths` of a degree counter-clockwise, in its
// bounding box.
FramePtr MakeRotateFrame(const CImg& src, int hundredths);

}  // namespace k3
