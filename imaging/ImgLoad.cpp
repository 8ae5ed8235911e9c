// Pictures of any kind the system reads (GDI+), upright, as surfaces.
#include "imaging/Img.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "imaging/Exif.h"
#include "imaging/GdiplusInclude.h"
#include "imaging/JpegDecode.h"

namespace k3 {

namespace {

constexpr Gdiplus::PixelFormat kFormat32bppRGB = 0x00022009;
// Alpha images are decoded premultiplied, the form AlphaBlend expects; a
// straight-alpha surface would blend too brightly.
constexpr Gdiplus::PixelFormat kFormat32bppPARGB = 0x000E200B;

// The first bytes of an image, enough to find its orientation record.
constexpr std::size_t kHeaderBytes = 128 * 1024;

std::vector<std::uint8_t> ReadStreamHeader(IStream* stream) {
  std::vector<std::uint8_t> bytes;
  LARGE_INTEGER zero{};
  ULARGE_INTEGER start{};
  if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &start))) return bytes;
  bytes.resize(kHeaderBytes);
  ULONG read = 0;
  if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read))) read = 0;
  bytes.resize(read);
  LARGE_INTEGER back;
  back.QuadPart = static_cast<LONGLONG>(start.QuadPart);
  stream->Seek(back, STREAM_SEEK_SET, nullptr);
  return bytes;
}

// Copies a decoded GDI+ bitmap into a new surface.
HRESULT DecodeBitmap(Gdiplus::Bitmap& source, CImg& out) {
  const Gdiplus::PixelFormat pf = source.GetPixelFormat();
  int bitsPerPixel = 32;
  bool alpha = false;
  Gdiplus::PixelFormat target = kFormat32bppRGB;
  if (pf & PixelFormatGDI) {
    bitsPerPixel = (pf >> 8) & 0xFF;
    target = pf;
  }
  if (pf & PixelFormatAlpha) {
    bitsPerPixel = 32;
    alpha = true;
    target = kFormat32bppPARGB;
  }
  const int width = static_cast<int>(source.GetWidth());
  const int height = static_cast<int>(source.GetHeight());
  // A picture beyond the program's bound is refused as the JPEG decoder
  // refuses it.
  if (!WithinPhotoBound(Size{width, height})) return E_FAIL;
  if (!out.Create(bitsPerPixel, width, height, alpha)) return E_FAIL;

  if (pf & PixelFormatIndexed) {
    const INT paletteBytes = source.GetPaletteSize();
    if (paletteBytes <= 0) return E_FAIL;
    std::vector<std::uint8_t> buffer;
    try {
      buffer.resize(static_cast<std::size_t>(paletteBytes));
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
    if (source.GetPalette(palette, paletteBytes) != Gdiplus::Ok) return E_FAIL;
    if (palette->Count < 1 || palette->Count > 256) return E_FAIL;
    RGBQUAD table[256] = {};
    for (UINT i = 0; i < palette->Count; ++i) {
      const Gdiplus::ARGB c = palette->Entries[i];
      table[i] = RGBQUAD{static_cast<BYTE>(c & 0xFF), static_cast<BYTE>((c >> 8) & 0xFF),
                         static_cast<BYTE>((c >> 16) & 0xFF), 0};
    }
    ImgDc dc(out);
    ::SetDIBColorTable(dc.get(), 0, palette->Count, table);
  }

  if (target == pf) {
    // A format GDI already has: copy the rows directly.
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData locked{};
    if (source.LockBits(&all, Gdiplus::ImageLockModeRead, pf, &locked) != Gdiplus::Ok) return E_OUTOFMEMORY;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8;
    const auto* from = static_cast<const std::uint8_t*>(locked.Scan0);
    std::uint8_t* to = out.Pixels();
    for (int y = 0; y < height; ++y, from += locked.Stride, to += out.Pitch()) std::memcpy(to, from, rowBytes);
    source.UnlockBits(&locked);
  } else {
    Gdiplus::Bitmap wrapper(width, height, out.Pitch(), target, out.Pixels());
    Gdiplus::Graphics graphics(&wrapper);
    if (graphics.GetLastStatus() != Gdiplus::Ok) return E_FAIL;
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    if (graphics.DrawImage(&source, 0, 0, width, height) != Gdiplus::Ok) return E_FAIL;
  }
  return S_OK;
}

}  // namespace
HRESULT CImg::FinishDecode(CImg& decoded, int orientation) {
  if (!TurnUpright(decoded, orientation)) return E_OUTOFMEMORY;
  *this = std::move(decoded);
  return S_OK;
}

HRESULT CImg::Load(const wchar_t* path) {
  if (!path || !EnsureGdiplus()) return E_FAIL;
  CImg decoded;
  {
    std::unique_ptr<Gdiplus::Bitmap> source(Gdiplus::Bitmap::FromFile(path));
    if (!source || source->GetLastStatus() != Gdiplus::Ok) return E_FAIL;
    const HRESULT hr = DecodeBitmap(*source, decoded);
    if (FAILED(hr)) return hr;
  }
  const std::vector<std::uint8_t> header = ReadFileHead(path, kHeaderBytes);
  return FinishDecode(decoded, ReadExifOrientation(header.data(), header.size()));
}

HRESULT CImg::LoadFromStream(IStream* stream) {
  if (!stream || !EnsureGdiplus()) return E_FAIL;
  const std::vector<std::uint8_t> header = ReadStreamHeader(stream);
  CImg decoded;
  {
    std::unique_ptr<Gdiplus::Bitmap> source(Gdiplus::Bitmap::FromStream(stream));
    if (!source || source->GetLastStatus() != Gdiplus::Ok) return E_FAIL;
    const HRESULT hr = DecodeBitmap(*source, decoded);
    if (FAILED(hr)) return hr;
  }
  return FinishDecode(decoded, ReadExifOrientation(header.data(), header.size()));
}

bool LoadImageFromMemory(std::size_t count, CImg& dst, const void* bytes) {
  if (!bytes || count == 0) return false;
  fw::GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, count));
  if (!block) return false;
  void* target = ::GlobalLock(block.get());
  if (!target) return false;
  std::memcpy(target, bytes, count);
  ::GlobalUnlock(block.get());
  // The stream owns the block from here on and frees it when released.
  fw::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) return false;
  block.release();
  CImg decoded;
  if (FAILED(decoded.LoadFromStream(stream.get()))) return false;
  stream.reset();
  if (!ConvertTo24Bit(decoded) || !EnsureDIBSection(decoded)) return false;
  dst = std::move(decoded);
  return true;
}

std::vector<std::uint8_t> ReadFileHead(const wchar_t* path, std::size_t bytes) {
  std::vector<std::uint8_t> head;
  if (!path) return head;
  fw::FileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return head;
  head.resize(std::min<std::size_t>(bytes, 64u << 20));
  DWORD read = 0;
  if (!::ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) read = 0;
  head.resize(read);
  return head;
}

bool TurnUpright(CImg& img, int orientation) {
  if (orientation < 2 || orientation > 8) return true;
  if (img.BitsPerPixel() < 24 && !ConvertTo24Bit(img)) return false;
  const Size size = OrientedSize(img.GetSize(), orientation);
  CImg upright;
  if (!upright.Create(img.BitsPerPixel(), size.width, size.height, img.HasAlpha())) return false;
  OrientPixels(img.View(), upright.View(), orientation);
  img = std::move(upright);
  return true;
}

}  // namespace k3
