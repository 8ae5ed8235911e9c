#include "imaging/ImageOps.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "imaging/Effects.h"
#include "imaging/GdiplusInclude.h"

namespace k3 {

namespace {

constexpr Gdiplus::InterpolationMode kBicubic = Gdiplus::InterpolationModeHighQualityBicubic;  // 7

// GDI+ reads the bitmap itself, so the surface gives it up (no DC may hold
// it selected) and takes it back afterwards on every path.
class LentBitmap {
 public:
  explicit LentBitmap(CImg& img) : img_(img), lent_(img.Detach()) {}
  ~LentBitmap() { Return(); }
  LentBitmap(const LentBitmap&) = delete;
  LentBitmap& operator=(const LentBitmap&) = delete;
  HBITMAP get() const { return lent_.bitmap; }
  void Return() {
    if (lent_.bitmap) img_.Attach(std::exchange(lent_, DetachedBitmap{}));
  }

 private:
  CImg& img_;
  DetachedBitmap lent_;
};

void DrawBicubic(CImg& img, HDC dst, const Gdiplus::Rect& to, int sx, int sy, int sw, int sh) {
  if (img.IsNull() || !EnsureGdiplus()) return;
  LentBitmap lent(img);
  std::unique_ptr<Gdiplus::Bitmap> source(Gdiplus::Bitmap::FromHBITMAP(lent.get(), nullptr));
  if (!source || source->GetLastStatus() != Gdiplus::Ok) return;
  Gdiplus::Graphics graphics(dst);
  graphics.SetInterpolationMode(kBicubic);
  // Edge pixels are sampled as if mirrored beyond the edge, so the border of
  // the picture does not fade into what lies outside it.
  Gdiplus::ImageAttributes attributes;
  attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  graphics.DrawImage(source.get(), to, sx, sy, sw, sh, Gdiplus::UnitPixel, &attributes);
}

}  // namespace

bool FitImageToSize(CImg& img, Size size) {
  if (img.IsNull() || size.width <= 0 || size.height <= 0 || !EnsureGdiplus()) return false;
  HBITMAP result = nullptr;
  {
    LentBitmap lent(img);
    std::unique_ptr<Gdiplus::Bitmap> source(Gdiplus::Bitmap::FromHBITMAP(lent.get(), nullptr));
    if (!source || source->GetLastStatus() != Gdiplus::Ok) return false;
    Gdiplus::Bitmap resized(size.width, size.height, source->GetPixelFormat());
    if (resized.GetLastStatus() != Gdiplus::Ok) return false;
    {
      Gdiplus::Graphics graphics(&resized);
      graphics.SetInterpolationMode(kBicubic);
      // Edge pixels are sampled as if mirrored, so the border does not fade.
      Gdiplus::ImageAttributes attributes;
      attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
      if (graphics.DrawImage(source.get(), Gdiplus::Rect(0, 0, size.width, size.height), 0, 0,
                             static_cast<INT>(source->GetWidth()), static_cast<INT>(source->GetHeight()),
                             Gdiplus::UnitPixel, &attributes) != Gdiplus::Ok) {
        return false;
      }
    }
    source.reset();
    lent.Return();
    if (resized.GetHBITMAP(Gdiplus::Color(0xFFFFFFFF), &result) != Gdiplus::Ok || !result) return false;
  }
  img.Destroy();
  img.Attach(result);
  return true;
}

void DrawImageBicubic(CImg& img, HDC dst, const RECT& rect) {
  DrawBicubic(img, dst, Gdiplus::Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), 0, 0,
              img.Width(), img.Height());
}

void DrawImagePartBicubic(const RECT& source, CImg& img, HDC dst, int x, int y, int width, int height) {
  DrawBicubic(img, dst, Gdiplus::Rect(x, y, width, height), source.left, source.top, source.right - source.left,
              source.bottom - source.top);
}

std::unique_ptr<CImg> CropImage(const RECT& rect, CImg& src) {
  auto out = std::make_unique<CImg>();
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (!out->Create(24, w, h)) return nullptr;
  {
    ImgDc dc(*out);
    src.Draw(dc.get(), 0, 0, w, h, rect.left, rect.top, w, h);
  }
  return out;
}

