#include "imaging/Sine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace k3 {
namespace {

std::int64_t UlpDistance(double a, double b) {
  std::int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  if (ia < 0) ia = std::numeric_limits<std::int64_t>::min() - ia;
  if (ib < 0) ib = std::numeric_limits<std::int64_t>::min() - ib;
  return ia > ib ? ia - ib : ib - ia;
}

// The host's sin is correctly rounded in nearly every case; the kernel must
// stay within one unit of it (it rounds the other way in a few per cent of
// cases, which moves a fixed-point position only when it lies within about
// 1e-13 of a step).
TEST(Sine, AgreesWithTheHostWithinOneUlp) {
  std::mt19937_64 rng(42);
  int differ = 0;
  const int samples = 400000;
  for (int i = 0; i < samples; ++i) {
    // The effects take sines of up to a few ten thousand radians.
    const double scale = i % 4 == 0 ? 1.0 : (i % 4 == 1 ? 20.0 : (i % 4 == 2 ? 2000.0 : 60000.0));
    const double x = std::uniform_real_distribution<double>(-scale, scale)(rng);
    const std::int64_t d = UlpDistance(Sine(x), std::sin(x));
    ASSERT_LE(d, 1) << x;
    differ += d != 0;
  }
  EXPECT_LT(differ, samples / 20);
}

TEST(Sine, SpecialValues) {
  EXPECT_EQ(Sine(0.0), 0.0);
  EXPECT_TRUE(std::signbit(Sine(-0.0)));
  EXPECT_TRUE(std::isnan(Sine(std::numeric_limits<double>::infinity())));
  EXPECT_TRUE(std::isnan(Sine(std::nan(""))));
  EXPECT_EQ(Sine(1e-300), 1e-300);
  EXPECT_LE(UlpDistance(Sine(1e12), std::sin(1e12)), 1);  // beyond the reduction range
  for (double x : {0.5, 1.0, 3.14159265359, 1.5707963267948966, 100.0, -7.25, 12345.678}) {
    EXPECT_LE(UlpDistance(Sine(x), std::sin(x)), 1) << x;
  }
}

}  // namespace
}  // namespace k3
