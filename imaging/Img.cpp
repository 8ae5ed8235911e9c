#include "imaging/Img.h"

#include <atomic>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "imaging/GdiplusInclude.h"

namespace k3 {

namespace {

// Process-wide: the number of live surfaces and the GDI+ token, guarded by
// one critical section. The section is never destroyed: surfaces held by
// global objects die during static destruction, after any local static.
struct SurfaceRegistry {
  CRITICAL_SECTION lock;
  int liveSurfaces = 0;
  ULONG_PTR gdiplusToken = 0;
  int gdiplusStarts = 0;
  SurfaceRegistry() { ::InitializeCriticalSection(&lock); }
};

SurfaceRegistry& Registry() {
  static SurfaceRegistry* registry = new SurfaceRegistry();
  return *registry;
}

class RegistryLock {
 public:
  RegistryLock() { ::EnterCriticalSection(&Registry().lock); }
  ~RegistryLock() { ::LeaveCriticalSection(&Registry().lock); }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;
};

// Spare memory DCs, each slot taken and filled by an atomic exchange.
constexpr int kDcCacheSlots = 4;
std::atomic<HDC> g_dcCache[kDcCacheSlots];

HDC TakeCachedDc() {
  for (auto& slot : g_dcCache) {
    if (HDC dc = slot.exchange(nullptr)) return dc;
  }
  return ::CreateCompatibleDC(nullptr);
}

void ReturnDcToCache(HDC dc) {
  // The returned DC goes to slot 0 and pushes the others along; a DC pushed
  // out of the last slot is deleted.
  for (auto& slot : g_dcCache) {
    dc = slot.exchange(dc);
    if (!dc) return;
  }
  ::DeleteDC(dc);
}

}  // namespace

namespace {
thread_local int t_failedCreations = 0;
}  // namespace

int CImg::FailedCreations() { return t_failedCreations; }
void CImg::NoteLackOfMemory() { ++t_failedCreations; }

bool EnsureGdiplus() {
  RegistryLock lock;
  if (Registry().gdiplusToken) return true;
  Gdiplus::GdiplusStartupInput input;  // version 1, no callback, background thread on
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  Registry().gdiplusToken = token;
  ++Registry().gdiplusStarts;
  return true;
}

namespace {

int RowBytes(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

}  // namespace

CImg::CImg() {
  RegistryLock lock;
  ++Registry().liveSurfaces;
}

CImg::~CImg() {
  Destroy();
  RegistryLock lock;
  if (--Registry().liveSurfaces == 0 && Registry().gdiplusToken) {
    Gdiplus::GdiplusShutdown(Registry().gdiplusToken);
    Registry().gdiplusToken = 0;
  }
}

CImg::CImg(CImg&& other) noexcept : CImg() { *this = std::move(other); }

CImg& CImg::operator=(CImg&& other) noexcept {
  if (this == &other) return *this;
  Destroy();
  bitmap_ = std::exchange(other.bitmap_, nullptr);
  pixels_ = std::exchange(other.pixels_, nullptr);
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  pitch_ = std::exchange(other.pitch_, 0);
  bitsPerPixel_ = std::exchange(other.bitsPerPixel_, 0);
  isDIBSection_ = std::exchange(other.isDIBSection_, false);
  hasAlpha_ = std::exchange(other.hasAlpha_, false);
  transparentIndex_ = std::exchange(other.transparentIndex_, -1);
  // A DC lent out goes with the bitmap selected in it.
  dc_ = std::exchange(other.dc_, nullptr);
  dcRefCount_ = std::exchange(other.dcRefCount_, 0);
  previousBitmap_ = std::exchange(other.previousBitmap_, nullptr);
  return *this;
}

int CImg::LiveSurfaces() {
  RegistryLock lock;
  return Registry().liveSurfaces;
}

int CImg::GdiplusStartCount() {
  RegistryLock lock;
  return Registry().gdiplusStarts;
}

bool CImg::GdiplusStarted() {
  RegistryLock lock;
  return Registry().gdiplusToken != 0;
}

void CImg::ClearLayout() {
  bitmap_ = nullptr;
  pixels_ = nullptr;
  width_ = height_ = pitch_ = bitsPerPixel_ = 0;
  isDIBSection_ = hasAlpha_ = false;
  transparentIndex_ = -1;
}

bool CImg::Create(int bitsPerPixel, int width, int height, bool alpha) {
  if (width <= 0 || height == 0) return false;
  // A 40-byte header followed by a 256-entry colour table (zeroed for
  // palette formats).
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.header.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    // Out of memory or of GDI handles, not a picture that cannot be read.
    ++t_failedCreations;
    return false;
  }
  Attach(bitmap, height > 0 ? DibOrientation::BottomUp : DibOrientation::TopDown);
  hasAlpha_ = alpha;
  return true;
}

void CImg::Attach(HBITMAP bitmap, DibOrientation orientation) {
  if (bitmap_ && bitmap_ != bitmap) Destroy();
  bitmap_ = bitmap;
  transparentIndex_ = -1;
  hasAlpha_ = false;
  DIBSECTION dib{};
  if (::GetObjectW(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBm.bmBits) {
    width_ = dib.dsBmih.biWidth;
    height_ = dib.dsBmih.biHeight < 0 ? -dib.dsBmih.biHeight : dib.dsBmih.biHeight;
    bitsPerPixel_ = dib.dsBmih.biBitCount;
    pitch_ = RowBytes(width_, bitsPerPixel_);
    pixels_ = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
    isDIBSection_ = true;
    const bool bottomUp = orientation == DibOrientation::BottomUp ||
                          (orientation == DibOrientation::Automatic && dib.dsBmih.biHeight > 0);
    if (bottomUp) {
      pixels_ += static_cast<std::ptrdiff_t>(height_ - 1) * pitch_;
      pitch_ = -pitch_;
    }
    return;
  }
  BITMAP bm{};
  ::GetObjectW(bitmap, sizeof bm, &bm);
  width_ = bm.bmWidth;
  height_ = bm.bmHeight;
  bitsPerPixel_ = bm.bmBitsPixel;
  pitch_ = 0;
  pixels_ = nullptr;
  isDIBSection_ = false;
}

void CImg::Attach(const DetachedBitmap& detached) {
  Attach(detached.bitmap);
  hasAlpha_ = detached.hasAlpha;
  transparentIndex_ = detached.transparentIndex;
}

void CImg::DropDc() {
  // A bitmap that leaves the surface must not stay selected in a DC: it could
  // not be deleted, nor read by GDI+.
  if (dc_) {
    ::SelectObject(dc_, previousBitmap_);
    ReturnDcToCache(dc_);
  }
  dc_ = nullptr;
  previousBitmap_ = nullptr;
  dcRefCount_ = 0;
}

DetachedBitmap CImg::Detach() {
  DropDc();
  const DetachedBitmap detached{bitmap_, hasAlpha_, transparentIndex_};
  ClearLayout();
  return detached;
}

void CImg::Destroy() {
  DropDc();
  if (bitmap_) ::DeleteObject(bitmap_);
  ClearLayout();
}

HDC CImg::GetDC() {
  if (dcRefCount_++ == 0) {
    dc_ = TakeCachedDc();
    previousBitmap_ = dc_ ? ::SelectObject(dc_, bitmap_) : nullptr;
  }
  return dc_;
}

void CImg::ReleaseDC() {
  if (dcRefCount_ <= 0) return;
  if (--dcRefCount_ == 0 && dc_) {
    ::SelectObject(dc_, previousBitmap_);
    ReturnDcToCache(dc_);
    dc_ = nullptr;
    previousBitmap_ = nullptr;
  }
}

BOOL CImg::Draw(HDC dst, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight) {
  if (!bitmap_) return FALSE;
  ImgDc dc(*this);
  HDC src = dc.get();
  BOOL result;
  if (transparentIndex_ != -1) {
    RGBQUAD entry{};
    ::GetDIBColorTable(src, static_cast<UINT>(transparentIndex_), 1, &entry);
    result = ::TransparentBlt(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight,
                              RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue));
  } else if (hasAlpha_) {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    result = ::AlphaBlend(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, blend);
  } else {
    result = ::StretchBlt(dst, x, y, width, height, src, srcX, srcY, srcWidth, srcHeight, SRCCOPY);
  }
  return result;
}

BOOL DrawMagentaKeyed(CImg& img, HDC dst, int x, int y, int width, int height, int srcWidth, int srcHeight) {
  if (img.IsNull()) return FALSE;
  ImgDc src(img);
  return ::TransparentBlt(dst, x, y, width, height, src.get(), 0, 0, srcWidth, srcHeight, RGB(255, 0, 255));
}

namespace {

// Draws the surface 1:1 into a new 24-bit DIB section and moves that in.
bool RedrawAs24BitDib(CImg& img) {
  CImg copy;
  if (!copy.Create(24, img.Width(), img.Height())) return false;
  {
    ImgDc dc(copy);
    img.Draw(dc.get(), 0, 0);
  }
  img = std::move(copy);
  return true;
}

}  // namespace

bool ConvertTo24Bit(CImg& img) {
  if (img.BitsPerPixel() == 24) return true;
  return RedrawAs24BitDib(img);
}

bool EnsureDIBSection(CImg& img) {
  if (img.IsDIBSection()) return true;
  return RedrawAs24BitDib(img);
}

}  // namespace k3
