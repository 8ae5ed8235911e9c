// Photos and documents from disk as surfaces: the one place that answers
// "this file, upright, at least this size", thumbnails and file icons.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "framework/Handles.h"
#include "imaging/Img.h"
#include "imaging/PhotoHead.h"

namespace k3 {

// Loads the file at `path` into dst. `size` (0, 0) asks for the full size;
// anything else is the box (with `fit`, the aspect ratio is kept) or the
// exact size wanted; only the pixels needed for it are decoded. On success
// `size` holds the upright picture's own size. A PDF
// document comes as its associated icon. False (dst and size unchanged)
// when the file cannot be decoded.
// A head read before (`known`) saves reading it again while the file is
// as it was then.
bool LoadThumbnail(const wchar_t* path, CImg& dst, Size& size, bool fit, const PhotoHead* known = nullptr);

// What a caller needs of a photo of a given upright size: the upright size
// it will show the photo at.
using NeededSize = std::function<Size(Size picture)>;

// Decodes the photo at `path` upright, with at least as many pixels as
// `need` asks for the picture's size: a JPEG from the preview its camera
// embedded when that is large enough, else at the largest reduction of its
// decoder that still gives that many (a half, a quarter or an eighth of the
// stored size); any other picture whole. `picture` receives the
// upright picture's own size; the result is not resampled. False (dst and
// picture unchanged) when the file cannot be decoded. Safe to call from
// several threads at once. A head read before (`known`) is used while the
// file is as it was then; otherwise the head is read and parsed once.
bool LoadPhotoFor(const wchar_t* path, const NeededSize& need, CImg& dst, Size& picture,
                  const PhotoHead* known = nullptr);

// A JPEG photo's head, read and parsed once (the frame header, the EXIF
// orientation and preview) without decoding; false for a file that is not
// a JPEG, has no readable frame header or claims more pixels than any
// photo may have (it is never decoded).
bool ReadPhotoHead(const wchar_t* path, PhotoHead& head);
// The upright picture's size a head tells.
Size UprightSize(const PhotoHead& head);
// The same as ReadPhotoHead, for the upright size alone.
bool ReadPhotoSize(const wchar_t* path, Size& picture);
// How many times a photo file's head was parsed in this process (each
// ReadPhotoHead, and each decode that had no head it could use).
std::uint64_t PhotoHeadsParsed();

// How the last LoadPhotoFor of this thread decoded: a JPEG decode at a
// reduction (by the system's decoder where it scales, by libjpeg-turbo
// where it does not) or the whole picture through GDI+.
enum class PhotoDecoder { Gdiplus, Preview, System, LibJpegTurbo };
struct PhotoDecodeInfo {
  bool scaledJpeg = false;
  int reduction = 1;
  PhotoDecoder decoder = PhotoDecoder::Gdiplus;
};
PhotoDecodeInfo LastPhotoDecode();

// The file's associated icon drawn at 32 x 32 over white, or null.
std::unique_ptr<CImg> MakeFileIconImage(const wchar_t* path);

}  // namespace k3
