// The one rectangle type of the portable code: edges in pixels, right and
// bottom exclusive, as the system's RECT. The Win32 files convert at their
// edge (ToRect / FromRect in framework/Services.h).
#pragma once

namespace k3 {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool Empty() const { return right <= left || bottom <= top; }
  constexpr bool operator==(const Rect&) const = default;
};

// A width x height rectangle centred in the work area (integer division, so
// an odd remainder leaves the extra pixel on the right and bottom).
constexpr Rect CenterInRect(const Rect& work, int width, int height) {
  Rect r;
  r.left = work.left + (work.right - width - work.left) / 2;
  r.top = work.top + (work.bottom - work.top - height) / 2;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

}  // namespace k3
