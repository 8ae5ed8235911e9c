// The four frame generators of the drifting window. Each reads a 24- or
// 32-bit photo surface, never changes it, and returns a new surface of the
// same bit depth whose background is the key colour; null when the source
// is below 24 bits per pixel or the result cannot be made.
#pragma once

#include <windows.h>

#include <memory>

#include "imaging/Img.h"

namespace k3 {

// A lens of radius R at point p (p.y counted from the bottom edge).
std::unique_ptr<CImg> MakeSphereFrame(const CImg& src, POINT p, int radius);
// Rings around p (p.y counted from the bottom edge), divisor a, amplitude b.
std::unique_ptr<CImg> MakeRippleFrame(const CImg& src, POINT p, int a, int b);
// Waves across the line through (p.y, a) at `angle` degrees.
std::unique_ptr<CImg> MakeWaveFrame(const CImg& src, POINT p, int angle, int a, int b);
// The photo turned by `hundredths` of a degree counter-clockwise, in its
// bounding box.
std::unique_ptr<CImg> MakeRotateFrame(const CImg& src, int hundredths);

}  // namespace k3
