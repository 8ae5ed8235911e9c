// The four frame generators of the drifting window. Each reads a 24- or
// 32-bit photo surface, never changes it, and returns a new frame of the
// same bit depth whose background is the key colour; null when the source
// is below 24 bits per pixel or the frame cannot be made.
//
// A frame made with a FramePool is given back to that pool when it is let
// go, and the pool hands it out again for the next frame of the same size
// and depth (one is kept): the frames of a photo come 20 times a second with
// the same size, and a fresh bitmap costs a page fault on every page the
// first time it is written. The pool belongs to whoever makes the frames
// and must outlive them.
#pragma once

#include <windows.h>

#include <memory>

#include "imaging/Effects.h"
#include "imaging/Img.h"

namespace k3 {

class FramePool;

// Gives a frame back to its pool, or deletes it when it has none.
struct FrameRecycler {
  FramePool* pool = nullptr;
  void operator()(CImg* frame) const;
};
using FramePtr = std::unique_ptr<CImg, FrameRecycler>;

class FramePool {
 public:
  FramePool() = default;
  FramePool(const FramePool&) = delete;
  FramePool& operator=(const FramePool&) = delete;

  // A key-coloured frame of the given size and the source's depth.
  FramePtr Take(const CImg& src, int width, int height);
  // Deletes the kept frame and table.
  void Clear() {
    kept_.reset();
    ripple_ = RippleTable{};
  }
  bool HoldsFrame() const { return kept_ != nullptr; }
  // Ripple's offsets, kept for the frames of the next centres.
  RippleTable* Ripple() { return &ripple_; }

 private:
  friend struct FrameRecycler;
  std::unique_ptr<CImg> kept_;
  RippleTable ripple_;
};

// A lens of radius R at point p (p.y counted from the bottom edge).
FramePtr MakeSphereFrame(const CImg& src, POINT p, int radius, FramePool* pool = nullptr);
// Rings around p (p.y counted from the bottom edge), divisor a, amplitude b.
// A pool keeps the rings' offsets for the next frames. `opaque`, when given,
// holds every pixel of the source that is not key-coloured (OpaqueBounds).
FramePtr MakeRippleFrame(const CImg& src, POINT p, int a, int b, FramePool* pool = nullptr,
                         const Rect* opaque = nullptr);
// Waves across the line through (p.y, a) at `angle` degrees.
FramePtr MakeWaveFrame(const CImg& src, POINT p, int angle, int a, int b, FramePool* pool = nullptr,
                       const Rect* opaque = nullptr);
// The photo turned by `hundredths` of a degree counter-clockwise, in its
// bounding box.
FramePtr MakeRotateFrame(const CImg& src, int hundredths, FramePool* pool = nullptr);

}  // namespace k3
