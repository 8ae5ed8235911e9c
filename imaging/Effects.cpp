#include "imaging/Effects.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "framework/Angles.h"
#include "imaging/Geometry.h"
#include "imaging/Sine.h"

namespace k3 {

namespace {

// Fixed-point positions of one row of the result, in 1/256 pixel, with two
// marks: no sample (the pixel keeps the key colour) and a copy of the source
// pixel at the same place.
constexpr int kNoSample = INT_MIN;
constexpr int kCopySample = INT_MIN + 1;

// Positions further out than this lie far outside any frame.
constexpr double kPositionLimit = 1073741824.0;  // 2**30

// trunc(v) + base as a position, when v is a finite value near the frame;
// otherwise (a divisor of 0 gives infinities and NaNs) no sample. |base| is
// below 2**30, so the sum fits.
inline int Position(double v, int base) {
  if (!(v > -kPositionLimit && v < kPositionLimit)) return kNoSample;
  return static_cast<int>(v) + base;
}

// 256 * c as a position base, when it is one.
inline bool PositionBase(long long c, int& base) {
  if (c <= -(1LL << 22) || c >= (1LL << 22)) return false;
  base = static_cast<int>(256 * c);
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

// base + ((across - base) * wx + (along - base) * wy) / 256 for the three
// colour bytes, the division truncating toward zero, for weights of at most
// 127 each: the result is a convex mix and needs no clamping.
inline void BlendConvex(const std::uint8_t* base, const std::uint8_t* across, const std::uint8_t* along, int wx, int wy,
                        std::uint8_t* out) {
#if defined(__SSE2__)
  // The three channels side by side in 16-bit lanes; one multiply-add gives
  // (across - base) * wx + (along - base) * wy per channel in 32 bits.
  const __m128i zero = _mm_setzero_si128();
  auto load = [&](const std::uint8_t* p) {
    const int v = p[0] | p[1] << 8 | p[2] << 16;
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), zero);
  };
  const __m128i b = load(base);
  const __m128i da = _mm_sub_epi16(load(across), b);
  const __m128i dl = _mm_sub_epi16(load(along), b);
  const __m128i weights = _mm_set1_epi32((wy << 16) | wx);
  __m128i n = _mm_madd_epi16(_mm_unpacklo_epi16(da, dl), weights);
  n = _mm_add_epi32(n, _mm_and_si128(_mm_srai_epi32(n, 31), _mm_set1_epi32(255)));  // toward zero
  n = _mm_add_epi32(_mm_srai_epi32(n, 8), _mm_unpacklo_epi16(b, zero));
  const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(n, zero), zero));
  out[0] = static_cast<std::uint8_t>(packed);
  out[1] = static_cast<std::uint8_t>(packed >> 8);
  out[2] = static_cast<std::uint8_t>(packed >> 16);
#else
  for (int c = 0; c < 3; ++c) {
    out[c] = static_cast<std::uint8_t>(base[c] + ((across[c] - base[c]) * wx + (along[c] - base[c]) * wy) / 256);
  }
#endif
}

// Samples the source at fixed-point (vx, vy) into out when the position lies
// inside the source. Positions with non-negative coordinates and fractions
// take the fast way: the base corner's neighbours then weigh at most 127
// each, so the result needs no clamping.
inline void SampleFixed(const PixelView& src, const Rect& opaque, int vx, int vy, std::uint8_t* out) {
  if (vx >= 0 && vy >= 0) {
    const int ix = vx >> 8, iy = vy >> 8;
    if (ix >= src.width || iy >= src.height) return;
    // A cell whose corners all lie outside the source's opaque box has only
    // key-coloured corners: the result pixel keeps the key colour.
    if (ix + 1 < opaque.left || ix >= opaque.right || iy + 1 < opaque.top || iy >= opaque.bottom) return;
    const int fx = vx & 255, fy = vy & 255;
    const std::uint8_t* p = src.At(ix, iy);
    const std::ptrdiff_t right = ix < src.width - 1 ? src.bytesPerPixel : 0;
    const std::ptrdiff_t down = iy < src.height - 1 ? src.pitch : 0;
    const std::ptrdiff_t diagonal = right ? right + down : 0;
    const std::ptrdiff_t offsets[2][2] = {{0, right}, {down, diagonal}};
    const int bx = fx >> 7, by = fy >> 7;
    const int wx = bx ? 255 - fx : fx;
    const int wy = by ? 255 - fy : fy;
    BlendConvex(p + offsets[by][bx], p + offsets[by][bx ^ 1], p + offsets[by ^ 1][bx], wx, wy, out);
    return;
  }
  // Just before the first row or column: whole pixel 0 and a negative
  // fraction, which extrapolates.
  const int ix = vx / 256, iy = vy / 256;
  if (ix < 0 || iy < 0 || ix >= src.width || iy >= src.height) return;
  SampleCornerInline(src, ix, iy, vx - 256 * ix, vy - 256 * iy, out);
}

