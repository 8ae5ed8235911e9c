#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "ReferenceEffects.h"
#include "TestImage.h"
#include "imaging/Effects.h"
#include "imaging/Geometry.h"

namespace k3 {
namespace {

using test::TestImage;

Size Fit(int w, int h, int bw, int bh) {
  Size s{w, h};
  FitInside(s, bw, bh);
  return s;
}

TEST(FitInside, KeepsAspectAndLimits) {
  EXPECT_EQ(Fit(400, 300, 128, 128), (Size{128, 96}));
  EXPECT_EQ(Fit(300, 400, 128, 128), (Size{96, 128}));
  EXPECT_EQ(Fit(1000, 1, 128, 128), (Size{128, 1}));  // at least 1
  EXPECT_EQ(Fit(1, 1000, 128, 128), (Size{1, 128}));
  EXPECT_EQ(Fit(0, 300, 128, 128), (Size{0, 300}));    // untouched
  EXPECT_EQ(Fit(50, 40, 512, 512), (Size{512, 410}));  // enlarged
  EXPECT_EQ(Fit(1600, 1200, 96, 96), (Size{96, 72}));
  EXPECT_EQ(Fit(50, 40, 96, 96), (Size{96, 77}));      // 76.8 rounds up
  EXPECT_EQ(Fit(200, 100, 128, 64), (Size{128, 64}));  // same aspect: exactly the box
  EXPECT_EQ(Fit(1000, 500, 128, 128), (Size{128, 64}));
  // Large photos do not overflow the comparison.
  EXPECT_EQ(Fit(60000, 40000, 512, 512), (Size{512, 341}));
}

class TurnTest : public ::testing::TestWithParam<bool> {};

TEST_P(TurnTest, MovesCornersAsOnScreen) {
  const bool bottomUp = GetParam();
  TestImage src(3, 2, 3, bottomUp);
  src.FillPattern();
  const auto topLeft = src.Pixel(0, 0);
  const auto topRight = src.Pixel(2, 0);

  TestImage cw(2, 3, 3, !bottomUp);
  TurnPixels(src.view, cw.view, Turn::Clockwise);
  EXPECT_EQ(cw.Pixel(1, 0), topLeft);  // old top-left goes to the top-right
  EXPECT_EQ(cw.Pixel(1, 2), topRight);
  EXPECT_EQ(cw.Pixel(0, 0), src.Pixel(0, 1));

  TestImage ccw(2, 3, 3, bottomUp);
  TurnPixels(src.view, ccw.view, Turn::CounterClockwise);
  EXPECT_EQ(ccw.Pixel(0, 2), topLeft);  // to the bottom-left
  EXPECT_EQ(ccw.Pixel(0, 0), topRight);

  TestImage half(3, 2, 3, !bottomUp);
  TurnPixels(src.view, half.view, Turn::Half);
  EXPECT_EQ(half.Pixel(2, 1), topLeft);  // to the bottom-right
  EXPECT_EQ(half.Pixel(0, 0), src.Pixel(2, 1));
  EXPECT_EQ(TurnedSize({3, 2}, Turn::Clockwise), (Size{2, 3}));
  EXPECT_EQ(TurnedSize({3, 2}, Turn::Half), (Size{3, 2}));
}

INSTANTIATE_TEST_SUITE_P(RowOrder, TurnTest, ::testing::Values(false, true));

TEST(OpaqueRuns, KeyIsThreeBytesWhateverTheFourth) {
  TestImage img(6, 3, 4);
  FillKey(img.view);
  std::vector<PixelRun> runs;
  CollectOpaqueRuns(img.view, runs);
  EXPECT_TRUE(runs.empty()) << "an all-key frame has no runs";

  img.view.At(2, 0)[3] = 0xFF;  // still key
  img.Set(0, 1, 1, 2, 3);       // run at the left edge
  img.Set(1, 1, 1, 2, 3);
  img.Set(5, 1, 128, 112, 113);  // one byte off the key: opaque, at the right edge
  img.Set(3, 2, 127, 112, 112);
  CollectOpaqueRuns(img.view, runs);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ((std::vector<int>{runs[0].y, runs[0].x0, runs[0].x1}), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ((std::vector<int>{runs[1].y, runs[1].x0, runs[1].x1}), (std::vector<int>{1, 5, 6}));
  EXPECT_EQ((std::vector<int>{runs[2].y, runs[2].x0, runs[2].x1}), (std::vector<int>{2, 3, 4}));
}

TEST(PaintOutline, EveryPixelButTheKeyTakesTheColour) {
  for (int bytes : {3, 4}) {
    TestImage img(3, 2, bytes);
    img.Set(0, 0, 255, 0, 255);  // the key (blue, green, red)
    img.Set(1, 0, 254, 0, 255);  // one off it
    img.Set(2, 1, 10, 20, 30);
    PaintOutline(img.view, Bgr{255, 0, 255}, Bgr{1, 2, 3});
    EXPECT_EQ(img.Pixel(0, 0), (std::vector<std::uint8_t>{255, 0, 255})) << "the key stays; " << bytes;
    for (auto [x, y] : {std::pair{1, 0}, std::pair{2, 1}, std::pair{0, 1}}) {
      EXPECT_EQ(img.view.At(x, y)[0], 1) << x << y;
      EXPECT_EQ(img.view.At(x, y)[2], 3);
    }
  }
}

TEST(OpaqueRuns, RowsWithTheSameRunsJoinIntoRectanglesOfTheSamePixels) {
  // Hand-made: a 3-row block, a row of two runs, a gap, then the block's
  // run again (not joined across the gap), and a row of the same count but
  // other columns.
  const std::vector<PixelRun> runs{{0, 1, 4}, {1, 1, 4}, {2, 1, 4}, {3, 0, 1}, {3, 2, 5}, {5, 1, 4}, {6, 0, 3}};
  std::vector<RunBlock> blocks{{9, 9, 9, 9}};  // replaced, not appended to
  JoinRunRows(runs, blocks);
  EXPECT_EQ(blocks, (std::vector<RunBlock>{{1, 0, 4, 3}, {0, 3, 1, 4}, {2, 3, 5, 4}, {1, 5, 4, 6}, {0, 6, 3, 7}}));
  JoinRunRows({}, blocks);
  EXPECT_TRUE(blocks.empty());

  // Rows drawn from a few patterns, so that equal neighbours are common:
  // the rectangles cover exactly the pixels of the runs, once each.
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 30);
    TestImage img(w, h, 4);
    FillKey(img.view);
    std::vector<std::vector<bool>> patterns(3, std::vector<bool>(static_cast<std::size_t>(w)));
    for (auto& pattern : patterns)
      for (std::size_t x = 0; x < pattern.size(); ++x) pattern[x] = random() % 3 != 0;
    for (int y = 0; y < h; ++y) {
      const auto choice = random() % 4;  // 3: a row of key colour only
      for (int x = 0; x < w; ++x)
        if (choice < 3 && patterns[choice][static_cast<std::size_t>(x)]) img.Set(x, y, 1, 2, 3);
    }
    std::vector<PixelRun> rowRuns;
    CollectOpaqueRuns(img.view, rowRuns);
    JoinRunRows(rowRuns, blocks);
    std::vector<int> covered(static_cast<std::size_t>(w * h));
    for (const RunBlock& b : blocks) {
      ASSERT_TRUE(b.x0 < b.x1 && b.y0 < b.y1 && b.x0 >= 0 && b.x1 <= w && b.y0 >= 0 && b.y1 <= h) << round;
      for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) ++covered[static_cast<std::size_t>(y * w + x)];
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(covered[static_cast<std::size_t>(y * w + x)], img.IsKey(x, y) ? 0 : 1)
            << round << " " << x << "," << y;
    EXPECT_LE(blocks.size(), rowRuns.size());
    // No rectangle ends where the row below has exactly its row's runs.
    for (const RunBlock& b : blocks) {
      if (b.y1 >= h) continue;
      bool sameBelow = true;
      for (int x = 0; x < w; ++x) sameBelow = sameBelow && img.IsKey(x, b.y1 - 1) == img.IsKey(x, b.y1);
      EXPECT_FALSE(sameBelow) << round << ": row " << b.y1 << " should have joined";
    }
  }
}

// A 2x2 source with one channel value per corner: P 10, Rt 110, Dn 210, DR 60.
class CornerTest : public ::testing::Test {
 protected:
  TestImage src{2, 2};
  void SetUp() override {
    src.Set(0, 0, 10, 10, 10);
    src.Set(1, 0, 110, 110, 110);
    src.Set(0, 1, 210, 210, 210);
    src.Set(1, 1, 60, 60, 60);
  }
  int At(int ix, int iy, int fx, int fy) {
    std::uint8_t out[3] = {};
    SampleCorner(src.view, ix, iy, fx, fy, out);
    EXPECT_EQ(out[0], out[1]);
    return out[0];
  }
};

TEST_F(CornerTest, HandComputedValues) {
  EXPECT_EQ(At(0, 0, 0, 0), 10);
  EXPECT_EQ(At(0, 0, 64, 32), 60);     // 10 + (100*64 + 200*32)/256
  EXPECT_EQ(At(0, 0, 200, 32), 83);    // 110 + (-100*55 - 50*32)/256, truncated toward zero
  EXPECT_EQ(At(0, 0, 64, 200), 130);   // 210 + (-150*64 - 200*55)/256
  EXPECT_EQ(At(0, 0, 200, 200), 102);  // 60 + (150*55 + 50*55)/256
  EXPECT_EQ(At(0, 0, 255, 255), 60);   // the 255 - f weight vanishes at 255
  EXPECT_EQ(At(0, 0, 128, 0), 110 + (-100 * 127) / 256);
}

TEST_F(CornerTest, EdgesUseThePixelItself) {
  // Last column: right and below-right are the pixel itself.
  EXPECT_EQ(At(1, 0, 200, 0), 110);
  EXPECT_EQ(At(1, 0, 0, 100), 110 + (-50 * 100) / 256);
  // Last row: below is the pixel, below-right is the right neighbour.
  EXPECT_EQ(At(0, 1, 0, 200), 210);
  EXPECT_EQ(At(0, 1, 200, 200), 60 + (150 * 55) / 256);
  EXPECT_EQ(At(1, 1, 255, 255), 60);
}

TEST_F(CornerTest, NegativeFractionsExtrapolateWithoutWrapping) {
  EXPECT_EQ(At(0, 0, -128, 0), 0);  // 10 - 50 would wrap; the byte is clamped
  EXPECT_EQ(At(0, 0, -10, 0), 10 + (100 * -10) / 256);
}

TEST(Sphere, CentreCopiedRimSamplesItselfOutsideTransparent) {
  TestImage src(40, 30);
  src.FillPattern();
  TestImage dst(40, 30);
  FillKey(dst.view);
  // Centre column 20, row h - 12 = 18.
  RenderSphere(src.view, dst.view, 20, 12, 5);
  EXPECT_EQ(dst.Pixel(20, 18), src.Pixel(20, 18));
  EXPECT_EQ(dst.Pixel(23, 22), src.Pixel(23, 22));  // distance exactly 5
  EXPECT_EQ(dst.Pixel(20, 13), src.Pixel(20, 13));
  EXPECT_TRUE(dst.IsKey(26, 18));  // outside the lens
  EXPECT_TRUE(dst.IsKey(0, 0));
  EXPECT_FALSE(dst.IsKey(21, 18));
}

TEST(Sphere, ZeroRadiusWritesOnlyTheCentre) {
  TestImage src(10, 10);
  src.FillPattern();
  TestImage dst(10, 10);
  FillKey(dst.view);
  RenderSphere(src.view, dst.view, 4, 3, 0);
  int written = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) written += !dst.IsKey(x, y);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(dst.Pixel(4, 7), src.Pixel(4, 7));
}

