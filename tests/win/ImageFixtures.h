// Image files made by the tests themselves with GDI+'s encoders.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fixtures {

// Keeps GDI+ running for the encoders while a test needs them.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// ARGB of pixel (x, y).
using Painter = std::function<std::uint32_t(int x, int y)>;

// Encodes a w x h picture as "image/jpeg", "image/png" or "image/bmp".
std::vector<std::uint8_t> Encode(int w, int h, const Painter& paint, const wchar_t* mime, bool alpha = false);

// The JPEG with an EXIF orientation record inserted after its start marker.
std::vector<std::uint8_t> WithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation);

// The JPEG with an EXIF record holding an orientation and, as a camera
// embeds it, a small preview JPEG (at most 64 KiB with the record).
std::vector<std::uint8_t> WithPreview(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& preview,
                                      int orientation = 1);

// How far the GDI handle table is filled: freed slots are reused first, so
// after taking many fresh handles the highest index is about the number of
// live objects plus the handles taken; it climbs only when objects stay
// behind. (The system's own count of GDI objects is not kept under Wine.)
unsigned GdiHandleHighWater();

// A fresh temporary folder, removed with its files at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes);

 private:
  std::wstring path_;
};

}  // namespace fixtures