bool TurnQuarter(Turn turn, CImg& img) {
  if (img.BitsPerPixel() < 8 || !img.IsDIBSection()) return false;
  const Size size = TurnedSize(img.GetSize(), turn);
  CImg turned;
  if (!turned.Create(img.BitsPerPixel(), size.width, size.height)) return false;
  TurnPixels(img.View(), turned.View(), turn);
  img = std::move(turned);
  return true;
}

fw::GdiRegion MakeKeyRegion(const CImg& img) {
  if (img.BitsPerPixel() < 24 || !img.IsDIBSection()) return {};
  std::vector<PixelRun> runs;
  runs.reserve(static_cast<std::size_t>(img.Height()) * 2);
  CollectOpaqueRuns(img.View(), runs);
  return RegionFromRuns(runs, img.Width(), img.Height(), nullptr);
}

bool DrawPixels(HDC dc, int x, int y, const PixelBuffer& pixels) {
  if (!dc || pixels.Width() <= 0 || pixels.Height() <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = pixels.Width();
  info.bmiHeader.biHeight = -pixels.Height();  // top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(pixels.Width()), static_cast<DWORD>(pixels.Height()), 0, 0,
                             0, static_cast<UINT>(pixels.Height()), pixels.Data(), &info, DIB_RGB_COLORS) != 0;
}

fw::GdiRegion RegionFromRuns(const std::vector<PixelRun>& runs, int width, int height, RECT* box) {
  if (box) ::SetRectEmpty(box);
  if (runs.empty()) return fw::GdiRegion(::CreateRectRgn(0, 0, 0, 0));
  // Rows with the same runs as the row above join its rectangles: fewer
  // rectangles for the region and for the window system.
  std::vector<RunBlock> blocks;
  JoinRunRows(runs, blocks);
  // The system adds a region's rectangles one at a time, each time going
  // over all those it has: the time grows with the square of their number.
  // So the rectangles go in bands of at most 32, each band a region of its
  // own, and the bands (one below the other) are joined.
  constexpr std::size_t kBand = 32;
  std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + kBand * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  auto* rects = reinterpret_cast<RECT*>(data->Buffer);
  RECT bounds{width, height, 0, 0};
  fw::GdiRegion region;
  for (std::size_t start = 0; start < blocks.size(); start += kBand) {
    const std::size_t count = std::min(kBand, blocks.size() - start);
    RECT band{width, height, 0, 0};
    for (std::size_t i = 0; i < count; ++i) {
      const RunBlock& b = blocks[start + i];
      rects[i] = RECT{b.x0, b.y0, b.x1, b.y1};
      band.left = std::min<LONG>(band.left, b.x0);
      band.right = std::max<LONG>(band.right, b.x1);
      band.top = std::min<LONG>(band.top, b.y0);
      band.bottom = std::max<LONG>(band.bottom, b.y1);
    }
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    data->rdh.rcBound = band;
    const DWORD size = static_cast<DWORD>(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    fw::GdiRegion part(::ExtCreateRegion(nullptr, size, data));
    if (!part) return {};
    if (!region) {
      region = std::move(part);
    } else if (::CombineRgn(region.get(), region.get(), part.get(), RGN_OR) == ERROR) {
      return {};
    }
    ::UnionRect(&bounds, &bounds, &band);
  }
  if (box) *box = bounds;
  return region;
}

fw::GdiRegion MakeKeyRegionByUnion(const CImg& img) {
  if (img.BitsPerPixel() < 24 || !img.IsDIBSection()) return {};
  std::vector<PixelRun> runs;
  CollectOpaqueRuns(img.View(), runs);
  fw::GdiRegion region(::CreateRectRgn(0, 0, 0, 0));
  for (const PixelRun& r : runs) {
    fw::GdiRegion run(::CreateRectRgn(r.x0, r.y, r.x1, r.y + 1));
    ::CombineRgn(region.get(), region.get(), run.get(), RGN_OR);
  }
  return region;
}

}  // namespace k3
