// CImg: the one raster type of the program, a device-independent bitmap
// section whose pixels are addressed directly, with a memory DC attached on
// demand so GDI can draw into it or from it.
//
// Row 0 is the top row on screen for either orientation: Pixels() points at
// it and Pitch() steps one row down the screen (negative for the bottom-up
// bitmaps the program creates itself).
//
// GDI+ is started by the first decode and shut down when the last surface
// of the process is destroyed; memory DCs are reused through a small cache.
// A surface is movable: the bitmap, its DC and its flags go to the target.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Handles.h"
#include "imaging/PixelView.h"

namespace k3 {

enum class DibOrientation { Automatic, TopDown, BottomUp };

// A bitmap handed out of a surface with what the surface knew of it, so that
// attaching it again keeps its alpha and its transparent colour.
struct DetachedBitmap {
  HBITMAP bitmap = nullptr;
  bool hasAlpha = false;
  int transparentIndex = -1;
};

class CImg {
 public:
  CImg();
  virtual ~CImg();
  CImg(const CImg&) = delete;
  CImg& operator=(const CImg&) = delete;
  CImg(CImg&& other) noexcept;
  CImg& operator=(CImg&& other) noexcept;

  // A new DIB section: bottom-up for a positive height, top-down for a
  // negative one. False leaves the surface unchanged.
  bool Create(int bitsPerPixel, int width, int height, bool alpha = false);
  // Takes over a bitmap (the surface's old one, if any, is deleted). A plain
  // bitmap has no alpha and no transparent colour.
  void Attach(HBITMAP bitmap, DibOrientation orientation = DibOrientation::Automatic);
  void Attach(const DetachedBitmap& detached);
  // Hands the bitmap out, with its flags, without deleting it.
  DetachedBitmap Detach();
  // Deletes the bitmap; the object can be filled again.
  void Destroy();

  // A memory DC with the bitmap selected, shared by nested calls. Every
  // GetDC is paired with one ReleaseDC; callers hold an ImgDc instead.
  HDC GetDC();
  void ReleaseDC();

  // Copies with TransparentBlt (transparent palette index), AlphaBlend
  // (per-pixel alpha) or StretchBlt, in that order of preference.
  BOOL Draw(HDC dst, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight);
  BOOL Draw(HDC dst, int x, int y) { return Draw(dst, x, y, width_, height_, 0, 0, width_, height_); }

  // Decodes an image file or stream through GDI+. Photos whose camera
  // recorded an orientation come out upright. 0 on success, E_FAIL when the
  // bytes cannot be decoded (or GDI+ cannot start), E_OUTOFMEMORY when a
  // buffer cannot be had; on failure the surface is unchanged.
  HRESULT Load(const wchar_t* path);
  HRESULT LoadFromStream(IStream* stream);

  bool IsNull() const { return bitmap_ == nullptr; }
  HBITMAP Bitmap() const { return bitmap_; }
  std::uint8_t* Pixels() const { return pixels_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  bool IsDIBSection() const { return isDIBSection_; }
  bool HasAlpha() const { return hasAlpha_; }
  int TransparentIndex() const { return transparentIndex_; }
  void SetTransparentIndex(int index) { transparentIndex_ = index; }
  int DcRefCount() const { return dcRefCount_; }
  Size GetSize() const { return Size{width_, height_}; }
  // The pixels for the portable kernels (24 and 32 bits per pixel).
  PixelView View() const { return PixelView{pixels_, width_, height_, pitch_, bitsPerPixel_ / 8}; }

  // Process-wide state, for tests and diagnostics.
  static int LiveSurfaces();
  static bool GdiplusStarted();
  // How many times this process started GDI+ for its surfaces.
  static int GdiplusStartCount();
  // How many surfaces this thread could not make (no memory or no GDI
  // handle left): a decode that fails while this grows failed for lack of
  // resources, not for its picture.
  static int FailedCreations();
  // Counts a lack of memory met outside the surfaces (a system decoder's)
  // as one of them.
  static void NoteLackOfMemory();

 private:
  void ClearLayout();
  void DropDc();
  HRESULT FinishDecode(CImg& decoded, int orientation);

  HBITMAP bitmap_ = nullptr;
  std::uint8_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
  int bitsPerPixel_ = 0;
  bool isDIBSection_ = false;
  bool hasAlpha_ = false;
  int transparentIndex_ = -1;
  HDC dc_ = nullptr;
  int dcRefCount_ = 0;
  HGDIOBJ previousBitmap_ = nullptr;
};

// The surface's memory DC for one scope: acquired at construction, released
// at the end of the scope on every path.
class ImgDc {
 public:
  explicit ImgDc(CImg& img) : img_(img), dc_(img.GetDC()) {}
  ~ImgDc() { img_.ReleaseDC(); }
  ImgDc(const ImgDc&) = delete;
  ImgDc& operator=(const ImgDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  CImg& img_;
  HDC dc_;
};

// TransparentBlt from (0, 0, srcWidth, srcHeight) with magenta as the
// transparent colour.
BOOL DrawMagentaKeyed(CImg& img, HDC dst, int x, int y, int width, int height, int srcWidth, int srcHeight);

// Decodes image bytes held in memory into dst as a 24-bit DIB section.
// False (dst unchanged) when the bytes are not an image.
bool LoadImageFromMemory(std::size_t count, CImg& dst, const void* bytes);

// The first `bytes` bytes of a file (fewer for a shorter file; none when it
// cannot be read), for the facts in its header. Every reader of a file's
// head goes through here.
std::vector<std::uint8_t> ReadFileHead(const wchar_t* path, std::size_t bytes);

// Stands a decoded picture upright for an EXIF orientation (1..8; anything
// else leaves it as it is); fewer than 24 bits per pixel become 24. False
// (the surface unchanged) when the turned surface cannot be made.
bool TurnUpright(CImg& img, int orientation);

// Starts GDI+ for this process unless it runs (the first decode or resample
// does); it stops again when the last surface is destroyed. False when it
// cannot start.
bool EnsureGdiplus();

// Makes the surface 24 bits per pixel (alpha is blended over black on the
// way). False leaves it unchanged.
bool ConvertTo24Bit(CImg& img);
// Makes sure the surface is a DIB section whose pixels can be addressed.
bool EnsureDIBSection(CImg& img);

}  // namespace k3
