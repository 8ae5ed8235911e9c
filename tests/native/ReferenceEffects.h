// The effects written the plain way, pixel by pixel exactly as the formulas
// read: the optimised kernels must produce the same bytes.
#pragma once

#include <cmath>
#include <cstring>

#include "imaging/Effects.h"
#include "imaging/Sine.h"

namespace k3::reference {

inline bool Trunc(double v, long long& out) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return false;
  out = static_cast<long long>(v);
  return true;
}

inline void Sample(const PixelView& src, long long vx, long long vy, std::uint8_t* out) {
  const long long ix = vx / 256, iy = vy / 256;
  if (ix < 0 || iy < 0 || ix >= src.width || iy >= src.height) return;
  SampleCorner(src, int(ix), int(iy), int(vx - 256 * ix), int(vy - 256 * iy), out);
}

inline void Ripple(const PixelView& src, const PixelView& dst, int px, int py, int a, int b) {
  const int cy = src.height - py;
  for (int y = 0; y < dst.height; ++y)
    for (int x = 0; x < dst.width; ++x) {
      std::uint8_t* out = dst.At(x, y);
      const int dx = x - px, dy = y - cy;
      const double d2 = double(dx) * dx + double(dy) * dy;
      if (d2 == 0) {
        std::memcpy(out, src.At(x, y), 3);
        continue;
      }
      const double r = std::sqrt(d2);
      const double rp = r + b * Sine(10.0 * r / a);
      long long vy, vx;
      if (!Trunc(dy * rp * 256 / r + 0.5, vy) || !Trunc(256 * rp * dx / r + 0.5, vx)) continue;
      Sample(src, vx + 256LL * px, vy + 256LL * cy, out);
    }
}

inline void Wave(const PixelView& src, const PixelView& dst, int lineX, int angle, int a, int b) {
  const double x0 = lineX, y0 = a, theta = angle / 180.0 * 3.14159265359;
  const double t = std::tan(theta), c = std::cos(theta);
  for (int y = 0; y < dst.height; ++y)
    for (int x = 0; x < dst.width; ++x) {
      std::uint8_t* out = dst.At(x, y);
      double fx, fy, g;
      if (angle == 90 || angle == 270) {
        fx = x0;
        fy = y;
        g = std::abs(lineX - x);
      } else {
        fx = (t * y + x - t * y0 + t * t * x0) / (t * t + 1);
        fy = y0 + t * (fx - x0);
        g = std::fabs(c * (y - t * x - y0 + t * x0));
      }
      if (g == 0) {
        std::memcpy(out, src.At(x, y), 3);
        continue;
      }
      const double gp = g + b * Sine(10 * g / a);
      long long vy, vx;
      if (!Trunc(256 * fy + 256 * (y - fy) * gp / g + 0.5, vy) || !Trunc(256 * fx + 256 * (x - fx) * gp / g + 0.5, vx))
        continue;
      Sample(src, vx, vy, out);
    }
}

inline void Sphere(const PixelView& src, const PixelView& dst, int px, int py, int radius) {
  const int cy = src.height - py;
  for (int y = 0; y < dst.height; ++y)
    for (int x = 0; x < dst.width; ++x) {
      std::uint8_t* out = dst.At(x, y);
      const int dx = x - px, dy = y - cy;
      if (dx == 0 && dy == 0) {
        std::memcpy(out, src.At(x, y), 3);
        continue;
      }
      const double d2 = double(dx) * dx + double(dy) * dy, r = std::sqrt(d2);
      if (r > radius) continue;
      const double g = std::sqrt(double(radius) * radius - d2);
      long long vy, vx;
      if (!Trunc(dy * (radius - g) * 256 / r + 0.5, vy) || !Trunc(256 * (radius - g) * dx / r + 0.5, vx)) continue;
      Sample(src, vx + 256LL * px, vy + 256LL * cy, out);
    }
}

inline void Rotate(const PixelView& src, const PixelView& dst, const RotatePlan& plan) {
  const double s = std::sin(plan.phi), c = std::cos(plan.phi);
  for (int y = 0; y < dst.height; ++y)
    for (int x = 0; x < dst.width; ++x) {
      const double u = c * (x - plan.columnOffset) - s * (y - plan.rowOffset);
      const double v = s * (x - plan.columnOffset) + c * (y - plan.rowOffset);
      const long long ix = (long long)u, iy = (long long)v;
      if (ix < 0 || iy < 0 || ix >= src.width || iy >= src.height) continue;
      SampleCorner(src, int(ix), int(iy), int((long long)(256 * u) - 256 * ix), int((long long)(256 * v) - 256 * iy),
                   dst.At(x, y));
    }
}

}  // namespace k3::reference