TEST(Ripple, ZeroAmplitudeIsIdentityWithinOne) {
  TestImage src(30, 20, 4, true);
  src.FillPattern();
  TestImage dst(30, 20, 4);
  FillKey(dst.view);
  RenderRipple(src.view, dst.view, 12, 9, 7, 0);  // centre (12, 11)
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const auto want = src.Pixel(x, y), got = dst.Pixel(x, y);
      if (x >= 12 && y >= 11) {
        EXPECT_EQ(got, want) << x << "," << y;
      } else {
        for (int c = 0; c < 3; ++c) EXPECT_LE(std::abs(got[c] - want[c]), 1) << x << "," << y;
      }
    }
  }
}

TEST(Ripple, ZeroDivisorLeavesOnlyTheCentre) {
  TestImage src(16, 16);
  src.FillPattern();
  TestImage dst(16, 16);
  FillKey(dst.view);
  RenderRipple(src.view, dst.view, 8, 8, 0, 20);
  int written = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) written += !dst.IsKey(x, y);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(dst.Pixel(8, 8), src.Pixel(8, 8));
}

TEST(Ripple, RingsFrayTheEdgesAndStayInside) {
  // Strong rings near the corners sample up to the last row and column.
  for (bool bottomUp : {false, true}) {
    TestImage src(33, 17, 3, bottomUp);
    src.FillPattern();
    TestImage dst(33, 17);
    for (int b : {3, 40, 300}) {
      FillKey(dst.view);
      RenderRipple(src.view, dst.view, 32, 0, 5, b);
      RenderRipple(src.view, dst.view, 0, 17, 1, b);
    }
  }
}