inline void CopyPixel(const PixelView& src, int x, int y, std::uint8_t* out) {
  if (x < 0 || y < 0 || x >= src.width || y >= src.height) return;
  std::memcpy(out, src.At(x, y), 3);
}

inline Rect WholeView(const PixelView& v) { return Rect{0, 0, v.width, v.height}; }

// Samples one result row from its positions; `opaque` holds every pixel of
// the source that is not key-coloured.
inline void SampleRow(const PixelView& src, const Rect& opaque, const PixelView& dst, int y, const int* vx,
                      const int* vy) {
  std::uint8_t* out = dst.Row(y);
  for (int x = 0; x < dst.width; ++x, out += dst.bytesPerPixel) {
    if (vx[x] == kCopySample) {
      CopyPixel(src, x, y, out);
    } else if (vx[x] != kNoSample && vy[x] != kNoSample) {
      SampleFixed(src, opaque, vx[x], vy[x], out);
    }
  }
}

// trunc(v) when v is a finite value near the frame, else no sample: added
// to a base it gives Position(v, base).
inline int Offset(double v) { return v > -kPositionLimit && v < kPositionLimit ? static_cast<int>(v) : kNoSample; }
inline int WithBase(int offset, int base) { return offset == kNoSample ? kNoSample : offset + base; }

// The offsets of distances (lowX + k, d), k < span: the square root, the
// factor and the divisions in passes the compiler can put in vector
// registers.
template <typename Scale>
void RadialOffsets(long long lowX, long long d, std::size_t span, Scale& scale, double* radius, double* factor,
                   int* xPos, int* xNeg, int* yPos, int* yNeg) {
  const double dy = static_cast<double>(d);
  for (std::size_t k = 0; k < span; ++k) {
    const double i = static_cast<double>(lowX + static_cast<long long>(k));
    radius[k] = std::sqrt(i * i + dy * dy);
  }
  scale(lowX, d, radius, factor, span);
  for (std::size_t k = 0; k < span; ++k) {
    const double i = static_cast<double>(lowX + static_cast<long long>(k));
    const double magX = 256 * factor[k] * i / radius[k];
    const double magY = dy * factor[k] * 256 / radius[k];
    xPos[k] = Offset(magX + 0.5);
    xNeg[k] = Offset(-magX + 0.5);
    yPos[k] = Offset(magY + 0.5);
    yNeg[k] = Offset(-magY + 0.5);
  }
}

// A table of more entries than this (16 MiB) is not kept: such frames are
// made from their formulas each time.
constexpr long long kMaxTableEntries = 1LL << 20;

