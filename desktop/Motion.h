// The motion of the drifting photo and the animation of its effects: pure
// arithmetic, with the random numbers handed in (the C library's generator
// in the program, a fixed sequence in tests).
#pragma once

#include <cstdint>
#include <functional>

#include "desktop/DisplaySettings.h"
#include "framework/Angles.h"
#include "framework/Rect.h"

namespace k3 {

// A source of random numbers 0..32767.
using RandomSource = std::function<int()>;

// Where the photo is and where it goes. The centre is that of the window's
// picture on the screen; (-1, -1) means not placed yet. Direction 0 is to the
// right, pi/2 up.
struct MotionState {
  double direction = 0;
  double centreX = -1;
  double centreY = -1;
};

// A turn of up to +-degrees/2 (in radians) from one random number.
double RandomTurn(const RandomSource& random, double degrees);

// The direction a new drifting window starts with.
double InitialDirection(const RandomSource& random);

// One motion step: the centre moves `length` pixels (one logical pixel: 1
// at 96 DPI, 2 at 192); the visible box (`box` inside a picture of `width`
// x `height`) bounces off the desktop's edges with a small random turn, one
// edge case per step. The first step with photos places the centre in the
// middle of the desktop instead.
void StepMotion(MotionState& m, const Rect& desktop, int width, int height, const Rect& box, const RandomSource& random,
                double length = 1);

// The length of a step of one logical pixel at `dpi`.
constexpr double StepLength(int dpi) { return dpi > 0 ? dpi / 96.0 : 1.0; }

// The direction after a throw from `start` to `end`; unchanged when the
// mouse came back where it started.
double ThrowDirection(int startX, int startY, int endX, int endY, double direction);

// The animation of the effects, one state for the whole process.
struct EffectState {
  bool angleSet = false;
  double effectAngle = 0;
  double lensX = 0;
  double lensY = 0;
  double wavePhase = 0;
};

// The effect frame to make and where its window goes, for one composition.
struct EffectFrame {
  int pointX = 0, pointY = 0;      // lens or pattern centre (pixels of the item image)
  int radius = 0;                  // Sphere
  int divisor = 0, amplitude = 0;  // Ripple and Wave
  int angle = 0;                   // Wave: degrees; Rotate: hundredths of a degree
  // The window's top-left corner is centre - (frame size / 2) - shift.
  double shiftX = 0, shiftY = 0;
};

// Advances the effect state by one composition of an item image of
// width x height and gives the parameters of its frame. `random` is drawn
// from as the composition does (once to set the angle at the first call,
// then twice per Sphere, Ripple or Wave frame).
EffectFrame AdvanceEffect(EffectState& e, const DisplaySettings& s, int width, int height, const RandomSource& random);

// Whether two frames of the display type, made from the same item image,
// are the same picture: only the parameters the type's generator takes are
// compared (Ripple ignores the angle, Rotate the centre, ...).
bool SameEffectPicture(int displayType, const EffectFrame& a, const EffectFrame& b);

// trunc(v + 0.5) for a screen coordinate or similar, safe for any double.
int RoundToInt(double v);

// Ripple and Wave strength for an item image height: amplitude
// ((H * v * 6) / 128) / 100 and wavelength (H * n) / 10, with v and n the
// stored slider values (0 counting as 90 and 10).
int WaveAmplitude(int height, int strength);
int WaveLength(int height, int count);

// The prepared photo: the decoded size fitted into the box of the size
// index (a logical size: its physical pixels at `dpi`), and for Ripple and
// Wave (7/5) or Rotate (22/20) the canvas around it and the rectangle the
// photo is drawn into.
struct ItemLayout {
  int photoWidth = 0, photoHeight = 0;
  bool canvas = false;
  int canvasWidth = 0, canvasHeight = 0;
  Rect photoRect;
};
ItemLayout LayoutItem(int decodedWidth, int decodedHeight, const DisplaySettings& s, int dpi = 96);

}  // namespace k3
