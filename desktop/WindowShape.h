// What the window system was last given for a shaped window (its region's
// runs and the box of its visible pixels, its rectangle) and what a new
// frame changes of it: a frame whose visible pixels are those of the region
// already set keeps the region; a window already in place is not moved.
// Pure, tested natively.
#pragma once

#include <vector>

#include "framework/Rect.h"
#include "imaging/Effects.h"

namespace k3 {

// How a window's rectangle changes from `now` to `wanted`.
enum class PlaceChange { None, Move, Resize };
constexpr PlaceChange ComparePlace(const Rect& now, const Rect& wanted) {
  if (now.Width() != wanted.Width() || now.Height() != wanted.Height()) return PlaceChange::Resize;
  return now == wanted ? PlaceChange::None : PlaceChange::Move;
}

class WindowShape {
 public:
  // Whether a frame with the visible `runs` needs the region set again.
  bool Differs(const std::vector<PixelRun>& runs, bool onlyChanges) const {
    return !onlyChanges || !shaped_ || runs != runs_;
  }
  // The window took the region of `runs` (which this takes over, leaving
  // the caller the old ones to reuse); `box` holds its pixels.
  void Taken(std::vector<PixelRun>& runs, const Rect& box) {
    shaped_ = true;
    runs_.swap(runs);
    box_ = box;
  }
  // The window has no region (none given, or giving it failed).
  void Clear() {
    shaped_ = false;
    runs_.clear();
  }
  bool Shaped() const { return shaped_; }
  // The box of the region's pixels, while shaped.
  const Rect& Box() const { return box_; }

 private:
  bool shaped_ = false;
  std::vector<PixelRun> runs_;
  Rect box_;
};

}  // namespace k3