// Sphere and Ripple move each pixel along the line from the centre
// (column px, row cy): the source offset is the pixel's offset scaled by a
// factor that depends on the distance only. `scale(i, d, r)` gives that
// factor for the offset (i, d) >= 0 at distance r > 0, or NaN for no sample.
//
// The offsets (dx, dy), (-dx, dy), (dx, -dy) and (-dx, -dy) share one
// evaluation exactly: negation is exact in floating point, and the source
// offsets are computed as 256 * s * dx / r and dy * s * 256 / r, whose
// magnitudes do not depend on the signs. So they are computed once per
// (|dx|, |dy|), and rows cy - d and cy + d are filled together. With a
// table they are computed once for all centres.
template <typename Scale>
void RenderRadial(const PixelView& src, const Rect& opaque, const PixelView& dst, int px, long long cy, Scale scale,
                  RippleTable* table) {
  int baseX, baseY;
  if (dst.width <= 0 || dst.height <= 0 || !PositionBase(px, baseX) || !PositionBase(cy, baseY)) return;
  long long lowX, highX, lowY, highY;
  DistanceRange(px, dst.width, lowX, highX);
  DistanceRange(cy, dst.height, lowY, highY);
  const std::size_t span = static_cast<std::size_t>(highX - lowX) + 1;
  if (table && (highX > table->maxX || highY > table->maxY)) {
    // Every centre inside the frame needs distances up to the frame's size.
    const long long maxX = std::max<long long>(highX, dst.width - 1);
    const long long maxY = std::max<long long>(highY, dst.height - 1);
    if ((maxX + 1) * (maxY + 1) > kMaxTableEntries) {
      table = nullptr;
    } else {
      const std::size_t stride = static_cast<std::size_t>(maxX) + 1;
      const std::size_t entries = stride * (static_cast<std::size_t>(maxY) + 1);
      table->maxX = maxX;
      table->maxY = maxY;
      for (std::vector<int>* v : {&table->xPos, &table->xNeg, &table->yPos, &table->yNeg}) v->resize(entries);
      std::vector<double> radius(stride), factor(stride);
      for (long long d = 0; d <= maxY; ++d) {
        const std::size_t row = static_cast<std::size_t>(d) * stride;
        RadialOffsets(0, d, stride, scale, radius.data(), factor.data(), &table->xPos[row], &table->xNeg[row],
                      &table->yPos[row], &table->yNeg[row]);
      }
    }
  }
  std::vector<double> radius, factor;
  std::vector<int> xPosRow, xNegRow, yPosRow, yNegRow;
  if (!table) {
    radius.resize(span);
    factor.resize(span);
    for (std::vector<int>* v : {&xPosRow, &xNegRow, &yPosRow, &yNegRow}) v->resize(span);
  }
  std::vector<int> vx(static_cast<std::size_t>(dst.width)), vy(vx.size());
  for (long long d = lowY; d <= highY; ++d) {
    // The offsets of distances lowX.. across at distance d down.
    const int *xPos, *xNeg, *yPos, *yNeg;
    if (table) {
      const std::size_t at = static_cast<std::size_t>(d) * (static_cast<std::size_t>(table->maxX) + 1) +
                             static_cast<std::size_t>(lowX);
      xPos = &table->xPos[at];
      xNeg = &table->xNeg[at];
      yPos = &table->yPos[at];
      yNeg = &table->yNeg[at];
    } else {
      RadialOffsets(lowX, d, span, scale, radius.data(), factor.data(), xPosRow.data(), xNegRow.data(),
                    yPosRow.data(), yNegRow.data());
      xPos = xPosRow.data();
      xNeg = xNegRow.data();
      yPos = yPosRow.data();
      yNeg = yNegRow.data();
    }
    // Columns left of the centre have dx < 0.
    for (int x = 0; x < dst.width; ++x) {
      const long long dx = static_cast<long long>(x) - px;
      const std::size_t k = static_cast<std::size_t>((dx < 0 ? -dx : dx) - lowX);
      vx[static_cast<std::size_t>(x)] = WithBase(dx < 0 ? xNeg[k] : xPos[k], baseX);
    }
    for (int side = 0; side < 2; ++side) {
      if (side == 1 && d == 0) break;
      const long long row = side == 0 ? cy - d : cy + d;
      if (row < 0 || row >= dst.height) continue;
      const int* fromY = side == 0 ? yNeg : yPos;
      for (int x = 0; x < dst.width; ++x) {
        const long long dx = static_cast<long long>(x) - px;
        vy[static_cast<std::size_t>(x)] = WithBase(fromY[static_cast<std::size_t>((dx < 0 ? -dx : dx) - lowX)], baseY);
      }
      // The centre itself is undisplaced: an exact copy.
      if (d == 0 && px >= 0 && px < dst.width) vx[static_cast<std::size_t>(px)] = kCopySample;
      SampleRow(src, opaque, dst, static_cast<int>(row), vx.data(), vy.data());
    }
  }
}

}  // namespace

void SampleCorner(const PixelView& src, int ix, int iy, int fx, int fy, std::uint8_t* out) {
  SampleCornerInline(src, ix, iy, fx, fy, out);
}

void RenderSphere(const PixelView& src, const PixelView& dst, int px, int py, int radius) {
  // The offset shrinks by (R - G) / r with G = sqrt(R^2 - r^2): the rim
  // shows the source unchanged, the middle is magnified; outside the lens
  // nothing is written.
  const double limit = static_cast<double>(radius) * radius;
  const double big = radius;
  RenderRadial(src, WholeView(src), dst, px, static_cast<long long>(src.height) - py,
               [&](long long lowX, long long d, const double* r, double* factor, std::size_t n) {
                 const double dd = static_cast<double>(d) * d;
                 for (std::size_t k = 0; k < n; ++k) {
                   const double i = static_cast<double>(lowX + static_cast<long long>(k));
                   factor[k] = r[k] > big ? std::nan("") : big - std::sqrt(limit - (i * i + dd));
                 }
               },
               nullptr);
}

