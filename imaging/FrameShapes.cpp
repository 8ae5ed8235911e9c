// The shapes of the effect frames: the key-coloured canvas, the plan of a
// turned frame, and the runs and bounds of a frame's visible pixels.
#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/Angles.h"
#include "imaging/Effects.h"
#include "imaging/Geometry.h"

namespace k3 {

void FillKey(const PixelView& dst) {
  const int n = dst.bytesPerPixel;
  for (int y = 0; y < dst.height; ++y) {
    std::uint8_t* p = dst.Row(y);
    for (int x = 0; x < dst.width; ++x, p += n) {
      p[0] = kKeyBlue;
      p[1] = kKeyGreen;
      p[2] = kKeyRed;
      if (n == 4) p[3] = 0;
    }
  }
}


RotatePlan PlanRotate(int hundredths, int w, int h) {
  RotatePlan plan;
  const int e = hundredths % 36000;
  if (e == 0 || e == 9000 || e == 18000 || e == 27000) {
    plan.quarterTurns = e / 9000;
    const bool swap = plan.quarterTurns % 2 == 1;
    plan.width = swap ? h : w;
    plan.height = swap ? w : h;
    return plan;
  }
  const double phi = e * kPi / 180.0 / 100.0;
  const double alpha = std::atan(static_cast<double>(h) / w);
  const double d = std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h);
  double wn, hn, a0, b0;
  if (phi < kHalfPi) {
    wn = d * std::cos(alpha - phi);
    hn = d * std::cos(kHalfPi - alpha - phi);
    a0 = w * std::sin(phi);
    b0 = 0;
  } else if (phi < kPi) {
    wn = d * std::cos(kPi - alpha - phi);
    hn = d * std::cos(alpha - phi + kHalfPi);
    a0 = d * std::cos(alpha - phi + kHalfPi);
    b0 = w * std::cos(phi);
  } else if (phi < kThreeHalvesPi) {
    wn = d * std::cos(kPi + alpha - phi);
    hn = d * std::cos(kThreeHalvesPi - alpha - phi);
    a0 = h * std::cos(phi);
    b0 = d * std::cos(kPi + alpha - phi);
  } else {
    wn = d * std::cos(kTwoPi - alpha - phi);
    hn = d * std::cos(alpha - phi + kThreeHalvesPi);
    a0 = 0;
    b0 = h * std::sin(phi);
  }
  plan.phi = phi;
  plan.width = static_cast<int>(std::fabs(wn) + 0.5);
  plan.height = static_cast<int>(std::fabs(hn) + 0.5);
  plan.rowOffset = std::fabs(a0);
  plan.columnOffset = std::fabs(b0);
  return plan;
}


void CollectOpaqueRuns(const PixelView& view, std::vector<PixelRun>& runs) {
  const int n = view.bytesPerPixel;
  for (int y = 0; y < view.height; ++y) {
    const std::uint8_t* p = view.Row(y);
    int x = 0;
    while (x < view.width) {
      while (x < view.width && IsKeyPixel(p + static_cast<std::ptrdiff_t>(x) * n)) ++x;
      if (x == view.width) break;
      const int start = x;
      while (x < view.width && !IsKeyPixel(p + static_cast<std::ptrdiff_t>(x) * n)) ++x;
      runs.push_back(PixelRun{y, start, x});
    }
  }
}

Rect OpaqueBounds(const PixelView& view) {
  Rect box{view.width, view.height, 0, 0};
  const int n = view.bytesPerPixel;
  for (int y = 0; y < view.height; ++y) {
    const std::uint8_t* p = view.Row(y);
    int first = 0;
    while (first < view.width && IsKeyPixel(p + static_cast<std::ptrdiff_t>(first) * n)) ++first;
    if (first == view.width) continue;
    int last = view.width - 1;
    while (IsKeyPixel(p + static_cast<std::ptrdiff_t>(last) * n)) --last;
    box.left = std::min(box.left, first);
    box.right = std::max(box.right, last + 1);
    box.top = std::min(box.top, y);
    box.bottom = y + 1;
  }
  return box.Empty() ? Rect{} : box;
}

void JoinRunRows(const std::vector<PixelRun>& runs, std::vector<RunBlock>& blocks) {
  blocks.clear();
  // The rectangles of the row above: blocks[above, blocks.size()).
  std::size_t above = 0;
  int aboveY = 0;
  for (std::size_t i = 0; i < runs.size();) {
    const int y = runs[i].y;
    std::size_t end = i;
    while (end < runs.size() && runs[end].y == y) ++end;
    bool same = i > 0 && y == aboveY + 1 && end - i == blocks.size() - above;
    for (std::size_t k = 0; same && k < end - i; ++k) {
      same = blocks[above + k].x0 == runs[i + k].x0 && blocks[above + k].x1 == runs[i + k].x1;
    }
    if (same) {
      for (std::size_t k = above; k < blocks.size(); ++k) blocks[k].y1 = y + 1;
    } else {
      above = blocks.size();
      for (std::size_t k = i; k < end; ++k) blocks.push_back(RunBlock{runs[k].x0, y, runs[k].x1, y + 1});
    }
    aboveY = y;
    i = end;
  }
}

}  // namespace k3
