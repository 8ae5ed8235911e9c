// Windows benchmark of the per-frame image work, run under Wine: each
// generator on the largest frames, and the window region built in one call
// and by one union per run. Prints the median and best of many runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "WinTiming.h"

#include "BenchFrames.h"
#include "imaging/EffectFrames.h"
#include "imaging/ImageOps.h"

namespace {

using namespace k3;
using namespace k3::bench;

void Measure(const char* name, int runs, const std::function<void()>& work) {
  work();  // warm up
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = NowMs();
    work();
    times.push_back(NowMs() - start);
  }
  std::sort(times.begin(), times.end());
  std::printf("%-44s median %7.2f ms   best %7.2f ms   (%d runs)\n", name, times[times.size() / 2], times.front(),
              runs);
}

std::unique_ptr<CImg> Canvas(int side, int photo) {
  auto img = std::make_unique<CImg>();
  img->Create(24, side, side);
  if (photo == side) {
    PaintPhoto(img->View());
  } else {
    PaintCanvas(img->View(), photo);
  }
  return img;
}

}  // namespace

int main() {
  const auto ripple = Canvas(kCanvas, kPhoto);
  const auto rotate = Canvas(kRotateCanvas, kPhoto);
  const auto sphere = Canvas(kPhoto, kPhoto);
  const POINT centre{300, 420};
  const int runs = 40;

  {
    CImg out;
    out.Create(24, kCanvas, kCanvas);
    Measure("Ripple 716x716 (kernel only, same bitmap)", runs, [&] {
      FillKey(out.View());
      RenderRipple(ripple->View(), out.View(), centre.x, centre.y, kRippleA, kRippleB);
    });
  }
  // Frames recycled as the drifting window recycles them.
  FramePool pool;
  Measure("Ripple 716x716 (generator)", runs, [&] { MakeRippleFrame(*ripple, centre, kRippleA, kRippleB, &pool); });
  Measure("Wave 716x716 (generator)", runs, [&] { MakeWaveFrame(*ripple, centre, 37, kRippleA, kRippleB, &pool); });
  Measure("Sphere 512x512 (generator)", runs, [&] { MakeSphereFrame(*sphere, POINT{256, 256}, 230, &pool); });
  Measure("Rotate 563x563 at 30 degrees (generator)", runs, [&] { MakeRotateFrame(*rotate, 3000, &pool); });
  // In the running program the angle grows by 0.03 radians a frame, so the
  // frame size changes and a new bitmap is made nearly every frame.
  int angle = 3000;
  Measure("Rotate 563x563 from 30 degrees, turning", runs, [&] { MakeRotateFrame(*rotate, angle += 172, &pool); });

  const auto frame = MakeRippleFrame(*ripple, centre, kRippleA, kRippleB, &pool);
  Measure("MakeKeyRegion, Ripple frame (one call)", runs, [&] { MakeKeyRegion(*frame); });
  Measure("MakeKeyRegion, Ripple frame (union per run)", runs / 4, [&] { MakeKeyRegionByUnion(*frame); });
  const auto turned = MakeRotateFrame(*rotate, 3000, &pool);
  Measure("MakeKeyRegion, Rotate frame (one call)", runs, [&] { MakeKeyRegion(*turned); });
  Measure("MakeKeyRegion, Rotate frame (union per run)", runs / 4, [&] { MakeKeyRegionByUnion(*turned); });

  Measure("Ripple frame + region (whole frame work)", runs, [&] {
    auto f = MakeRippleFrame(*ripple, centre, kRippleA, kRippleB, &pool);
    MakeKeyRegion(*f);
  });
  Measure("Wave frame + region (whole frame work)", runs, [&] {
    auto f = MakeWaveFrame(*ripple, centre, 37, kRippleA, kRippleB, &pool);
    MakeKeyRegion(*f);
  });
  Measure("Rotate frame + region, turning (whole frame work)", runs, [&] {
    auto f = MakeRotateFrame(*rotate, angle += 172, &pool);
    MakeKeyRegion(*f);
  });
  Measure("Sphere frame + region (whole frame work)", runs, [&] {
    auto f = MakeSphereFrame(*sphere, POINT{256, 256}, 230, &pool);
    MakeKeyRegion(*f);
  });
  return 0;
}