void RenderRipple(const PixelView& src, const PixelView& dst, int px, int py, int a, int b, RippleTable* table,
                  const Rect* opaque) {
  if (table && (table->a != a || table->b != b)) {
    table->a = a;
    table->b = b;
    table->maxX = table->maxY = -1;
  }
  // r' = r + b sin(10 r / a): rings spreading from the centre.
  RenderRadial(
      src, opaque ? *opaque : WholeView(src), dst, px, static_cast<long long>(src.height) - py,
      [&](long long, long long, const double* r, double* factor, std::size_t n) {
        for (std::size_t k = 0; k < n; ++k) factor[k] = 10.0 * r[k] / a;
        for (std::size_t k = 0; k < n; ++k) factor[k] = Sine(factor[k]);
        for (std::size_t k = 0; k < n; ++k) factor[k] = r[k] + b * factor[k];
      },
      table);
}

void RenderWave(const PixelView& src, const PixelView& dst, int lineX, int angleDegrees, int a, int b,
                const Rect* opaque) {
  const Rect box = opaque ? *opaque : WholeView(src);
  const double x0 = lineX, y0 = a;
  const double theta = angleDegrees / 180.0 * kPi;
  const double t = std::tan(theta), c = std::cos(theta);
  // Only the literal angles take the vertical branch; the caller's angle
  // keeps growing and larger equivalents go through the general formula.
  const bool vertical = angleDegrees == 90 || angleDegrees == 270;
  const std::size_t w = static_cast<std::size_t>(std::max(dst.width, 0));
  std::vector<double> footX(w), footY(w), dist(w), wave(w);
  std::vector<int> vx(w), vy(w);
  for (int y = 0; y < dst.height; ++y) {
    // The foot of the perpendicular on the line and the distance to it.
    for (std::size_t k = 0; k < w; ++k) {
      const double x = static_cast<double>(k);
      if (vertical) {
        footX[k] = x0;
        footY[k] = y;
        dist[k] = std::abs(lineX - static_cast<int>(k));
      } else {
        footX[k] = (t * y + x - t * y0 + t * t * x0) / (t * t + 1);
        footY[k] = y0 + t * (footX[k] - x0);
        dist[k] = std::fabs(c * (y - t * x - y0 + t * x0));
      }
      wave[k] = 10 * dist[k] / a;
    }
    for (std::size_t k = 0; k < w; ++k) wave[k] = Sine(wave[k]);
    for (std::size_t k = 0; k < w; ++k) {
      const double x = static_cast<double>(k), g = dist[k];
      const double gp = g + b * wave[k];
      vy[k] = Position(256 * footY[k] + 256 * (y - footY[k]) * gp / g + 0.5, 0);
      vx[k] = Position(256 * footX[k] + 256 * (x - footX[k]) * gp / g + 0.5, 0);
      // On the line itself the displacement is undefined: the pixel shows
      // the source at its own position, so the line leaves no seam.
      if (g == 0) vx[k] = kCopySample;
    }
    SampleRow(src, box, dst, y, vx.data(), vy.data());
  }
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
  // The source column u and row v of each result pixel. Scaling by 256 is
  // exact, so trunc(256 u) carries both trunc(u) and the fraction
  // trunc(256 u) - 256 trunc(u).
  const double s = std::sin(plan.phi), c = std::cos(plan.phi);
  const std::size_t w = static_cast<std::size_t>(std::max(dst.width, 0));
  std::vector<int> vx(w), vy(w);
  for (int y = 0; y < dst.height; ++y) {
    const double ry = y - plan.rowOffset;
    for (std::size_t k = 0; k < w; ++k) {
      const double rx = static_cast<double>(k) - plan.columnOffset;
      vx[k] = Position(256 * (c * rx - s * ry), 0);
      vy[k] = Position(256 * (s * rx + c * ry), 0);
    }
    SampleRow(src, WholeView(src), dst, y, vx.data(), vy.data());
  }
}

}  // namespace k3
