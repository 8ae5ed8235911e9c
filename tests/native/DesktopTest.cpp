#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <random>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "desktop/DriftVisibility.h"
#include "desktop/Motion.h"
#include "desktop/Screens.h"
#include "framework/Dpi.h"
#include "files/PackageCodec.h"

namespace k3 {
namespace {

TEST(DisplaySettings, DefaultsAndByteLayout) {
  DisplaySettings s;
  const auto b = SettingsToBytes(s);
  const std::uint8_t head[14] = {2, 0, 50, 0, 2, 0, 2, 0, 0x88, 0x13, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(b.data(), head, 14), 0);
  for (std::size_t i = 14; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;

  // Every byte comes back, reserved ones included.
  std::array<std::uint8_t, kSettingsBytes> any;
  for (std::size_t i = 0; i < any.size(); ++i) any[i] = static_cast<std::uint8_t>(i * 7 + 3);
  EXPECT_EQ(SettingsToBytes(SettingsFromBytes(any.data())), any);
  EXPECT_EQ(SettingsFromBytes(any.data()).switchInterval, any[8] | any[9] << 8);
}

TEST(DisplaySettings, TablesAndTheLongIntervals) {
  EXPECT_EQ(SpeedPeriod(0), 50);
  EXPECT_EQ(SpeedPeriod(1), 25);
  EXPECT_EQ(SpeedPeriod(2), 0);
  EXPECT_EQ(SpeedPeriod(7), 0);
  EXPECT_EQ(IntervalValue(0), 1000);
  EXPECT_EQ(IntervalValue(4), 60000);
  EXPECT_EQ(IntervalValue(5), 37856);
  EXPECT_EQ(IntervalValue(6), 10176);
  EXPECT_EQ(IntervalValue(7), 30528);
  EXPECT_EQ(IntervalValue(8), 61056);
  EXPECT_EQ(IntervalValue(99), 61056);
  // The stored low 16 bits of the long choices stand for their durations.
  EXPECT_EQ(SwitchTimerPeriod(37856), 300000u);
  EXPECT_EQ(SwitchTimerPeriod(10176), 600000u);
  EXPECT_EQ(SwitchTimerPeriod(30528), 1800000u);
  EXPECT_EQ(SwitchTimerPeriod(61056), 3600000u);
  EXPECT_EQ(SwitchTimerPeriod(5000), 5000u);
  EXPECT_EQ(SwitchTimerPeriod(60000), 60000u);
  EXPECT_EQ(BoxSide(0), 32);
  EXPECT_EQ(BoxSide(4), 512);
  EXPECT_EQ(BoxSide(9), 512);
}

TEST(DisplaySettings, OneOwnerCarriesAPackagesRecordWholeAndNamesThePanelsChoices) {
  // A package's record comes in and goes out byte for byte, reserved bytes
  // included; the setters change only their fields and say when they did.
  std::array<std::uint8_t, kSettingsBytes> stored{};
  for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint8_t>(i * 7 + 3);
  ShowSettings show;
  show.Load(stored.data());
  EXPECT_EQ(show.Bytes(), stored);
  EXPECT_FALSE(show.SetWaveCount(show.Record().waveCount));
  EXPECT_TRUE(show.SetSwitchInterval(5));
  EXPECT_FALSE(show.SetSwitchInterval(5));
  EXPECT_TRUE(show.SetSpeed(1));
  std::array<std::uint8_t, kSettingsBytes> expected = stored;
  expected[8] = 37856 & 0xFF, expected[9] = 37856 >> 8, expected[2] = 25, expected[3] = 0;
  EXPECT_EQ(show.Bytes(), expected);

  SettingChoices fresh = ChoicesOf(DisplaySettings{});
  EXPECT_EQ(std::vector<int>({fresh.type, fresh.speed, fresh.size, fresh.zOrder, fresh.interval}),
            std::vector<int>({2, 0, 2, 2, 1}));
  DisplaySettings odd;
  odd.displayType = 9;         // drawn as Photo
  odd.frameInterval = 33;      // no speed
  odd.photoSize = 7;           // 512
  odd.zOrder = 5;              // stacking as created
  odd.switchInterval = 10176;  // 10 minutes
  const SettingChoices c = ChoicesOf(odd);
  EXPECT_EQ(std::vector<int>({c.type, c.speed, c.size, c.zOrder, c.interval}), std::vector<int>({0, -1, 4, -1, 6}));
}

TEST(DisplaySettings, ClampedGetters) {
  DisplaySettings s;
  s.displayType = kSphere;
  EXPECT_EQ(GetEffectStrength(s), 90);
  EXPECT_EQ(s.effectStrength, 90) << "the default is stored";
  s.effectStrength = 60;
  s.displayType = kRipple;
  EXPECT_EQ(GetEffectStrength(s), 60);
  s.effectStrength = 20;
  EXPECT_EQ(GetEffectStrength(s), 50);
  s.effectStrength = 500;
  EXPECT_EQ(GetEffectStrength(s), 300);
  s.displayType = kSphere;
  EXPECT_EQ(GetEffectStrength(s), 90);
  s.displayType = kPhoto;
  EXPECT_EQ(GetEffectStrength(s), 500);

  DisplaySettings w;
  w.displayType = kPhoto;
  EXPECT_EQ(GetWaveCount(w), 0);
  w.displayType = kRipple;
  EXPECT_EQ(GetWaveCount(w), 10);
  EXPECT_EQ(w.waveCount, 10);
  w.waveCount = 1;
  EXPECT_EQ(GetWaveCount(w), 1);
  w.waveCount = 25;
  EXPECT_EQ(GetWaveCount(w), 20);
}

// A fixed random sequence; 16383 gives no turn.
struct Sequence {
  std::deque<int> values;
  RandomSource Source() {
    return [this] {
      if (values.empty()) return 16383;
      const int v = values.front();
      values.pop_front();
      return v;
    };
  }
};

const Rect kDesktop{0, 0, 1000, 800};
const Rect kBox{0, 0, 100, 60};

TEST(Motion, FirstStepCentresWithoutTurning) {
  Sequence r;
  MotionState m{1.0, -1, -1};
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
  EXPECT_EQ(m.centreX, 500);
  EXPECT_EQ(m.centreY, 400);
  EXPECT_EQ(m.direction, 1.0);
}

TEST(Motion, StepsOnePixelAndCurves) {
  Sequence r;
  MotionState m{0.0, 500, 400};
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
  EXPECT_DOUBLE_EQ(m.centreX, 501);
  EXPECT_DOUBLE_EQ(m.centreY, 400);
  EXPECT_DOUBLE_EQ(m.direction, 0.001);
  m.direction = kPi / 2;  // up
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
  EXPECT_NEAR(m.centreY, 399, 1e-9);
  // A logical pixel at 192 DPI is two; over several screens as well.
  EXPECT_DOUBLE_EQ(StepLength(192), 2.0);
  EXPECT_DOUBLE_EQ(StepLength(96), 1.0);
  m = MotionState{0.0, 500, 400};
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source(), StepLength(192));
  EXPECT_DOUBLE_EQ(m.centreX, 502);
  m = MotionState{0.0, 500, 400};
  StepMotionOver(m, {Rect{0, 0, 1000, 800}, Rect{1000, 0, 2000, 800}}, 100, 60, kBox, r.Source(), 2.0);
  EXPECT_DOUBLE_EQ(m.centreX, 502);
}

// Two monitors of different sizes, the smaller left of the primary at a
// negative origin, their tops aligned: a gap below the smaller one.
const std::vector<Rect> kTwoScreens{Rect{0, 0, 1920, 1080}, Rect{-1280, 0, 0, 1024}};

// A full-screen program's monitor is left out of the roaming; the work
// areas of the other monitors stay, in their order.
TEST(Screens, TheMonitorOfAFullScreenProgramIsLeftOut) {
  EXPECT_EQ(FreeAreas(kTwoScreens, Rect{}), kTwoScreens);
  EXPECT_EQ(FreeAreas(kTwoScreens, Rect{-1280, 0, 0, 1024}), (std::vector<Rect>{kTwoScreens[0]}));
  EXPECT_EQ(FreeAreas(kTwoScreens, Rect{0, 0, 1920, 1080}), (std::vector<Rect>{kTwoScreens[1]}));
  // A work area is inside its monitor: the taskbar's strip is the monitor's too.
  EXPECT_TRUE(FreeAreas({Rect{0, 0, 1920, 1040}}, Rect{0, 0, 1920, 1080}).empty());
}

TEST(Screens, ABoxIsOnScreenOnlyWhereAMonitorIsUnderEveryPixel) {
  EXPECT_TRUE(CoveredByAreas(Rect{-50, 100, 50, 200}, kTwoScreens)) << "across the two";
  EXPECT_FALSE(CoveredByAreas(Rect{-50, 1000, 50, 1060}, kTwoScreens)) << "partly over the gap";
  EXPECT_FALSE(CoveredByAreas(Rect{-100, 1030, -50, 1060}, kTwoScreens)) << "in the gap";
  EXPECT_TRUE(CoveredByAreas(Rect{10, 1000, 60, 1080}, kTwoScreens));
  EXPECT_FALSE(CoveredByAreas(Rect{1900, 10, 1921, 20}, kTwoScreens)) << "beyond the right edge";
  EXPECT_FALSE(CoveredByAreas(Rect{0, 0, 10, 10}, {})) << "no screen at all";
  EXPECT_EQ(NearestArea(Rect{-100, 1030, -50, 1060}, kTwoScreens), &kTwoScreens[1]);
  EXPECT_EQ(NearestArea(Rect{2000, 500, 2100, 600}, kTwoScreens), &kTwoScreens[0]);
  EXPECT_EQ(NearestArea(Rect{-20, 10, 100, 50}, kTwoScreens), &kTwoScreens[0]) << "the one it overlaps most";
}

TEST(Screens, OneScreenMovesAsTheDesktopAlways) {
  std::mt19937 numbers(7);
  RandomSource random = [&] { return static_cast<int>(numbers() % 32768); };
  std::mt19937 same(7);
  RandomSource again = [&] { return static_cast<int>(same() % 32768); };
  MotionState a{0.3, -1, -1}, b = a;
  for (int i = 0; i < 20000; ++i) {
    StepMotion(a, kDesktop, 100, 60, kBox, random);
    StepMotionOver(b, {kDesktop}, 100, 60, kBox, again);
    ASSERT_EQ(a.centreX, b.centreX) << i;
    ASSERT_EQ(a.centreY, b.centreY) << i;
    ASSERT_EQ(a.direction, b.direction) << i;
  }
}

TEST(Screens, ThePhotoRoamsBothMonitorsAndNeverShowsOverTheGap) {
  std::mt19937 numbers(20261209);
  RandomSource random = [&] { return static_cast<int>(numbers() % 32768); };
  const Rect box{10, 10, 110, 70};    // the visible part of a 120 x 80 picture
  MotionState m{kPi * 0.97, -1, -1};  // leftwards, a little down
  StepMotionOver(m, kTwoScreens, 120, 80, box, random);
  EXPECT_EQ(m.centreX, 960) << "it starts in the middle of the primary";
  bool reachedSecondary = false;
  int bounces = 0;
  for (int i = 0; i < 40000; ++i) {
    const double before = m.direction;
    StepMotionOver(m, kTwoScreens, 120, 80, box, random);
    bounces += std::abs(m.direction - before - 0.001) > 1e-9;
    const int left = RoundToInt(m.centreX - 60), top = RoundToInt(m.centreY - 40);
    const Rect shown{left + box.left, top + box.top, left + box.right, top + box.bottom};
    ASSERT_TRUE(CoveredByAreas(shown, kTwoScreens)) << "step " << i << " at " << shown.left << "," << shown.top;
    reachedSecondary = reachedSecondary || shown.right <= 0;
  }
  EXPECT_TRUE(reachedSecondary);
  EXPECT_GT(bounces, 10);

  // Over the gap (a monitor went, a throw ended there): onto the nearest.
  MotionState lost{0.0, -200, 1100};
  StepMotionOver(lost, kTwoScreens, 120, 80, box, random);
  const int left = RoundToInt(lost.centreX - 60), top = RoundToInt(lost.centreY - 40);
  EXPECT_TRUE(CoveredByAreas(Rect{left + box.left, top + box.top, left + box.right, top + box.bottom}, kTwoScreens));
  EXPECT_LT(lost.centreX, 0) << "on the secondary, the nearer";
}

struct BounceCase {
  const char* name;
  double x, y, direction;
  double wantX, wantY, wantDirection;
};

TEST(Motion, BouncesOneCaseAtATime) {
  const double pi = kPi;
  // Half box 50 x 30; a step of about one pixel in the direction given.
  const BounceCase cases[] = {
      {"left and top", 50.2, 30.2, 3 * pi / 4, 50, 30, 3 * pi / 4 + pi},
      {"left", 50.2, 400, pi, 50, 400, pi - pi},
      {"top", 500, 30.2, pi / 2, 500, 30, 2 * pi - pi / 2},
      {"right and bottom", 949.8, 769.8, -pi / 4, 950, 770, -pi / 4 + pi},
      {"right", 949.8, 400, 0, 950, 400, pi - 0},
      {"bottom", 500, 769.8, -pi / 2, 500, 770, 2 * pi + pi / 2},
  };
  for (const BounceCase& c : cases) {
    Sequence r;  // no random turn
    MotionState m{c.direction, c.x, c.y};
    StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
    EXPECT_NEAR(m.centreX, c.wantX, 1e-9) << c.name;
    EXPECT_NEAR(m.centreY, c.wantY, 1e-9) << c.name;
    EXPECT_NEAR(m.direction, c.wantDirection + 0.001, 1e-9) << c.name;
  }
}

TEST(Motion, LeftWhileBelowTheBottomIsCorrectedAtTheLeftFirst) {
  Sequence r;
  MotionState m{kPi, 50.2, 790};  // out at the left and below the bottom
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
  EXPECT_NEAR(m.centreX, 50, 1e-9);
  EXPECT_NEAR(m.centreY, 790, 1e-6) << "the bottom waits for a later step";
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
  EXPECT_NEAR(m.centreY, 770, 1e-9);
}

TEST(Motion, RandomTurnAndVisibleBoxOfAFrame) {
  Sequence r{{32766}};  // the largest turn: +10 degrees
  MotionState m{0, 949.8, 400};
  StepMotion(m, kDesktop, 100, 60, kBox, r.Source());
  EXPECT_NEAR(m.direction, 16383.0 / 32767 * 20 * kPi / 180 + kPi + 0.001, 1e-12);
  // A 200 x 200 frame whose visible box is (50, 70)-(150, 130): the box, not
  // the frame, meets the edge.
  Sequence s;
  MotionState f{kPi, 50.2 + 0, 400};
  const Rect box{50, 70, 150, 130};
  StepMotion(f, kDesktop, 200, 200, box, s.Source());
  // A = cx - 100 + 50 + 50 = cx; left out when A - 50 < 0.
  EXPECT_NEAR(f.centreX, 50, 1e-9);
}

TEST(Motion, ThrowDirections) {
  EXPECT_DOUBLE_EQ(ThrowDirection(100, 100, 180, 100, 2.0), 0.0);
  EXPECT_NEAR(ThrowDirection(100, 100, 100, 20, 2.0), kPi / 2, 1e-9);
  EXPECT_NEAR(ThrowDirection(100, 100, 20, 100, 2.0), kPi, 1e-12);
  EXPECT_DOUBLE_EQ(ThrowDirection(100, 100, 100, 100, 2.0), 2.0) << "no movement keeps the direction";
  EXPECT_NEAR(ThrowDirection(0, 0, 10, 10, 0), -kPi / 4, 1e-12);
}

TEST(Composition, CanvasLayouts) {
  DisplaySettings s;  // Ripple, size 2
  ItemLayout l = LayoutItem(1000, 500, s);
  EXPECT_EQ(l.photoWidth, 128);
  EXPECT_EQ(l.photoHeight, 64);
  ASSERT_TRUE(l.canvas);
  EXPECT_EQ(l.canvasWidth, 179);
  EXPECT_EQ(l.canvasHeight, 89);
  EXPECT_EQ(l.photoRect, (Rect{25, 12, 153, 76}));
  s.photoSize = 0;
  s.displayType = kPhoto;
  l = LayoutItem(500, 1000, s);
  EXPECT_EQ(l.photoWidth, 16);
  EXPECT_EQ(l.photoHeight, 32);
  EXPECT_FALSE(l.canvas);
  l = LayoutItem(1, 1000, s);
  EXPECT_EQ(l.photoWidth, 1);
  s.displayType = kRotate;
  s.photoSize = 4;
  l = LayoutItem(100, 100, s);
  EXPECT_EQ(l.canvasWidth, 563);
  EXPECT_EQ(l.photoRect, (Rect{25, 25, 537, 537}));
}

TEST(Composition, ThePhotoSizesAreLogicalAndPreparedAtTheScreensPixels) {
  EXPECT_EQ(ScaleForDpi(128, 96), 128);
  EXPECT_EQ(ScaleForDpi(128, 144), 192) << "150 %";
  EXPECT_EQ(ScaleForDpi(128, 192), 256) << "200 %";
  EXPECT_EQ(ScaleForDpi(101, 120), 126) << "126.25 at 125 %";
  EXPECT_EQ(ScaleForDpi(3, 144), 5) << "4.5 rounds away from zero";
  EXPECT_EQ(ScaleForDpi(-3, 144), -5);
  EXPECT_EQ(ScaleForDpi(128, 0), 128) << "no DPI known";
  // A window laid out so that it fits its work area: 800 x 600 at 200 % on
  // 1280 x 1024 (1600 x 1200 does not fit) at 153 DPI, 1275 x 956; at 175 %
  // on a 1920 x 1080 laptop less its task bar at 166 DPI; what fits stays.
  EXPECT_EQ(FittingDpi(192, 800, 600, 1280, 1024), 153);
  EXPECT_EQ(ScaleForDpi(800, 153), 1275);
  EXPECT_EQ(FittingDpi(168, 800, 600, 1920, 1040), 166);
  EXPECT_LE(ScaleForDpi(600, 166), 1040);
  EXPECT_EQ(FittingDpi(144, 800, 600, 1280, 1024), 144);
  EXPECT_EQ(FittingDpi(96, 800, 600, 200, 100), 48) << "never below 48";
  EXPECT_EQ(FittingDpi(120, 800, 600, 0, 0), 120) << "no work area known";
  DisplaySettings s;  // Ripple, size 2 (128)
  ItemLayout l = LayoutItem(1000, 500, s, 144);
  EXPECT_EQ(l.photoWidth, 192);
  EXPECT_EQ(l.photoHeight, 96);
  EXPECT_EQ(l.canvasWidth, 192 * 7 / 5);
  EXPECT_EQ(LayoutItem(1000, 500, s, 96).photoWidth, 128);
}

TEST(Composition, AmplitudeAndWavelength) {
  EXPECT_EQ(WaveAmplitude(89, 0), 3);
  EXPECT_EQ(WaveLength(89, 0), 89);
  EXPECT_EQ(WaveAmplitude(716, 0), 30);
  EXPECT_EQ(WaveLength(716, 20), 1432);
  EXPECT_EQ(WaveLength(0, 10), 0) << "a zero divisor reaches the generators, which cope";
}

TEST(Composition, EffectsAdvance) {
  Sequence r{{0}};
  EffectState e;
  DisplaySettings s;
  s.displayType = kRotate;
  EffectFrame f = AdvanceEffect(e, s, 100, 100, r.Source());
  EXPECT_TRUE(e.angleSet);
  EXPECT_NEAR(e.effectAngle, 0.03, 1e-12);
  EXPECT_EQ(f.angle, static_cast<int>(0.03 / kPi * 180 * 100 + 0.5));
  EXPECT_NEAR(e.wavePhase, 0.037, 1e-12);
  // A grown angle still becomes a valid angle.
  e.effectAngle = 1e9;
  f = AdvanceEffect(e, s, 100, 100, r.Source());
  EXPECT_GE(f.angle, 0);
  EXPECT_LT(f.angle, 36000);

  // Sphere: the lens stays at least R inside the image.
  EffectState lens;
  DisplaySettings sphere;
  sphere.displayType = kSphere;
  for (int i = 0; i < 2000; ++i) {
    f = AdvanceEffect(lens, sphere, 120, 80, r.Source());
    const int radius = (80 * 9 / 10) / 2;
    EXPECT_GE(lens.lensX, radius - 1e-9);
    EXPECT_LE(lens.lensY, 80 - radius + 1e-9);
  }
  EXPECT_EQ(f.radius, (90 * 72 / 2) / 100);

  // Ripple: the centre stays inside the image; the wave angle follows the
  // phase.
  EffectState ripple;
  DisplaySettings wave;
  wave.displayType = kWave;
  for (int i = 0; i < 3000; ++i) f = AdvanceEffect(ripple, wave, 179, 89, r.Source());
  EXPECT_GE(f.pointX, 0);
  EXPECT_LE(f.pointX, 179);
  EXPECT_EQ(f.amplitude, 3);
  EXPECT_EQ(f.divisor, 89);
  EXPECT_EQ(f.angle, static_cast<int>(ripple.wavePhase * 10 + 0.5));
}

TEST(Composition, FramesOfTheSamePictureAreKnownByTheirTypesParameters) {
  EffectFrame a;
  a.pointX = 10;
  a.pointY = 20;
  a.radius = 30;
  a.divisor = 89;
  a.amplitude = 3;
  a.angle = 500;
  a.shiftX = 0.5;
  for (int type : {kSphere, kRipple, kWave, kRotate}) EXPECT_TRUE(SameEffectPicture(type, a, a)) << type;
  EXPECT_FALSE(SameEffectPicture(kPhoto, a, a)) << "the plain photo is no effect frame";
  auto with = [&](auto change) {
    EffectFrame b = a;
    change(b);
    return b;
  };
  const EffectFrame moved = with([](EffectFrame& b) { b.pointX = 11; });
  const EffectFrame turned = with([](EffectFrame& b) { b.angle = 501; });
  const EffectFrame wider = with([](EffectFrame& b) { b.radius = 31; });
  const EffectFrame stronger = with([](EffectFrame& b) { b.amplitude = 4; });
  const EffectFrame shifted = with([](EffectFrame& b) { b.shiftX = -0.5; });
  // Each type's generator takes its own parameters; the rest do not matter
  // (the shift places the window, it does not change the picture).
  EXPECT_FALSE(SameEffectPicture(kSphere, a, moved));
  EXPECT_FALSE(SameEffectPicture(kSphere, a, wider));
  EXPECT_TRUE(SameEffectPicture(kSphere, a, turned));
  EXPECT_TRUE(SameEffectPicture(kSphere, a, stronger));
  EXPECT_FALSE(SameEffectPicture(kRipple, a, moved));
  EXPECT_FALSE(SameEffectPicture(kRipple, a, stronger));
  EXPECT_TRUE(SameEffectPicture(kRipple, a, turned)) << "the ripple has no angle";
  EXPECT_FALSE(SameEffectPicture(kWave, a, turned));
  EXPECT_FALSE(SameEffectPicture(kWave, a, stronger));
  EXPECT_TRUE(SameEffectPicture(kWave, a, wider));
  EXPECT_FALSE(SameEffectPicture(kRotate, a, turned));
  EXPECT_TRUE(SameEffectPicture(kRotate, a, moved)) << "the rotation has no centre";
  for (int type : {kSphere, kRipple, kWave, kRotate}) EXPECT_TRUE(SameEffectPicture(type, a, shifted)) << type;

  // Ripple's centre moves half a pixel a frame: about every other frame
  // repeats the one before.
  EffectState e;
  DisplaySettings s;
  Sequence r{{5000, 16000, 16383, 16384}};
  EffectFrame last = AdvanceEffect(e, s, 179, 134, r.Source());
  int repeats = 0;
  for (int i = 0; i < 200; ++i) {
    const EffectFrame f = AdvanceEffect(e, s, 179, 134, r.Source());
    repeats += SameEffectPicture(kRipple, f, last);
    last = f;
  }
  EXPECT_GT(repeats, 50);
  EXPECT_LT(repeats, 150);
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t fill) { return std::vector<std::uint8_t>(n, fill); }

TEST(Package, RoundTripKeepsEverySettingsByte) {
  std::array<std::uint8_t, kSettingsBytes> settings;
  for (std::size_t i = 0; i < settings.size(); ++i) settings[i] = static_cast<std::uint8_t>(255 - i % 251);
  PackageWriter w(settings);
  const auto ten = Bytes(10, 0xAA), twenty = Bytes(20, 0xBB);
  ASSERT_TRUE(w.AddPhoto(ten));
  ASSERT_TRUE(w.AddPhoto(twenty));
  const auto& b = w.Bytes();
  ASSERT_EQ(b.size(), 1092u);
  EXPECT_EQ(std::memcmp(b.data(), "Kelvarstone Driftlet File V1.0", 30), 0);
  EXPECT_EQ(b[1054], 0x0A);
  EXPECT_EQ(b[1055], 0);
  EXPECT_EQ(b[1056], 0);
  EXPECT_EQ(b[1057], 0);
  const ParsedPackage p = ParsePackage(b.data(), b.size());
  ASSERT_EQ(p.status, PackageStatus::Ok);
  EXPECT_EQ(std::memcmp(p.settings, settings.data(), kSettingsBytes), 0);
  ASSERT_EQ(p.records.size(), 2u);
  EXPECT_EQ(p.records[0].offset, 1058u);
  EXPECT_EQ(p.records[0].size, 10u);
  EXPECT_EQ(p.records[1].offset, 1072u);
  EXPECT_EQ(p.records[1].size, 20u);
}

TEST(Package, RefusesWhatIsNotWhole) {
  DisplaySettings s;
  const auto settings = SettingsToBytes(s);
  PackageWriter w(settings);
  std::vector<std::uint8_t> header = w.Bytes();
  EXPECT_EQ(ParsePackage(header.data(), header.size()).status, PackageStatus::Truncated) << "1054 bytes";
  std::vector<std::uint8_t> short1053(header.begin(), header.end() - 1);
  EXPECT_EQ(ParsePackage(short1053.data(), short1053.size()).status, PackageStatus::NotPackage);
  for (std::size_t at : {std::size_t{0}, std::size_t{12}, std::size_t{29}}) {
    auto bad = header;
    bad[at] ^= 0x20;  // one byte off (a letter changes case)
    bad.insert(bad.end(), {0, 0, 0, 0});
    EXPECT_EQ(ParsePackage(bad.data(), bad.size()).status, PackageStatus::NotPackage) << at;
  }
  // The last count claims more than remains.
  PackageWriter over(settings);
  over.AddPhoto(Bytes(8, 1));
  auto claim = over.Bytes();
  claim.insert(claim.end(), {0x10, 0, 0, 0, 1, 2, 3});
  EXPECT_EQ(ParsePackage(claim.data(), claim.size()).status, PackageStatus::Truncated);
  // A count cut short.
  auto cut = over.Bytes();
  cut.insert(cut.end(), {0x01, 0});
  EXPECT_EQ(ParsePackage(cut.data(), cut.size()).status, PackageStatus::Truncated);
  // A huge count does not wrap around.
  auto huge = over.Bytes();
  huge.insert(huge.end(), {0xFF, 0xFF, 0xFF, 0xFF, 9});
  EXPECT_EQ(ParsePackage(huge.data(), huge.size()).status, PackageStatus::Truncated);
}

TEST(Package, EmptyRecordsAreAllowedAndPassedOver) {
  DisplaySettings s;
  PackageWriter w(SettingsToBytes(s));
  w.AddPhoto({});
  w.AddPhoto(Bytes(3, 7));
  w.AddPhoto({});
  const ParsedPackage p = ParsePackage(w.Bytes().data(), w.Bytes().size());
  ASSERT_EQ(p.status, PackageStatus::Ok);
  ASSERT_EQ(p.records.size(), 1u) << "only the record with bytes";
  EXPECT_EQ(p.records[0].offset, 1054u + 4 + 4);
  EXPECT_EQ(p.records[0].size, 3u);
}

TEST(Package, AHostileFileOfMillionsOfEmptyRecordsMakesNoRecords) {
  // 40 MB of empty records (ten million counts of zero).
  DisplaySettings s;
  PackageWriter w(SettingsToBytes(s));
  std::vector<std::uint8_t> bytes = w.Bytes();
  bytes.resize(bytes.size() + 40u * 1000 * 1000, 0);
  const ParsedPackage p = ParsePackage(bytes.data(), bytes.size());
  EXPECT_EQ(p.status, PackageStatus::Ok);
  EXPECT_TRUE(p.records.empty());
  EXPECT_EQ(p.records.capacity(), 0u) << "nothing allocated for them";
  // One photo at the very end is still found.
  const std::size_t end = bytes.size();
  bytes.insert(bytes.end(), {2, 0, 0, 0, 9, 9});
  const ParsedPackage last = ParsePackage(bytes.data(), bytes.size());
  ASSERT_EQ(last.records.size(), 1u);
  EXPECT_EQ(last.records[0].offset, end + 4);
}

TEST(DriftVisibility, TheSystemsOverlaysAreNoProgramsAndAFullScreenProgramHidesTheDriftOnlyOnceItStays) {
  for (const wchar_t* overlay : {L"explorer.exe", L"EXPLORER.EXE", L"TextInputHost.exe", L"StartMenuExperienceHost.exe",
                                 L"SearchHost.exe", L"ShellExperienceHost.exe", L"GameBar.exe", L"gamebarftserver.exe",
                                 L"ScreenClippingHost.exe", L"ScreenSketch.exe"}) {
    EXPECT_TRUE(IsSystemOverlayProgram(overlay)) << overlay;
  }
  for (const wchar_t* program : {L"game.exe", L"explorer.exe.exe", L"", L"iexplorer.exe"}) {
    EXPECT_FALSE(IsSystemOverlayProgram(program)) << program;
  }

  FullScreenSettle settle;
  EXPECT_FALSE(settle.Seen(true, 10000)) << "a moment of full screen";
  EXPECT_EQ(settle.Remaining(10000), 500u);
  EXPECT_FALSE(settle.Seen(true, 10499));
  EXPECT_EQ(settle.Remaining(10499), 1u);
  EXPECT_TRUE(settle.Seen(true, 10500)) << "half a second of it";
  EXPECT_FALSE(settle.Seen(false, 10600)) << "its end shows the drift at once";
  EXPECT_FALSE(settle.Seen(true, 10700)) << "a new full screen waits again";
  EXPECT_EQ(settle.Remaining(10700), 500u);
  settle.Seen(false, 10800);
  EXPECT_EQ(settle.Remaining(10800), 0u);
  settle.Settled(20000);
  EXPECT_TRUE(settle.Seen(true, 20000)) << "a full screen found at the first look counts at once";
}

TEST(DriftVisibility, AFullScreenProgramIsAForeignVisibleWindowWhoseClientAreaCoversTheDriftsScreen) {
  const Rect screen{0, 0, 1280, 1024};
  ForegroundFacts game;
  game.present = game.visible = game.onDriftScreen = true;
  game.client = screen;
  EXPECT_TRUE(FullScreenForeground(game, screen, ShellState::Unknown));
  EXPECT_TRUE(FullScreenForeground(game, screen, ShellState::Other));
  // Larger than the screen (a window whose borders lie beyond it) counts.
  game.client = Rect{-8, -8, 1288, 1032};
  EXPECT_TRUE(FullScreenForeground(game, screen, ShellState::Unknown));

  // A maximized window with its caption leaves a strip of the screen free;
  // so does any window one pixel short of an edge.
  for (const Rect& partial :
       {Rect{0, 23, 1280, 1024}, Rect{1, 0, 1280, 1024}, Rect{0, 0, 1279, 1024}, Rect{0, 0, 1280, 1023}}) {
    game.client = partial;
    EXPECT_FALSE(FullScreenForeground(game, screen, ShellState::Unknown));
  }
  game.client = screen;
  const auto without = [&](bool ForegroundFacts::*field, bool value) {
    ForegroundFacts f = game;
    f.*field = value;
    return FullScreenForeground(f, screen, ShellState::Unknown);
  };
  EXPECT_FALSE(without(&ForegroundFacts::present, false));
  EXPECT_FALSE(without(&ForegroundFacts::ownProcess, true)) << "the program's own windows never hide it";
  EXPECT_FALSE(without(&ForegroundFacts::desktopOrShell, true)) << "the desktop covers the screen too";
  EXPECT_FALSE(without(&ForegroundFacts::visible, false));
  EXPECT_FALSE(without(&ForegroundFacts::minimized, true));
  EXPECT_FALSE(without(&ForegroundFacts::onDriftScreen, false)) << "full screen on another screen";
  EXPECT_FALSE(without(&ForegroundFacts::systemOverlay, true)) << "task switching, snap layouts, the emoji panel";
  EXPECT_FALSE(FullScreenForeground(game, Rect{}, ShellState::Unknown)) << "no screen known";

  // The shell's word: a presentation hides it everywhere; a Direct3D
  // full-screen program when its window is in front on the drift's screen.
  ForegroundFacts small = game;
  small.client = Rect{100, 100, 500, 400};
  EXPECT_FALSE(FullScreenForeground(small, screen, ShellState::Unknown));
  EXPECT_TRUE(FullScreenForeground(small, screen, ShellState::Direct3DFullScreen));
  EXPECT_TRUE(FullScreenForeground(ForegroundFacts{}, screen, ShellState::Presentation));
  small.onDriftScreen = false;
  EXPECT_FALSE(FullScreenForeground(small, screen, ShellState::Direct3DFullScreen));
  small.onDriftScreen = true;
  small.ownProcess = true;
  EXPECT_FALSE(FullScreenForeground(small, screen, ShellState::Direct3DFullScreen));
}

TEST(DriftVisibility, HiddenForAnyReasonAndTheDisplayStates) {
  EXPECT_FALSE(DriftVisibility{}.Hidden());
  EXPECT_TRUE((DriftVisibility{true, false, false}.Hidden()));
  EXPECT_TRUE((DriftVisibility{false, true, false}.Hidden()));
  EXPECT_TRUE((DriftVisibility{false, false, true}.Hidden()));
  EXPECT_TRUE(DisplayIsOff(0));
  EXPECT_FALSE(DisplayIsOff(1));
  EXPECT_FALSE(DisplayIsOff(2)) << "dimmed still shows";
}

// Paused: shown, nothing runs; the system's animations off: photos switch,
// nothing moves; hidden by the user or the system: nothing at all.
TEST(DriftVisibility, WhatRunsUnderTheUsersAndTheSystemsHold) {
  using A = DriftActivity;
  EXPECT_EQ(ActivityOf({}, {}), (A{true, true, true}));
  EXPECT_EQ(ActivityOf({}, {.paused = true}), (A{true, false, false}));
  EXPECT_EQ(ActivityOf({}, {.animationsOff = true}), (A{true, true, false}));
  EXPECT_EQ(ActivityOf({}, {.paused = true, .animationsOff = true}), (A{true, false, false}));
  EXPECT_EQ(ActivityOf({}, {.hidden = true}), (A{false, false, false}));
  EXPECT_EQ(ActivityOf({.locked = true}, {}), (A{false, false, false}));
}

TEST(DriftVisibility, KeepInsideMovesAnOutsidePictureTheLeastWayIn) {
  const Rect desk{0, 0, 1024, 768};
  double x = 1500, y = -300;
  KeepInside(x, y, 200, 100, desk);
  EXPECT_EQ(x, 924);
  EXPECT_EQ(y, 50);
  x = 500, y = 400;
  KeepInside(x, y, 200, 100, desk);
  EXPECT_EQ(x, 500) << "inside stays";
  EXPECT_EQ(y, 400);
  x = -50, y = 900;
  KeepInside(x, y, 200, 100, desk);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 718);
  // Larger than the screen: centred.
  x = 3000, y = 3000;
  KeepInside(x, y, 2000, 100, Rect{100, 0, 1124, 768});
  EXPECT_EQ(x, 612);
  // Not placed yet, or no screen: unchanged.
  x = -1, y = -1;
  KeepInside(x, y, 200, 100, desk);
  EXPECT_EQ(x, -1);
  x = 5000;
  y = 7;
  KeepInside(x, y, 200, 100, Rect{});
  EXPECT_EQ(x, 5000);
}

}  // namespace
}  // namespace k3
