#include "desktop/FrameComposer.h"

#include <utility>

namespace k3 {

ComposedFrame FrameComposer::Compose(const CDriftletImg& item, const DisplaySettings& settings,
                                     const MotionState& motion, const RandomSource& random, bool onlyChanges) {
  const int w = item.width, h = item.height;
  const EffectFrame f = AdvanceEffect(effect_, settings, w, h, random);
  ComposedFrame out;
  // Where a frame of `width` x `height` goes: centred on the motion's
  // centre, less the effect's shift.
  auto placed = [&](int width, int height, double shiftX, double shiftY) {
    const int left = RoundToInt(motion.centreX - width / 2 - shiftX);
    const int top = RoundToInt(motion.centreY - height / 2 - shiftY);
    return Rect{left, top, left + width, top + height};
  };
  // The effects move their centre by half a pixel a frame: every other
  // frame is the picture of the one before, which the window shows already
  // with its region; it only moves.
  const bool same = onlyChanges && frame_ && source_ == item.image.get() && type_ == settings.displayType &&
                    SameEffectPicture(settings.displayType, f, effectFrame_);
  if (same) {
    out.kind = ComposedFrame::Kind::kMoved;
    out.place = placed(frame_->Width(), frame_->Height(), f.shiftX, f.shiftY);
    return out;
  }
  Drop();
  const POINT p{f.pointX, f.pointY};
  switch (settings.displayType) {
    case kSphere:
      frame_ = MakeSphereFrame(*item.image, p, f.radius, &pool_);
      break;
    case kRipple:
      frame_ = MakeRippleFrame(*item.image, p, f.divisor, f.amplitude, &pool_, &item.opaque);
      break;
    case kWave:
      frame_ = MakeWaveFrame(*item.image, p, f.angle, f.divisor, f.amplitude, &pool_, &item.opaque);
      break;
    case kRotate:
      frame_ = MakeRotateFrame(*item.image, f.angle, &pool_);
      break;
    default:
      // The plain photo: a rectangular window of the photo's size.
      out.kind = ComposedFrame::Kind::kPlain;
      out.unshape = !onlyChanges || shape_.Shaped();
      shape_.Clear();
      out.place = placed(w, h, 0, 0);
      break;
  }
  source_ = item.image.get();
  type_ = settings.displayType;
  effectFrame_ = f;
  fresh_ = frame_ != nullptr;
  // An effect that gives no frame skips it: the window keeps its shape and
  // place until the next one.
  if (!frame_) return out;
  out.kind = ComposedFrame::Kind::kNew;
  out.place = placed(frame_->Width(), frame_->Height(), f.shiftX, f.shiftY);
  newRuns_.clear();
  CollectOpaqueRuns(frame_->View(), newRuns_);
  out.reshape = shape_.Differs(newRuns_, onlyChanges);
  if (!out.reshape) box_ = shape_.Box();
  return out;
}

void FrameComposer::ShapeTaken(const Rect& box) {
  shape_.Taken(newRuns_, box);
  box_ = box;
}

void FrameComposer::ShapeRefused(const Rect& box) {
  shape_.Clear();
  box_ = box;
}

}  // namespace k3
