#include "imaging/Sine.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace k3 {

namespace {

inline std::uint32_t HighWord(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return static_cast<std::uint32_t>(bits >> 32);
}

inline double WithHighWord(std::uint32_t high) {
  const std::uint64_t bits = static_cast<std::uint64_t>(high) << 32;
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// sin(x + y) for |x| <= pi/4, y the tail of x (iy = 0: y is zero).
inline double KernelSin(double x, double y, int iy) {
  constexpr double S1 = -1.66666666666666324348e-01;
  constexpr double S2 = 8.33333333332248946124e-03;
  constexpr double S3 = -1.98412698298579493134e-04;
  constexpr double S4 = 2.75573137070700676789e-06;
  constexpr double S5 = -2.50507602534068634195e-08;
  constexpr double S6 = 1.58969099521155010221e-10;
  if ((HighWord(x) & 0x7fffffff) < 0x3e400000) {  // |x| < 2**-27
    if (static_cast<int>(x) == 0) return x;
  }
  const double z = x * x;
  const double v = z * x;
  const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  if (iy == 0) return x + v * (S1 + z * r);
  return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4.
inline double KernelCos(double x, double y) {
  constexpr double C1 = 4.16666666666666019037e-02;
  constexpr double C2 = -1.38888888888741095749e-03;
  constexpr double C3 = 2.48015872894767294178e-05;
  constexpr double C4 = -2.75573143513906633035e-07;
  constexpr double C5 = 2.08757232129817482790e-09;
  constexpr double C6 = -1.13596475577881948265e-11;
  const std::uint32_t ix = HighWord(x) & 0x7fffffff;
  if (ix < 0x3e400000) {  // |x| < 2**-27
    if (static_cast<int>(x) == 0) return 1.0;
  }
  const double z = x * x;
  const double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
  if (ix < 0x3FD33333) return 1.0 - (0.5 * z - (z * r - x * y));  // |x| < 0.3
  const double qx = ix > 0x3fe90000 ? 0.28125 : WithHighWord(ix - 0x00200000);
  const double hz = 0.5 * z - qx;
  const double a = 1.0 - qx;
  return a - (hz - (z * r - x * y));
}

// x - n * pi/2 as y[0] + y[1], for |x| up to 2**20 * pi/2; returns n.
inline int ReducePiOver2(double x, double y[2]) {
  constexpr double invpio2 = 6.36619772367581382433e-01;
  constexpr double pio2_1 = 1.57079632673412561417e+00;
  constexpr double pio2_1t = 6.07710050650619224932e-11;
  constexpr double pio2_2 = 6.07710050630396597660e-11;
  constexpr double pio2_2t = 2.02226624879595063154e-21;
  constexpr double pio2_3 = 2.02226624871116645580e-21;
  constexpr double pio2_3t = 8.47842766036889956997e-32;
  const std::uint32_t hx = HighWord(x);
  const std::uint32_t ix = hx & 0x7fffffff;
  const double t = std::fabs(x);
  const int n = static_cast<int>(t * invpio2 + 0.5);
  const double fn = n;
  double r = t - fn * pio2_1;
  double w = fn * pio2_1t;  // first round, good to 85 bits
  const int j = static_cast<int>(ix >> 20);
  y[0] = r - w;
  int i = j - static_cast<int>((HighWord(y[0]) >> 20) & 0x7ff);
  if (i > 16) {  // second iteration, good to 118 bits
    double u = r;
    w = fn * pio2_2;
    r = u - w;
    w = fn * pio2_2t - ((u - r) - w);
    y[0] = r - w;
    i = j - static_cast<int>((HighWord(y[0]) >> 20) & 0x7ff);
    if (i > 49) {  // third iteration, 151 bits
      u = r;
      w = fn * pio2_3;
      r = u - w;
      w = fn * pio2_3t - ((u - r) - w);
      y[0] = r - w;
    }
  }
  y[1] = (r - y[0]) - w;
  if (static_cast<std::int32_t>(hx) < 0) {
    y[0] = -y[0];
    y[1] = -y[1];
    return -n;
  }
  return n;
}

}  // namespace

double Sine(double x) {
  const std::uint32_t ix = HighWord(x) & 0x7fffffff;
  if (ix <= 0x3fe921fb) return KernelSin(x, 0.0, 0);  // |x| <= pi/4
  if (ix >= 0x7ff00000) return x - x;                  // NaN or infinity
  if (ix >= 0x413921fb) return std::sin(x);            // |x| >= 2**20 * pi/2: not met by the effects
  double y[2];
  const int n = ReducePiOver2(x, y);
  switch (n & 3) {
    case 0:
      return KernelSin(y[0], y[1], 1);
    case 1:
      return KernelCos(y[0], y[1]);
    case 2:
      return -KernelSin(y[0], y[1], 1);
    default:
      return -KernelCos(y[0], y[1]);
  }
}

}  // namespace k3
