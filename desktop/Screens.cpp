#include "desktop/Screens.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "desktop/DriftVisibility.h"
#include "framework/Angles.h"

namespace k3 {

bool CoveredByAreas(const Rect& box, const std::vector<Rect>& areas) {
  if (box.Empty()) return true;
  // Slabs between the areas' vertical edges: in each, the areas that span
  // it must cover the box's rows without a gap.
  std::vector<int> xs{box.left, box.right};
  for (const Rect& a : areas) {
    for (int x : {a.left, a.right}) {
      if (x > box.left && x < box.right) xs.push_back(x);
    }
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    std::vector<std::pair<int, int>> rows;
    for (const Rect& a : areas) {
      if (a.left <= xs[i] && a.right >= xs[i + 1] && !a.Empty()) rows.emplace_back(a.top, a.bottom);
    }
    std::sort(rows.begin(), rows.end());
    int reached = box.top;
    for (const auto& [top, bottom] : rows) {
      if (top > reached) break;
      reached = std::max(reached, bottom);
    }
    if (reached < box.bottom) return false;
  }
  return true;
}

const Rect* NearestArea(const Rect& box, const std::vector<Rect>& areas) {
  const Rect* best = nullptr;
  long long bestOverlap = -1;
  double bestDistance = 0;
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  for (const Rect& a : areas) {
    const long long w = std::max(0, std::min(box.right, a.right) - std::max(box.left, a.left));
    const long long h = std::max(0, std::min(box.bottom, a.bottom) - std::max(box.top, a.top));
    const double dx = std::max({a.left - cx, 0.0, cx - a.right});
    const double dy = std::max({a.top - cy, 0.0, cy - a.bottom});
    const double distance = dx * dx + dy * dy;
    if (w * h > bestOverlap || (w * h == bestOverlap && w * h == 0 && distance < bestDistance)) {
      best = &a;
      bestOverlap = w * h;
      bestDistance = distance;
    }
  }
  return best;
}

namespace {

// The visible box on the screen for a centre.
Rect VisibleAt(double x, double y, int width, int height, const Rect& box) {
  const int left = RoundToInt(x - width / 2), top = RoundToInt(y - height / 2);
  return Rect{left + box.left, top + box.top, left + box.right, top + box.bottom};
}

}  // namespace

std::vector<Rect> FreeAreas(const std::vector<Rect>& areas, const Rect& blocked) {
  if (blocked.Empty()) return areas;
  std::vector<Rect> free;
  for (const Rect& area : areas) {
    const bool overlaps = area.left < blocked.right && blocked.left < area.right && area.top < blocked.bottom &&
                          blocked.top < area.bottom;
    if (!overlaps) free.push_back(area);
  }
  return free;
}

void StepMotionOver(MotionState& m, const std::vector<Rect>& areas, int width, int height, const Rect& box,
                    const RandomSource& random, double length) {
  if (areas.empty()) return;
  if (areas.size() == 1) {
    StepMotion(m, areas.front(), width, height, box, random, length);
    return;
  }
  const Rect& primary = areas.front();
  if (m.centreX == -1 && m.centreY == -1) {
    m.centreX = primary.left + (primary.right - primary.left) / 2;
    m.centreY = primary.top + (primary.bottom - primary.top) / 2;
    return;
  }
  const double turn = RandomTurn(random, 20);
  const Rect now = VisibleAt(m.centreX, m.centreY, width, height, box);
  if (!CoveredByAreas(now, areas)) {
    // Off every screen (a monitor went, or a throw ended over a gap): onto
    // the nearest one, the visible box wholly on it.
    if (const Rect* nearest = NearestArea(now, areas)) {
      const double dx = box.left + box.Width() / 2.0 - width / 2.0;
      const double dy = box.top + box.Height() / 2.0 - height / 2.0;
      double x = m.centreX + dx, y = m.centreY + dy;
      KeepInside(x, y, box.Width(), box.Height(), *nearest);
      m.centreX = x - dx;
      m.centreY = y - dy;
    }
    return;
  }
  const double stepX = length * std::cos(m.direction), stepY = -length * std::sin(m.direction);
  if (CoveredByAreas(VisibleAt(m.centreX + stepX, m.centreY + stepY, width, height, box), areas)) {
    m.centreX += stepX;
    m.centreY += stepY;
  } else {
    // The edge met: the step along x alone, along y alone, or only both.
    bool crossedX = !CoveredByAreas(VisibleAt(m.centreX + stepX, m.centreY, width, height, box), areas);
    bool crossedY = !CoveredByAreas(VisibleAt(m.centreX, m.centreY + stepY, width, height, box), areas);
    if (!crossedX && !crossedY) crossedX = crossedY = true;
    if (crossedX && crossedY) {
      m.direction = turn + (m.direction + kPi);
    } else if (crossedX) {
      m.direction = turn + (kPi - m.direction);
    } else {
      m.direction = turn + (kTwoPi - m.direction);
    }
  }
  // The path curves slowly.
  m.direction += 0.001;
}

}  // namespace k3
