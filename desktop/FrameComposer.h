// The drifting window's frames: the effects' animation (its own, per
// window), the pool the frames are recycled through, the frame shown now
// and the box of its visible pixels, and what a new frame changes for the
// window: a frame that is the picture of the one before only moves; a new
// frame keeps the window's region when its visible pixels are those of the
// region already set. The window does what the composer answers.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "desktop/Motion.h"
#include "desktop/PhotoPreparer.h"
#include "desktop/WindowShape.h"
#include "framework/Rect.h"
#include "imaging/EffectFrames.h"

namespace k3 {

// What the window does with one composition.
struct ComposedFrame {
  enum class Kind {
    kSkipped,  // the effect gave no frame: shape and place stay
    kPlain,    // the plain photo: no region, the photo's rectangle
    kMoved,    // the picture of the frame before, at a new place
    kNew,      // a new frame
  };
  Kind kind = Kind::kSkipped;
  // The window's rectangle.
  Rect place;
  // kPlain: the window's region is to be taken away.
  bool unshape = false;
  // kNew: the window's region is to be set to NewRuns().
  bool reshape = false;
};

class FrameComposer {
 public:
  FrameComposer() = default;
  FrameComposer(const FrameComposer&) = delete;
  FrameComposer& operator=(const FrameComposer&) = delete;

  // Composes the frame of `item` as the settings show it, centred on the
  // motion's centre. With `onlyChanges` off, every frame is made, shaped
  // and placed again (for comparison in tests and benchmarks).
  ComposedFrame Compose(const CDriftletImg& item, const DisplaySettings& settings, const MotionState& motion,
                        const RandomSource& random, bool onlyChanges);

  // The effect frame shown now (null for the plain photo).
  const CImg* Frame() const { return frame_.get(); }
  CImg* Frame() { return frame_.get(); }
  // The box of its visible pixels in it (empty when unknown).
  const Rect& VisibleBox() const { return box_; }
  // The visible runs of a new frame whose region is to be set.
  const std::vector<PixelRun>& NewRuns() const { return newRuns_; }
  // The window took the region of NewRuns(), whose pixels `box` holds; or
  // it has none (setting it failed, `box` what was known).
  void ShapeTaken(const Rect& box);
  void ShapeRefused(const Rect& box);
  // Whether the frame is new since it was last drawn (and from now, not).
  bool TakeFresh() { return std::exchange(fresh_, false); }

  // The window system has forgotten the window's region (or is to be given
  // everything again).
  void ForgetShape() { shape_.Clear(); }
  // The next frame is made anew even if it would be the same picture (the
  // item images changed).
  void ForgetSource() { source_ = nullptr; }
  // No frame: no photo to show.
  void Drop() {
    frame_.reset();
    box_ = {};
  }
  // Gives back the frame and what the pool keeps.
  void Release() {
    Drop();
    pool_.Clear();
  }
  bool PoolHoldsFrame() const { return pool_.HoldsFrame(); }
  // Starts the animation from its beginning.
  void RestartAnimation() { effect_ = EffectState{}; }

 private:
  // Carried across photo switches, type changes and new photo lists.
  EffectState effect_;
  // Declared before the frame, so that the frame goes back to it first.
  FramePool pool_;
  FramePtr frame_;
  Rect box_;
  // What the current frame was made from (its item image, type and
  // parameters), and whether it is new since it was last drawn.
  const CImg* source_ = nullptr;
  int type_ = -1;
  EffectFrame effectFrame_;
  bool fresh_ = false;
  WindowShape shape_;
  std::vector<PixelRun> newRuns_;
};

}  // namespace k3
