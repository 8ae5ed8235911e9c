// Flicker-free painting: the view, the drop hint and the list's rows draw
// into a memory bitmap and copy it to the screen at once.
#pragma once

#include <windows.h>

#include "framework/Handles.h"

namespace k3 {

// A memory DC compatible with a reference DC, with a bitmap of the given
// size selected and filled with one colour. The bitmap is deselected and
// both are deleted when the buffer goes.
class BackBuffer {
 public:
  BackBuffer() = default;
  ~BackBuffer();
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;
  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bitmap_.get(); }

 private:
  friend bool CreateFilledBackBuffer(BackBuffer& buffer, HDC reference, int width, int height, COLORREF color);
  fw::GdiBitmap bitmap_;
  fw::MemoryDc dc_;
  HGDIOBJ previous_ = nullptr;
};

bool CreateFilledBackBuffer(BackBuffer& buffer, HDC reference, int width, int height, COLORREF color);

}  // namespace k3
