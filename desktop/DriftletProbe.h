// What tests and benchmarks reach inside the drifting window beyond what
// the program itself uses: single motion steps and frames, the prepared
// photos and the one shown, the motion, the screens it roams, the frames'
// bookkeeping, and a settings record no choice of the panel makes. The
// program never includes this header.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "desktop/Driftlet.h"

namespace k3 {

class DriftletProbe {
 public:
  explicit DriftletProbe(CDriftlet& drift) : d_(drift) {}

  // Waits for the photos under preparation and takes them in, at most `ms`;
  // whether all came.
  bool WaitForPhotos(DWORD ms = 20000) { return d_.WaitForPhotos(ms); }
  // The same without taking them in (they come with the workers' notice).
  bool WaitUntilPrepared(DWORD ms = 20000) { return d_.preparer_.WaitIdle(ms); }
  // How many threads prepare the photos (they start with the first photo).
  int PreparerWorkers() const { return d_.preparer_.Workers(); }

  void StepMotion(bool compose) { d_.StepMotion(compose); }
  void ComposeFrame() { d_.ComposeFrame(); }
  void ClearItems() { d_.ClearItems(); }
  void ShowPhoto(int index) { d_.ShowPhoto(index); }
  // The effects' animation from its beginning (a repeatable sequence).
  void RestartEffectAnimation() { d_.composer_.RestartAnimation(); }

  // The photos prepared so far, in the order of the paths, and the one shown.
  const PhotoSet<CDriftletImg>::Items& Items() const { return d_.photos_.All(); }
  int CurrentIndex() const { return d_.photos_.CurrentIndex(); }

  // Where the photo is and where it goes; a new motion takes effect at the
  // next step.
  const MotionState& Motion() const { return d_.motion_; }
  void SetMotion(const MotionState& motion) { d_.motion_ = motion; }
  // The screens the photo roams come from `source` from now on (monitors
  // the test system has not); they are asked for again at once.
  void SetScreenSource(std::function<std::vector<Rect>()> source) {
    d_.screenSource_ = std::move(source);
    d_.screensKnown_ = false;
    d_.screensChanged_ = true;
  }

  // The effect frame shown now (null for the plain photo or none) and the
  // box of its visible pixels.
  const CImg* Frame() const { return d_.composer_.Frame(); }
  const Rect& FrameBox() const { return d_.composer_.VisibleBox(); }
  // Whether the frames' pool still keeps a frame for the next one.
  bool PoolHoldsFrame() const { return d_.composer_.PoolHoldsFrame(); }
  // Off, every frame gives the window system the region, the place and the
  // pixels again (for comparison with giving only what changed).
  void SetOnlyChanges(bool on) { d_.onlyChanges_ = on; }

  // The whole record at once, timers restarted as window creation starts
  // them (periods the panel never offers, say).
  void ReplaceSettings(const DisplaySettings& settings) {
    d_.show_.Settings().Replace(settings);
    d_.StopTimers();
    d_.UpdateTimers();
  }

 private:
  CDriftlet& d_;
};

}  // namespace k3
