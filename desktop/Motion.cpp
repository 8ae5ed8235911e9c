#include "desktop/Motion.h"

#include <cmath>

#include "framework/Angles.h"
#include "framework/Dpi.h"

#include "imaging/Geometry.h"

namespace k3 {

double RandomTurn(const RandomSource& random, double degrees) {
  const int t = random() - 16383;
  return static_cast<double>(t) / 32767 * degrees * kPi / 180;
}

namespace {

// A point that left its allowed area, which edges it crossed and the lines
// it is put back on. The callers state "crossed" in their own terms.
struct Walls {
  bool lowX, lowY, highX, highY;
  double minX, minY, maxX, maxY;
};

// The bounce of the drifting photo and of the effects' lens: the point goes
// back onto the wall it crossed and the direction is mirrored off it, with a
// small random turn. One case per step: a corner (both low or both high
// edges) reverses the direction; otherwise the left or right wall mirrors it
// about the vertical, the top or bottom wall about the horizontal, in the
// order low x, low y, high x, high y.
void Bounce(double& x, double& y, double& direction, const Walls& w, double turn) {
  // One side of the area: its vertical and its horizontal wall.
  const auto side = [&](bool crossedX, bool crossedY, double wallX, double wallY) {
    if (crossedX) x = wallX;
    if (crossedY) y = wallY;
    if (crossedX && crossedY) {
      direction = turn + (direction + kPi);
    } else if (crossedX) {
      direction = turn + (kPi - direction);
    } else if (crossedY) {
      direction = turn + (kTwoPi - direction);
    }
    return crossedX || crossedY;
  };
  if (!side(w.lowX, w.lowY, w.minX, w.minY)) side(w.highX, w.highY, w.maxX, w.maxY);
}

}  // namespace

int RoundToInt(double v) {
  const double r = v + 0.5;
  if (!(r > -2147483648.0 && r < 2147483648.0)) return r > 0 ? 2147483647 : (-2147483647 - 1);
  return static_cast<int>(r);
}

double InitialDirection(const RandomSource& random) { return static_cast<double>(random()) / 32767 * kPi * 2; }

void StepMotion(MotionState& m, const Rect& d, int width, int height, const Rect& box, const RandomSource& random,
                double length) {
  const int bw = box.Width(), bh = box.Height();
  const int halfW = width / 2, halfH = height / 2, halfBw = bw / 2, halfBh = bh / 2;
  if (m.centreX == -1 && m.centreY == -1) {
    m.centreX = d.left + (d.right - d.left) / 2;
    m.centreY = d.top + (d.bottom - d.top) / 2;
    return;
  }
  m.centreX += length * std::cos(m.direction);
  m.centreY -= length * std::sin(m.direction);
  // The centre of the visible box on the screen.
  double a = m.centreX - halfW + box.left + halfBw;
  double b = m.centreY - halfH + box.top + halfBh;
  const double turn = RandomTurn(random, 20);
  // Left, top, right or bottom out: the visible box crossed that edge.
  const Walls walls{d.left > a - halfBw,      d.top > b - halfBh,       d.right < a + halfBw,
                    d.bottom < b + halfBh,    double(d.left + halfBw),  double(d.top + halfBh),
                    double(d.right - halfBw), double(d.bottom - halfBh)};
  Bounce(a, b, m.direction, walls, turn);
  m.centreX = a - halfBw - box.left + halfW;
  m.centreY = b - halfBh - box.top + halfH;
  // The path curves slowly.
  m.direction += 0.001;
}

double ThrowDirection(int startX, int startY, int endX, int endY, double direction) {
  const double dx = endX - startX, dy = endY - startY;
  const double length2 = dx * dx + dy * dy;
  if (length2 == 0) return direction;
  double d = std::asin((startY - endY) / std::sqrt(length2));
  if (endX < startX) d = kPi - d;
  return d;
}

int WaveAmplitude(int height, int strength) {
  const long long v = strength ? strength : 90;
  return static_cast<int>(((static_cast<long long>(height) * v * 6) / 128) / 100);
}

int WaveLength(int height, int count) {
  const long long n = count ? count : 10;
  return static_cast<int>((static_cast<long long>(height) * n) / 10);
}

EffectFrame AdvanceEffect(EffectState& e, const DisplaySettings& s, int w, int h, const RandomSource& random) {
  EffectFrame f;
  if (!e.angleSet) {
    e.effectAngle = static_cast<double>(random()) / 32767 * kPi * 2;
    e.angleSet = true;
  }
  e.wavePhase += 0.037;
  switch (s.displayType) {
    case kSphere: {
      const double dx = std::cos(e.effectAngle) * 0.5, dy = std::sin(e.effectAngle) * -0.5;
      e.lensX += dx;
      e.lensY += dy;
      const double turn = RandomTurn(random, 60);
      const int m = w < h ? w : h;
      const int d = m * 9 / 10;
      const int r = d / 2;
      // The lens centre stays at least R from every edge.
      const Walls walls{e.lensX - r<0, e.lensY - r<0, e.lensX + r> w, e.lensY + r> h, double(r), double(r),
                        double(w - r), double(h - r)};
      Bounce(e.lensX, e.lensY, e.effectAngle, walls, turn);
      e.effectAngle += RandomTurn(random, 0.1);
      f.pointX = RoundToInt(e.lensX);
      f.pointY = RoundToInt(e.lensY);
      const int v = s.effectStrength ? s.effectStrength : 90;
      f.radius = static_cast<int>((static_cast<long long>(v) * d / 2) / 100);
      f.shiftX = dx;
      f.shiftY = dy;
      break;
    }
    case kRipple:
    case kWave: {
      e.lensX += std::cos(e.effectAngle) * 0.5;
      e.lensY += std::sin(e.effectAngle) * -0.5;
      const double turn = RandomTurn(random, 20);
      const Walls walls{e.lensX<0, e.lensY<0, e.lensX> w, e.lensY> h, 0, 0, double(w), double(h)};
      Bounce(e.lensX, e.lensY, e.effectAngle, walls, turn);
      e.effectAngle += RandomTurn(random, 0.1);
      f.amplitude = WaveAmplitude(h, s.effectStrength);
      f.divisor = WaveLength(h, s.waveCount);
      f.pointX = RoundToInt(e.lensX);
      f.pointY = RoundToInt(e.lensY);
      f.angle = RoundToInt(e.wavePhase * 10);
      break;
    }
    case kRotate: {
      e.effectAngle += 0.03;
      // Hundredths of a degree; whole turns are dropped before the value is
      // made an integer, so the angle may grow for ever.
      const double turned = std::fmod(e.effectAngle / kPi * 180 * 100 + 0.5, 36000.0);
      f.angle = turned >= 0 ? static_cast<int>(turned) : 0;
      break;
    }
    default:
      break;
  }
  return f;
}

bool SameEffectPicture(int displayType, const EffectFrame& a, const EffectFrame& b) {
  const bool point = a.pointX == b.pointX && a.pointY == b.pointY;
  switch (displayType) {
    case kSphere:
      return point && a.radius == b.radius;
    case kRipple:
      return point && a.divisor == b.divisor && a.amplitude == b.amplitude;
    case kWave:
      return point && a.angle == b.angle && a.divisor == b.divisor && a.amplitude == b.amplitude;
    case kRotate:
      return a.angle == b.angle;
    default:
      return false;
  }
}

ItemLayout LayoutItem(int decodedWidth, int decodedHeight, const DisplaySettings& s, int dpi) {
  ItemLayout l;
  const int side = ScaleForDpi(BoxSide(s.photoSize), dpi);
  Size fitted{decodedWidth, decodedHeight};
  FitInside(fitted, side, side);
  l.photoWidth = fitted.width;
  l.photoHeight = fitted.height;
  const int w = l.photoWidth, h = l.photoHeight;
  if (s.displayType == kRotate) {
    l.canvas = true;
    l.canvasWidth = w * 22 / 20;
    l.canvasHeight = h * 22 / 20;
    l.photoRect = Rect{w / 20, h / 20, w * 21 / 20, h * 21 / 20};
  } else if (s.displayType == kRipple || s.displayType == kWave) {
    l.canvas = true;
    l.canvasWidth = w * 7 / 5;
    l.canvasHeight = h * 7 / 5;
    l.photoRect = Rect{w / 5, h / 5, w * 6 / 5, h * 6 / 5};
  }
  return l;
}

}  // namespace k3
