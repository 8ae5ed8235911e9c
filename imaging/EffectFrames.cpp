#include "imaging/EffectFrames.h"

#include "imaging/Effects.h"

namespace k3 {

namespace {

// The one kept frame. Frames are made and let go on the user-interface
// thread only.
std::unique_ptr<CImg> g_kept;

// A key-coloured frame of the given size and the source's depth.
FramePtr NewFrame(const CImg& src, int width, int height) {
  if (src.BitsPerPixel() < 24 || !src.IsDIBSection() || width <= 0 || height <= 0) return nullptr;
  std::unique_ptr<CImg> frame;
  if (g_kept && g_kept->Width() == width && g_kept->Height() == height &&
      g_kept->BitsPerPixel() == src.BitsPerPixel()) {
    frame = std::move(g_kept);
  } else {
    frame = std::make_unique<CImg>();
    if (!frame->Create(src.BitsPerPixel(), width, height)) return nullptr;
  }
  FillKey(frame->View());
  return FramePtr(frame.release());
}

}  // namespace

void FrameRecycler::operator()(CImg* frame) const {
  std::unique_ptr<CImg> owned(frame);
  if (owned && owned->IsDIBSection() && owned->DcRefCount() == 0) g_kept = std::move(owned);
}

void ReleaseRecycledFrames() { g_kept.reset(); }

FramePtr MakeSphereFrame(const CImg& src, POINT p, int radius) {
  auto frame = NewFrame(src, src.Width(), src.Height());
  if (frame) RenderSphere(src.View(), frame->View(), p.x, p.y, radius);
  return frame;
}

FramePtr MakeRippleFrame(const CImg& src, POINT p, int a, int b) {
  auto frame = NewFrame(src, src.Width(), src.Height());
  if (frame) RenderRipple(src.View(), frame->View(), p.x, p.y, a, b);
  return frame;
}

FramePtr MakeWaveFrame(const CImg& src, POINT p, int angle, int a, int b) {
  auto frame = NewFrame(src, src.Width(), src.Height());
  if (frame) RenderWave(src.View(), frame->View(), p.y, angle, a, b);
  return frame;
}

FramePtr MakeRotateFrame(const CImg& src, int hundredths) {
  const RotatePlan plan = PlanRotate(hundredths, src.Width(), src.Height());
  auto frame = NewFrame(src, plan.width, plan.height);
  if (frame) RenderRotate(src.View(), frame->View(), plan);
  return frame;
}

}  // namespace k3
