// The arithmetic of the progress bar: the caller's range [lower, upper], in
// any unit, always spans 100 steps of the bar.
#pragma once

namespace k3 {

struct ProgressScale {
  double scale = 0;  // bar steps per caller unit
  int lower = 0;     // bar range
  int upper = 100;
  bool empty = false;  // lower == upper: every position shows a full bar
};

// round(x): x + 0.5 rounded down, so halves go up on both sides of zero.
int RoundHalfUp(double x);

ProgressScale MakeProgressScale(int lower, int upper);

// The bar position for a caller position, clamped to the bar range.
int ProgressPosition(const ProgressScale& s, int position);

}  // namespace k3
