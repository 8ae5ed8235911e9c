#include "dialogs/ProgressMath.h"

#include <cmath>

namespace k3 {

int RoundHalfUp(double x) {
  // floor, not truncation: -50 must stay -50 (truncating -49.5 would give
  // -49 and a bar of 99 steps); for positive values both agree.
  const double v = std::floor(x + 0.5);
  if (!(v > -2147483648.0 && v < 2147483648.0)) return v > 0 ? 2147483647 : (-2147483647 - 1);
  return static_cast<int>(v);
}

ProgressScale MakeProgressScale(int lower, int upper) {
  ProgressScale s;
  if (lower == upper) {
    // Nothing to measure: the bar runs 0 to 100 and shows the work as done.
    s.empty = true;
    return s;
  }
  s.scale = 100.0 / (static_cast<double>(upper) - lower);
  s.lower = RoundHalfUp(s.scale * lower);
  s.upper = RoundHalfUp(s.scale * upper);
  return s;
}

int ProgressPosition(const ProgressScale& s, int position) {
  if (s.empty) return s.upper;
  int v = RoundHalfUp(position * s.scale);
  const int low = s.lower < s.upper ? s.lower : s.upper;
  const int high = s.lower < s.upper ? s.upper : s.lower;
  if (v < low) v = low;
  if (v > high) v = high;
  return v;
}

}  // namespace k3
