#include "imaging/EffectFrames.h"

#include "imaging/Effects.h"

namespace k3 {

namespace {

// A key-coloured result surface of the given size and the source's depth.
std::unique_ptr<CImg> NewFrame(const CImg& src, int width, int height) {
  if (src.BitsPerPixel() < 24 || !src.IsDIBSection() || width <= 0 || height <= 0) return nullptr;
  auto frame = std::make_unique<CImg>();
  if (!frame->Create(src.BitsPerPixel(), width, height)) return nullptr;
  FillKey(frame->View());
  return frame;
}

}  // namespace

std::unique_ptr<CImg> MakeSphereFrame(const CImg& src, POINT p, int radius) {
  auto frame = NewFrame(src, src.Width(), src.Height());
  if (frame) RenderSphere(src.View(), frame->View(), p.x, p.y, radius);
  return frame;
}

std::unique_ptr<CImg> MakeRippleFrame(const CImg& src, POINT p, int a, int b) {
  auto frame = NewFrame(src, src.Width(), src.Height());
  if (frame) RenderRipple(src.View(), frame->View(), p.x, p.y, a, b);
  return frame;
}

std::unique_ptr<CImg> MakeWaveFrame(const CImg& src, POINT p, int angle, int a, int b) {
  auto frame = NewFrame(src, src.Width(), src.Height());
  if (frame) RenderWave(src.View(), frame->View(), p.y, angle, a, b);
  return frame;
}

std::unique_ptr<CImg> MakeRotateFrame(const CImg& src, int hundredths) {
  const RotatePlan plan = PlanRotate(hundredths, src.Width(), src.Height());
  auto frame = NewFrame(src, plan.width, plan.height);
  if (frame) RenderRotate(src.View(), frame->View(), plan);
  return frame;
}

}  // namespace k3
