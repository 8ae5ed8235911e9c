#include "ui/BackBuffer.h"

namespace k3 {

BackBuffer::~BackBuffer() {
  if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
}

bool CreateFilledBackBuffer(BackBuffer& buffer, HDC reference, int width, int height, COLORREF color) {
  fw::MemoryDc dc(::CreateCompatibleDC(reference));
  if (!dc) return false;
  fw::GdiBitmap bitmap(::CreateCompatibleBitmap(reference, width, height));
  if (!bitmap) return false;
  HGDIOBJ previous = ::SelectObject(dc.get(), bitmap.get());
  fw::GdiBrush brush(::CreateSolidBrush(color));
  RECT all{0, 0, width, height};
  if (brush) ::FillRect(dc.get(), &all, brush.get());
  if (buffer.dc_ && buffer.previous_) ::SelectObject(buffer.dc_.get(), buffer.previous_);
  buffer.dc_ = std::move(dc);
  buffer.bitmap_ = std::move(bitmap);
  buffer.previous_ = previous;
  return true;
}

}  // namespace k3
