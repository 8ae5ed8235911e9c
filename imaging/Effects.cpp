#include "imaging/Effects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/Geometry.h"
#include "imaging/Sine.h"

namespace k3 {

namespace {

constexpr double kPi = 3.14159265359;
constexpr double kHalfPi = 1.570796326795;
constexpr double kThreeHalvesPi = 4.7123889803850005;
constexpr double kTwoPi = 6.28318530718;

// trunc(v) when it is a finite value an int can hold. Positions that are not
// (a divisor of 0 gives infinities and NaNs) are simply not sampled.
inline bool Truncate(double v, long long& out) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return false;
  out = static_cast<long long>(v);
  return true;
}

inline std::uint8_t ToByte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// The corner interpolation without branches on the fractions: the cell's
// corners are indexed [row][column], the base is the corner nearest the
// sample, its horizontal and vertical neighbours weigh f or 255 - f.
inline void SampleCornerInline(const PixelView& src, int ix, int iy, int fx, int fy, std::uint8_t* out) {
  const std::uint8_t* p = src.At(ix, iy);
  const std::ptrdiff_t right = ix < src.width - 1 ? src.bytesPerPixel : 0;
  const std::ptrdiff_t down = iy < src.height - 1 ? src.pitch : 0;
  // Past the last column the below-right neighbour is the pixel itself; past
  // the last row it is the right neighbour.
  const std::ptrdiff_t diagonal = right ? right + down : 0;
  const std::uint8_t* corner[2][2] = {{p, p + right}, {p + down, p + diagonal}};
  const int bx = fx >= 128, by = fy >= 128;
  const std::uint8_t* base = corner[by][bx];
  const std::uint8_t* across = corner[by][1 - bx];
  const std::uint8_t* along = corner[1 - by][bx];
  const int wx = bx ? 255 - fx : fx;
  const int wy = by ? 255 - fy : fy;
  for (int c = 0; c < 3; ++c) {
    out[c] = ToByte(base[c] + ((across[c] - base[c]) * wx + (along[c] - base[c]) * wy) / 256);
  }
}

// Samples the source at fixed-point (vx, vy) into out when the position lies
// inside the source. Positions with non-negative coordinates and fractions
// take the fast way: the base corner's neighbours then weigh at most 127
// each, so the result needs no clamping.
inline void SampleFixed(const PixelView& src, long long vx, long long vy, std::uint8_t* out) {
  if (vx >= 0 && vy >= 0) {
    const long long ix = vx >> 8, iy = vy >> 8;
    if (ix >= src.width || iy >= src.height) return;
    const int fx = static_cast<int>(vx & 255), fy = static_cast<int>(vy & 255);
    const std::uint8_t* p = src.At(static_cast<int>(ix), static_cast<int>(iy));
    const std::ptrdiff_t right = ix < src.width - 1 ? src.bytesPerPixel : 0;
    const std::ptrdiff_t down = iy < src.height - 1 ? src.pitch : 0;
    const std::ptrdiff_t diagonal = right ? right + down : 0;
    const std::ptrdiff_t offsets[2][2] = {{0, right}, {down, diagonal}};
    const int bx = fx >> 7, by = fy >> 7;
    const std::uint8_t* base = p + offsets[by][bx];
    const std::uint8_t* across = p + offsets[by][bx ^ 1];
    const std::uint8_t* along = p + offsets[by ^ 1][bx];
    const int wx = bx ? 255 - fx : fx;
    const int wy = by ? 255 - fy : fy;
    for (int c = 0; c < 3; ++c) {
      out[c] = static_cast<std::uint8_t>(base[c] + ((across[c] - base[c]) * wx + (along[c] - base[c]) * wy) / 256);
    }
    return;
  }
  const long long ix = vx / 256, iy = vy / 256;
  if (ix < 0 || iy < 0 || ix >= src.width || iy >= src.height) return;
  SampleCornerInline(src, static_cast<int>(ix), static_cast<int>(iy), static_cast<int>(vx - 256 * ix),
                     static_cast<int>(vy - 256 * iy), out);
}

inline void CopyPixel(const PixelView& src, int x, int y, std::uint8_t* out) {
  if (x < 0 || y < 0 || x >= src.width || y >= src.height) return;
  std::memcpy(out, src.At(x, y), 3);
}

}  // namespace

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