TEST(Wave, ZeroDivisorKeepsOnlyTheLine) {
  TestImage src(12, 10);
  src.FillPattern();
  TestImage dst(12, 10);
  FillKey(dst.view);
  RenderWave(src.view, dst.view, 5, 90, 0, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 12; ++x) {
      if (x == 5) {
        EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x, y));
      } else {
        EXPECT_TRUE(dst.IsKey(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(Wave, ZeroAmplitudeIsNearIdentityAtAnyAngle) {
  TestImage src(24, 18);
  src.FillPattern();
  TestImage dst(24, 18);
  for (int angle : {0, 30, 90, 135, 270, 450, 1000}) {
    FillKey(dst.view);
    RenderWave(src.view, dst.view, 11, angle, 9, 0);
    int far = 0;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 24; ++x) {
        if (dst.IsKey(x, y)) continue;
        const auto want = src.Pixel(x, y), got = dst.Pixel(x, y);
        for (int c = 0; c < 3; ++c) far += std::abs(got[c] - want[c]) > 16;
      }
    EXPECT_EQ(far, 0) << angle;
  }
}

// The source turned by `hundredths` of a degree into a key-coloured frame of
// the planned size.
TestImage Rotated(const TestImage& src, int hundredths, bool bottomUp = false) {
  const RotatePlan plan = PlanRotate(hundredths, src.view.width, src.view.height);
  TestImage dst(plan.width, plan.height, src.view.bytesPerPixel, bottomUp);
  FillKey(dst.view);
  RenderRotate(src.view, dst.view, plan);
  return dst;
}

TEST(Rotate, FullTurnsAreCopies) {
  TestImage src(7, 5);
  src.FillPattern();
  for (int e : {0, 36000, 72000}) {
    const TestImage dst = Rotated(src, e, true);
    ASSERT_EQ(dst.view.width, 7);
    ASSERT_EQ(dst.view.height, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x, y));
  }
}

TEST(Rotate, QuarterTurnCounterClockwise) {
  TestImage src(7, 5);
  src.FillPattern();
  const TestImage dst = Rotated(src, 9000);
  ASSERT_EQ(dst.view.width, 5);
  ASSERT_EQ(dst.view.height, 7);
  // The left column is the top row read from the bottom up.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(dst.Pixel(0, 6 - i), src.Pixel(i, 0));
  EXPECT_EQ(PlanRotate(27000, 7, 5).quarterTurns, 3);
  EXPECT_EQ(PlanRotate(18000 + 36000, 7, 5).quarterTurns, 2);
}

TEST(Rotate, FortyFiveDegreesBoundingBoxWithTransparentCorners) {
  TestImage src(100, 50);
  src.FillPattern();
  const TestImage dst = Rotated(src, 4500);
  ASSERT_EQ(dst.view.width, 106);
  ASSERT_EQ(dst.view.height, 106);
  EXPECT_TRUE(dst.IsKey(0, 0));
  EXPECT_TRUE(dst.IsKey(105, 0));
  EXPECT_TRUE(dst.IsKey(0, 105));
  EXPECT_TRUE(dst.IsKey(105, 105));
  EXPECT_FALSE(dst.IsKey(53, 53));
}

TEST(Rotate, EveryAngleStaysInsideTheSource) {
  TestImage src(13, 9, 4, true);
  src.FillPattern();
  for (int e = 0; e < 36000; e += 777) {
    const RotatePlan plan = PlanRotate(e, 13, 9);
    ASSERT_GT(plan.width, 0);
    ASSERT_GT(plan.height, 0);
    TestImage dst(plan.width, plan.height, 4);
    FillKey(dst.view);
    RenderRotate(src.view, dst.view, plan);
    std::vector<PixelRun> runs;
    CollectOpaqueRuns(dst.view, runs);
    EXPECT_FALSE(runs.empty()) << e;
  }
}

}  // namespace
}  // namespace k3

