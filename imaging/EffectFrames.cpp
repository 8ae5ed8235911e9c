#include "imaging/EffectFrames.h"

#include "imaging/Effects.h"

namespace k3 {

namespace {

bool CanFrame(const CImg& src, int width, int height) {
  return src.BitsPerPixel() >= 24 && src.IsDIBSection() && width > 0 && height > 0;
}

FramePtr NewFrame(const CImg& src, int width, int height, FramePool* pool) {
  if (pool) return pool->Take(src, width, height);
  if (!CanFrame(src, width, height)) return nullptr;
  FramePtr frame(new CImg(), FrameRecycler{nullptr});
  if (!frame->Create(src.BitsPerPixel(), width, height)) return nullptr;
  FillKey(frame->View());
  return frame;
}

}  // namespace

FramePtr FramePool::Take(const CImg& src, int width, int height) {
  if (!CanFrame(src, width, height)) return nullptr;
  std::unique_ptr<CImg> frame;
  if (kept_ && kept_->Width() == width && kept_->Height() == height && kept_->BitsPerPixel() == src.BitsPerPixel()) {
    frame = std::move(kept_);
  } else {
    frame = std::make_unique<CImg>();
    if (!frame->Create(src.BitsPerPixel(), width, height)) return nullptr;
  }
  FillKey(frame->View());
  return FramePtr(frame.release(), FrameRecycler{this});
}

void FrameRecycler::operator()(CImg* frame) const {
  std::unique_ptr<CImg> owned(frame);
  if (pool && owned && owned->IsDIBSection() && owned->DcRefCount() == 0) pool->kept_ = std::move(owned);
}

FramePtr MakeSphereFrame(const CImg& src, POINT p, int radius, FramePool* pool) {
  auto frame = NewFrame(src, src.Width(), src.Height(), pool);
  if (frame) RenderSphere(src.View(), frame->View(), p.x, p.y, radius);
  return frame;
}

FramePtr MakeRippleFrame(const CImg& src, POINT p, int a, int b, FramePool* pool, const Rect* opaque) {
  auto frame = NewFrame(src, src.Width(), src.Height(), pool);
  if (frame) RenderRipple(src.View(), frame->View(), p.x, p.y, a, b, pool ? pool->Ripple() : nullptr, opaque);
  return frame;
}

FramePtr MakeWaveFrame(const CImg& src, POINT p, int angle, int a, int b, FramePool* pool, const Rect* opaque) {
  auto frame = NewFrame(src, src.Width(), src.Height(), pool);
  if (frame) RenderWave(src.View(), frame->View(), p.y, angle, a, b, opaque);
  return frame;
}

FramePtr MakeRotateFrame(const CImg& src, int hundredths, FramePool* pool) {
  const RotatePlan plan = PlanRotate(hundredths, src.Width(), src.Height());
  auto frame = NewFrame(src, plan.width, plan.height, pool);
  if (frame) RenderRotate(src.View(), frame->View(), plan);
  return frame;
}

}  // namespace k3