void SampleCorner(const PixelView& src, int ix, int iy, int fx, int fy, std::uint8_t* out) {
  SampleCornerInline(src, ix, iy, fx, fy, out);
}

void RenderSphere(const PixelView& src, const PixelView& dst, int px, int py, int radius) {
  const int cy = src.height - py;
  const double r2Limit = static_cast<double>(radius) * radius;
  const long long baseX = 256LL * px, baseY = 256LL * cy;
  for (int y = 0; y < dst.height; ++y) {
    const int dy = y - cy;
    std::uint8_t* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x, out += dst.bytesPerPixel) {
      const int dx = x - px;
      if (dx == 0 && dy == 0) {
        CopyPixel(src, x, y, out);
        continue;
      }
      const double d2 = static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
      const double r = std::sqrt(d2);
      if (r > radius) continue;
      const double k = radius - std::sqrt(r2Limit - d2);
      long long vy, vx;
      if (!Truncate(dy * k * 256 / r + 0.5, vy) || !Truncate(256 * k * dx / r + 0.5, vx)) continue;
      SampleFixed(src, vx + baseX, vy + baseY, out);
    }
  }
}

namespace {

// The distances |v - centre| met by v in [0, count): [low, high].
void DistanceRange(long long centre, int count, long long& low, long long& high) {
  const long long first = centre, last = static_cast<long long>(count) - 1 - centre;  // to v = 0 and v = count - 1
  if (first >= 0 && last >= 0) {
    low = 0;
    high = std::max(first, last);
  } else {
    low = std::min(std::llabs(first), std::llabs(last));
    high = std::max(std::llabs(first), std::llabs(last));
  }
}

}  // namespace

void RenderRipple(const PixelView& src, const PixelView& dst, int px, int py, int a, int b) {
  // The displacement depends on the distances |dx| and |dy| only, and its
  // sign on theirs: mirrored pixels share one evaluation exactly (negation is
  // exact in floating point). So the square root, the sine and the divisions
  // are computed once per (|dx|, |dy|), and rows cy - d and cy + d are filled
  // together.
  if (dst.width <= 0 || dst.height <= 0) return;
  const long long cy = static_cast<long long>(src.height) - py;
  const long long baseX = 256LL * px, baseY = 256LL * cy;
  long long lowX, highX, lowY, highY;
  DistanceRange(px, dst.width, lowX, highX);
  DistanceRange(cy, dst.height, lowY, highY);
  const std::size_t span = static_cast<std::size_t>(highX - lowX) + 1;
  std::vector<double> magX(span), magY(span);
  std::vector<char> valid(span);
  for (long long d = lowY; d <= highY; ++d) {
    const double dd = static_cast<double>(d) * d;
    for (std::size_t k = 0; k < span; ++k) {
      const double i = static_cast<double>(lowX + static_cast<long long>(k));
      const double r = std::sqrt(i * i + dd);
      const double rp = r + b * Sine(10.0 * r / a);
      magX[k] = 256 * rp * i / r;
      magY[k] = d * rp * 256 / r;
      valid[k] = std::isfinite(magX[k]) && std::isfinite(magY[k]);
    }
    for (int side = 0; side < 2; ++side) {
      if (side == 1 && d == 0) break;
      const long long row = side == 0 ? cy - d : cy + d;
      if (row < 0 || row >= dst.height) continue;
      const int y = static_cast<int>(row);
      const double signY = side == 0 ? -1.0 : 1.0;
      std::uint8_t* out = dst.Row(y);
      for (int x = 0; x < dst.width; ++x, out += dst.bytesPerPixel) {
        const long long dx = static_cast<long long>(x) - px;
        if (dx == 0 && d == 0) {
          CopyPixel(src, x, y, out);
          continue;
        }
        const std::size_t k = static_cast<std::size_t>((dx < 0 ? -dx : dx) - lowX);
        if (!valid[k]) continue;
        long long vx, vy;
        if (!Truncate((dx < 0 ? -magX[k] : magX[k]) + 0.5, vx) || !Truncate(signY * magY[k] + 0.5, vy)) continue;
        SampleFixed(src, vx + baseX, vy + baseY, out);
      }
    }
  }
}