namespace k3 {
namespace {

bool SameBytes(const test::TestImage& a, const test::TestImage& b) {
  for (int y = 0; y < a.view.height; ++y)
    if (std::memcmp(a.view.Row(y), b.view.Row(y), static_cast<std::size_t>(a.view.width) * a.view.bytesPerPixel))
      return false;
  return true;
}

// The optimised kernels give exactly the bytes of the plain formulas, for
// centres inside, on the edge of and outside the frame.
TEST(OptimisedKernels, MatchThePlainFormulas) {
  test::TestImage src(61, 47, 3, true);
  src.FillPattern();
  struct Params {
    int px, py, a, b;
  };
  for (const Params& p : {Params{30, 20, 47, 6}, Params{0, 0, 13, 40}, Params{60, 47, 5, 3}, Params{-25, 90, 9, 12},
                          Params{200, -30, 64, 9}, Params{17, 5, 0, 7}, Params{30, 20, 1, 300}}) {
    test::TestImage fast(61, 47), plain(61, 47);
    FillKey(fast.view);
    FillKey(plain.view);
    RenderRipple(src.view, fast.view, p.px, p.py, p.a, p.b);
    reference::Ripple(src.view, plain.view, p.px, p.py, p.a, p.b);
    EXPECT_TRUE(SameBytes(fast, plain)) << "ripple " << p.px << "," << p.py << " a=" << p.a << " b=" << p.b;
    FillKey(fast.view);
    FillKey(plain.view);
    RenderSphere(src.view, fast.view, p.px, p.py, p.a);
    reference::Sphere(src.view, plain.view, p.px, p.py, p.a);
    EXPECT_TRUE(SameBytes(fast, plain)) << "sphere " << p.px << "," << p.py << " R=" << p.a;
    for (int angle : {0, 37, 90, 91, 180, 270, 450, 1234}) {
      FillKey(fast.view);
      FillKey(plain.view);
      RenderWave(src.view, fast.view, p.px, angle, p.a, p.b);
      reference::Wave(src.view, plain.view, p.px, angle, p.a, p.b);
      EXPECT_TRUE(SameBytes(fast, plain)) << "wave " << p.px << " angle " << angle << " a=" << p.a;
    }
  }
}

// One table for a moving centre, a new divisor or amplitude, a centre
// outside the frame and a larger frame: always the bytes of the formulas.
TEST(OptimisedKernels, RippleWithAKeptTableMatchesThePlainFormulas) {
  test::TestImage src(61, 47, 3, true), big(90, 70, 3);
  src.FillPattern();
  big.FillPattern();
  struct Params {
    const test::TestImage* source;
    int px, py, a, b;
  };
  RippleTable table;
  for (const Params& p : {Params{&src, 30, 20, 47, 6}, Params{&src, 31, 20, 47, 6}, Params{&src, 0, 47, 47, 6},
                          Params{&src, 60, 0, 47, 6}, Params{&src, 30, 20, 13, 6}, Params{&src, 30, 20, 13, 40},
                          Params{&src, -25, 90, 13, 40}, Params{&src, 200, -30, 13, 40}, Params{&src, 12, 9, 13, 40},
                          Params{&big, 45, 35, 13, 40}, Params{&src, 17, 5, 0, 7}, Params{&src, 18, 5, 0, 7}}) {
    const PixelView& from = p.source->view;
    test::TestImage kept(from.width, from.height), plain(from.width, from.height);
    FillKey(kept.view);
    FillKey(plain.view);
    RenderRipple(from, kept.view, p.px, p.py, p.a, p.b, &table);
    reference::Ripple(from, plain.view, p.px, p.py, p.a, p.b);
    EXPECT_TRUE(SameBytes(kept, plain)) << p.px << "," << p.py << " a=" << p.a << " b=" << p.b << " " << from.width;
    EXPECT_GE(table.maxX, from.width - 1);
    EXPECT_GE(table.maxY, from.height - 1);
  }
}

// A photo on a larger key-coloured canvas, as the drifting window prepares
// them: with the photo's opaque box the samples from the margin are skipped,
// and the bytes are still those of the formulas.
TEST(OptimisedKernels, SkippingTheKeyMarginMatchesThePlainFormulas) {
  test::TestImage canvas(70, 52, 3, true);
  FillKey(canvas.view);
  for (int y = 9; y < 40; ++y)
    for (int x = 13; x < 58; ++x)
      canvas.Set(x, y, static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 7), 40);
  canvas.Set(14, 9, kKeyBlue, kKeyGreen, kKeyRed);  // key inside the photo changes nothing
  const Rect opaque = OpaqueBounds(canvas.view);
  ASSERT_EQ(opaque, (Rect{13, 9, 58, 40}));
  for (const auto& [px, py, a, b] : {std::array<int, 4>{35, 26, 47, 6},
                                     {0, 0, 13, 40},
                                     {69, 52, 5, 3},
                                     {13, 12, 9, 12},
                                     {-20, 80, 9, 30},
                                     {35, 26, 1, 300}}) {
    test::TestImage kept(70, 52), plain(70, 52);
    FillKey(kept.view);
    FillKey(plain.view);
    RenderRipple(canvas.view, kept.view, px, py, a, b, nullptr, &opaque);
    reference::Ripple(canvas.view, plain.view, px, py, a, b);
    EXPECT_TRUE(SameBytes(kept, plain)) << "ripple " << px << "," << py << " a=" << a << " b=" << b;
    for (int angle : {0, 37, 90, 1234}) {
      FillKey(kept.view);
      FillKey(plain.view);
      RenderWave(canvas.view, kept.view, px, angle, a, b, &opaque);
      reference::Wave(canvas.view, plain.view, px, angle, a, b);
      EXPECT_TRUE(SameBytes(kept, plain)) << "wave " << px << " angle " << angle << " a=" << a;
    }
  }
  // Only key colour: an empty box, and a frame of key colour only.
  test::TestImage blank(9, 7), out(9, 7), plain(9, 7);
  FillKey(blank.view);
  EXPECT_TRUE(OpaqueBounds(blank.view).Empty());
  const Rect none = OpaqueBounds(blank.view);
  FillKey(out.view);
  FillKey(plain.view);
  RenderRipple(blank.view, out.view, 4, 3, 5, 2, nullptr, &none);
  reference::Ripple(blank.view, plain.view, 4, 3, 5, 2);
  EXPECT_TRUE(SameBytes(out, plain));
  // A box reaching the edges.
  test::TestImage full(5, 4);
  full.FillPattern();
  EXPECT_EQ(OpaqueBounds(full.view), (Rect{0, 0, 5, 4}));
}

TEST(OptimisedKernels, RotateMatchesThePlainFormulas) {
  test::TestImage src(37, 23, 3, true);
  src.FillPattern();
  for (int e : {1, 1000, 3000, 4500, 8999, 9001, 13500, 20000, 27001, 33333, 35999}) {
    const RotatePlan plan = PlanRotate(e, 37, 23);
    test::TestImage fast(plan.width, plan.height), plain(plan.width, plan.height);
    FillKey(fast.view);
    FillKey(plain.view);
    RenderRotate(src.view, fast.view, plan);
    reference::Rotate(src.view, plain.view, plan);
    EXPECT_TRUE(SameBytes(fast, plain)) << e;
  }
}

}  // namespace
}  // namespace k3
