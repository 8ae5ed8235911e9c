// The screens the photo roams: the work areas of every monitor, the
// primary's first. Pure, tested natively.
#pragma once

#include <vector>

#include "desktop/Motion.h"
#include "framework/Rect.h"

namespace k3 {

// Whether every pixel of `box` lies on one of `areas` (a box across two
// monitors side by side counts; one over the gap beside a smaller monitor
// does not).
bool CoveredByAreas(const Rect& box, const std::vector<Rect>& areas);

// The area nearest to `box` (the one it overlaps most, else the closest);
// null without areas.
const Rect* NearestArea(const Rect& box, const std::vector<Rect>& areas);

// The areas the photo may roam while a full-screen program holds the
// monitor `blocked` (empty: none): those not on it, in their order.
std::vector<Rect> FreeAreas(const std::vector<Rect>& areas, const Rect& blocked);

// One motion step over several work areas (`areas`, the primary's first):
// the centre moves `length` pixels; a step that would put any pixel of the visible
// box (`box` inside a picture of `width` x `height`) outside every area is
// not taken, and the direction bounces off the edge it met, as at the
// desktop's edges (with the same small random turn). The first step places
// the centre in the middle of the primary area. With one area this is
// StepMotion over it.
void StepMotionOver(MotionState& m, const std::vector<Rect>& areas, int width, int height, const Rect& box,
                    const RandomSource& random, double length = 1);

}  // namespace k3