void RenderWave(const PixelView& src, const PixelView& dst, int lineX, int angleDegrees, int a, int b) {
  const double x0 = lineX, y0 = a;
  const double theta = angleDegrees / 180.0 * kPi;
  const double t = std::tan(theta), c = std::cos(theta);
  // Only the literal angles take the vertical branch; the caller's angle
  // keeps growing and larger equivalents go through the general formula.
  const bool vertical = angleDegrees == 90 || angleDegrees == 270;
  for (int y = 0; y < dst.height; ++y) {
    std::uint8_t* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x, out += dst.bytesPerPixel) {
      double fx, fy, g;
      if (vertical) {
        fx = x0;
        fy = y;
        g = std::abs(lineX - x);
      } else {
        fx = (t * y + x - t * y0 + t * t * x0) / (t * t + 1);
        fy = y0 + t * (fx - x0);
        g = std::fabs(c * (y - t * x - y0 + t * x0));
      }
      if (g == 0) {
        // On the line itself the displacement is undefined: the pixel shows
        // the source at its own position, so the line leaves no seam.
        CopyPixel(src, x, y, out);
        continue;
      }
      const double gp = g + b * Sine(10 * g / a);
      long long vy, vx;
      if (!Truncate(256 * fy + 256 * (y - fy) * gp / g + 0.5, vy) ||
          !Truncate(256 * fx + 256 * (x - fx) * gp / g + 0.5, vx)) {
        continue;
      }
      SampleFixed(src, vx, vy, out);
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

void RenderRotate(const PixelView& src, const PixelView& dst, const RotatePlan& plan) {
  if (plan.quarterTurns >= 0) {
    // Exact quarter turns move whole pixels.
    switch (plan.quarterTurns) {
      case 0:
        for (int y = 0; y < src.height; ++y)
          std::memcpy(dst.Row(y), src.Row(y), static_cast<std::size_t>(src.width) * src.bytesPerPixel);
        break;
      case 1:
        TurnPixels(src, dst, Turn::CounterClockwise);
        break;
      case 2:
        TurnPixels(src, dst, Turn::Half);
        break;
      default:
        TurnPixels(src, dst, Turn::Clockwise);
        break;
    }
    return;
  }
  const double s = std::sin(plan.phi), c = std::cos(plan.phi);
  for (int y = 0; y < dst.height; ++y) {
    std::uint8_t* out = dst.Row(y);
    const double ry = y - plan.rowOffset;
    for (int x = 0; x < dst.width; ++x, out += dst.bytesPerPixel) {
      const double rx = x - plan.columnOffset;
      const double u = c * rx - s * ry;
      const double v = s * rx + c * ry;
      long long ix, iy, u256, v256;
      if (!Truncate(u, ix) || !Truncate(v, iy) || !Truncate(256 * u, u256) || !Truncate(256 * v, v256)) continue;
      if (ix < 0 || iy < 0 || ix >= src.width || iy >= src.height) continue;
      SampleCornerInline(src, static_cast<int>(ix), static_cast<int>(iy), static_cast<int>(u256 - 256 * ix),
                         static_cast<int>(v256 - 256 * iy), out);
    }
  }
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

}  // namespace k3
