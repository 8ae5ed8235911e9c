// The bitmap surface, decoding, resampling, regions, effect frames and
// thumbnails on the real Windows libraries.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "ImageFixtures.h"
#include "imaging/EffectFrames.h"
#include "imaging/Effects.h"
#include "imaging/ImageOps.h"
#include "imaging/Img.h"
#include "imaging/Thumbnails.h"
#include "ui/BackBuffer.h"

namespace k3 {
namespace {

using fixtures::Encode;
using fixtures::TempFolder;

constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kWhite = 0xFFFFFFFF;

// Blue, green, red of a surface pixel.
std::vector<int> Bgr(const CImg& img, int x, int y) {
  const std::uint8_t* p = img.View().At(x, y);
  return {p[0], p[1], p[2]};
}

bool Near(const std::vector<int>& got, int b, int g, int r, int tolerance = 40) {
  return std::abs(got[0] - b) <= tolerance && std::abs(got[1] - g) <= tolerance && std::abs(got[2] - r) <= tolerance;
}


class ImagingTest : public ::testing::Test {
 protected:
  fixtures::GdiplusSession gdiplus;
  TempFolder folder;

  // A w x h JPEG whose left half is red and right half blue.
  std::vector<std::uint8_t> HalvesJpeg(int w, int h) {
    return Encode(w, h, [w](int x, int) { return x < w / 2 ? kRed : kBlue; }, L"image/jpeg");
  }
};

TEST_F(ImagingTest, SurfaceLayout) {
  for (auto [width, pitch] : {std::pair{3, 12}, std::pair{4, 12}, std::pair{5, 16}}) {
    CImg img;
    ASSERT_TRUE(img.Create(24, width, 100));
    DIBSECTION dib{};
    ::GetObjectW(img.Bitmap(), sizeof dib, &dib);
    EXPECT_EQ(img.Height(), 100);
    EXPECT_EQ(img.Pitch(), -pitch) << width;
    // Bottom-up: the top row on screen is the last one in memory.
    EXPECT_EQ(img.Pixels(), static_cast<std::uint8_t*>(dib.dsBm.bmBits) + 99 * pitch);
    EXPECT_TRUE(img.IsDIBSection());
  }
  CImg topDown;
  ASSERT_TRUE(topDown.Create(24, 4, -100));
  DIBSECTION dib{};
  ::GetObjectW(topDown.Bitmap(), sizeof dib, &dib);
  EXPECT_EQ(topDown.Height(), 100);
  EXPECT_EQ(topDown.Pitch(), 12);
  EXPECT_EQ(topDown.Pixels(), dib.dsBm.bmBits);

  CImg failed;
  EXPECT_FALSE(failed.Create(24, 0, 10));
  EXPECT_TRUE(failed.IsNull());
}

TEST_F(ImagingTest, SurfacesMoveAndKeepTheirFlagsThroughDetachAndAttach) {
  CImg alpha;
  ASSERT_TRUE(alpha.Create(32, 6, 4, true));
  alpha.SetTransparentIndex(3);
  HBITMAP bitmap = alpha.Bitmap();
  std::uint8_t* pixels = alpha.Pixels();

  // Detached and attached again, the bitmap keeps its alpha and its
  // transparent colour.
  const DetachedBitmap detached = alpha.Detach();
  EXPECT_TRUE(alpha.IsNull());
  EXPECT_FALSE(alpha.HasAlpha());
  CImg again;
  again.Attach(detached);
  EXPECT_EQ(again.Bitmap(), bitmap);
  EXPECT_TRUE(again.HasAlpha());
  EXPECT_EQ(again.TransparentIndex(), 3);
  EXPECT_EQ(again.Pixels(), pixels);
  EXPECT_EQ(again.Pitch(), -24) << "still bottom-up";

  // A move hands over everything, a DC held out included.
  HDC dc = again.GetDC();
  CImg moved(std::move(again));
  EXPECT_TRUE(again.IsNull());
  EXPECT_EQ(again.DcRefCount(), 0);
  EXPECT_EQ(moved.Bitmap(), bitmap);
  EXPECT_TRUE(moved.HasAlpha());
  EXPECT_EQ(moved.TransparentIndex(), 3);
  EXPECT_EQ(moved.DcRefCount(), 1);
  EXPECT_EQ(::GetCurrentObject(dc, OBJ_BITMAP), bitmap);
  moved.ReleaseDC();

  // Move assignment deletes the target's own bitmap.
  CImg target;
  ASSERT_TRUE(target.Create(24, 2, 2));
  HBITMAP old = target.Bitmap();
  target = std::move(moved);
  EXPECT_EQ(::GetObjectType(old), 0u) << "the replaced bitmap is deleted";
  EXPECT_EQ(target.Bitmap(), bitmap);
  EXPECT_EQ(target.Width(), 6);
}

TEST_F(ImagingTest, DcScopeReleasesOnEveryPath) {
  CImg img;
  ASSERT_TRUE(img.Create(24, 8, 8));
  {
    ImgDc outer(img);
    ASSERT_TRUE(outer);
    {
      ImgDc inner(img);
      EXPECT_EQ(inner.get(), outer.get());
      EXPECT_EQ(img.DcRefCount(), 2);
    }
    EXPECT_EQ(img.DcRefCount(), 1);
  }
  EXPECT_EQ(img.DcRefCount(), 0);
  auto throwing = [&] {
    ImgDc dc(img);
    throw 1;
  };
  EXPECT_THROW(throwing(), int);
  EXPECT_EQ(img.DcRefCount(), 0);
}

TEST_F(ImagingTest, FramesGoBackToTheirOwnPool) {
  CImg photo;
  ASSERT_TRUE(photo.Create(24, 40, 30));
  FramePool pool;
  CImg* first = nullptr;
  {
    FramePtr frame = MakeRippleFrame(photo, POINT{20, 15}, 6, 9, &pool);
    ASSERT_TRUE(frame);
    first = frame.get();
    // Something is drawn where the last frame left the key colour.
    std::memset(frame->View().At(0, 0), 0, 3);
  }
  EXPECT_TRUE(pool.HoldsFrame());
  FramePtr again = MakeSphereFrame(photo, POINT{20, 15}, 10, &pool);
  ASSERT_TRUE(again);
  EXPECT_EQ(again.get(), first) << "the same size comes from the pool";
  EXPECT_FALSE(pool.HoldsFrame());
  // The pool starts from the key colour every time.
  EXPECT_TRUE(IsKeyPixel(again->View().At(0, 0)));
  again.reset();
  FramePtr turned = MakeRotateFrame(photo, 3000, &pool);
  ASSERT_TRUE(turned);
  EXPECT_NE(turned->GetSize(), (Size{40, 30}));
  EXPECT_TRUE(pool.HoldsFrame()) << "another size leaves the kept frame alone";
  pool.Clear();
  EXPECT_FALSE(pool.HoldsFrame());
  // Without a pool nothing is kept anywhere.
  MakeRippleFrame(photo, POINT{20, 15}, 6, 9).reset();
  EXPECT_FALSE(pool.HoldsFrame());
}

TEST_F(ImagingTest, NestedGetDcSharesOneDcAndReturnsItToTheCache) {
  CImg img;
  ASSERT_TRUE(img.Create(24, 8, 8));
  HDC first = img.GetDC();
  ASSERT_TRUE(first);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(img.GetDC(), first);
  EXPECT_EQ(img.DcRefCount(), 5);
  for (int i = 0; i < 4; ++i) img.ReleaseDC();
  EXPECT_EQ(::GetCurrentObject(first, OBJ_BITMAP), img.Bitmap()) << "still selected after four releases";
  img.ReleaseDC();
  EXPECT_EQ(img.DcRefCount(), 0);
  EXPECT_NE(::GetCurrentObject(first, OBJ_BITMAP), img.Bitmap());
  // The next surface takes the same DC from the cache.
  CImg other;
  ASSERT_TRUE(other.Create(24, 4, 4));
  EXPECT_EQ(other.GetDC(), first);
  other.ReleaseDC();

  // A surface destroyed while its DC is out gives the DC back first, so its
  // bitmap can be deleted.
  const DWORD objectsBefore = ::GetObjectType(img.Bitmap());
  HDC held = img.GetDC();
  HBITMAP bitmap = img.Bitmap();
  img.Destroy();
  EXPECT_EQ(img.DcRefCount(), 0);
  EXPECT_NE(::GetCurrentObject(held, OBJ_BITMAP), bitmap);
  EXPECT_EQ(objectsBefore, static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_EQ(::GetObjectType(bitmap), 0u) << "the bitmap is gone";
}

TEST_F(ImagingTest, JpegDecodesTo24Bits) {
  const auto path = folder.Write(L"halves.jpg", HalvesJpeg(64, 48));
  CImg img;
  ASSERT_EQ(img.Load(path.c_str()), S_OK);
  EXPECT_EQ(img.BitsPerPixel(), 24);
  EXPECT_EQ(img.Width(), 64);
  EXPECT_EQ(img.Height(), 48);
  EXPECT_TRUE(Near(Bgr(img, 5, 5), 0, 0, 255));
  EXPECT_TRUE(Near(Bgr(img, 60, 40), 255, 0, 0));
}

TEST_F(ImagingTest, PngWithAlphaBlendsOverBlack) {
  // Left: opaque red; middle: white at half opacity; right: transparent.
  const auto png = Encode(
      30, 10,
      [](int x, int) -> std::uint32_t { return x < 10 ? kRed : (x < 20 ? 0x80FFFFFF : 0x00FFFFFF); }, L"image/png",
      true);
  CImg img;
  ASSERT_TRUE(img.Create(24, 1, 1));
  const auto path = folder.Write(L"alpha.png", png);
  ASSERT_EQ(img.Load(path.c_str()), S_OK);
  EXPECT_EQ(img.BitsPerPixel(), 32);
  EXPECT_TRUE(img.HasAlpha());
  ASSERT_TRUE(ConvertTo24Bit(img));
  EXPECT_EQ(img.BitsPerPixel(), 24);
  EXPECT_FALSE(img.HasAlpha());
  EXPECT_TRUE(Near(Bgr(img, 5, 5), 0, 0, 255, 2));
  EXPECT_TRUE(Near(Bgr(img, 15, 5), 128, 128, 128, 3)) << "half white over black is grey";
  EXPECT_TRUE(Near(Bgr(img, 25, 5), 0, 0, 0, 2));
}

TEST_F(ImagingTest, GdiplusStopsWithTheLastSurfaceAndStartsAgain) {
  const auto path = folder.Write(L"a.jpg", HalvesJpeg(16, 16));
  ASSERT_EQ(CImg::LiveSurfaces(), 0);
  {
    CImg img;
    ASSERT_EQ(img.Load(path.c_str()), S_OK);
    EXPECT_TRUE(CImg::GdiplusStarted());
  }
  EXPECT_EQ(CImg::LiveSurfaces(), 0);
  EXPECT_FALSE(CImg::GdiplusStarted());
  CImg again;
  EXPECT_EQ(again.Load(path.c_str()), S_OK);
  EXPECT_TRUE(CImg::GdiplusStarted());
}

TEST_F(ImagingTest, LoadImageFromMemory) {
  CImg img;
  const char text[] = "this is not an image at all";
  EXPECT_FALSE(LoadImageFromMemory(sizeof text, img, text));
  EXPECT_TRUE(img.IsNull());
  const auto bmp = Encode(12, 7, [](int, int) { return kGreen; }, L"image/bmp");
  ASSERT_TRUE(LoadImageFromMemory(bmp.size(), img, bmp.data()));
  EXPECT_EQ(img.BitsPerPixel(), 24);
  EXPECT_TRUE(img.IsDIBSection());
  EXPECT_EQ(img.Width(), 12);
  EXPECT_TRUE(Near(Bgr(img, 11, 6), 0, 255, 0, 0));
}

TEST_F(ImagingTest, CameraOrientationIsApplied) {
  // Stored 40 x 20 with red on the left; orientation 6 turns it a quarter
  // clockwise (red on top), 8 counter-clockwise (red at the bottom).
  const auto jpeg = HalvesJpeg(40, 20);
  for (int orientation : {6, 8}) {
    const auto path = folder.Write(L"o" + std::to_wstring(orientation) + L".jpg",
                                   fixtures::WithOrientation(jpeg, orientation));
    CImg img;
    ASSERT_EQ(img.Load(path.c_str()), S_OK);
    EXPECT_EQ(img.Width(), 20);
    EXPECT_EQ(img.Height(), 40);
    const bool redOnTop = orientation == 6;
    EXPECT_TRUE(Near(Bgr(img, 10, 3), redOnTop ? 0 : 255, 0, redOnTop ? 255 : 0)) << orientation;
    EXPECT_TRUE(Near(Bgr(img, 10, 36), redOnTop ? 255 : 0, 0, redOnTop ? 0 : 255)) << orientation;

    CImg thumb;
    Size size{96, 96};
    ASSERT_TRUE(LoadThumbnail(path.c_str(), thumb, size, true));
    EXPECT_EQ(size, (Size{20, 40})) << "the reported size is upright";
    EXPECT_EQ(thumb.GetSize(), (Size{48, 96}));
  }
  // The same from bytes in memory (a stream).
  const auto oriented = fixtures::WithOrientation(jpeg, 6);
  CImg fromMemory;
  ASSERT_TRUE(LoadImageFromMemory(oriented.size(), fromMemory, oriented.data()));
  EXPECT_EQ(fromMemory.GetSize(), (Size{20, 40}));
  // Without the record the photo is as stored.
  CImg plain;
  ASSERT_EQ(plain.Load(folder.Write(L"plain.jpg", jpeg).c_str()), S_OK);
  EXPECT_EQ(plain.GetSize(), (Size{40, 20}));
}

TEST_F(ImagingTest, BrokenFilesFailCleanly) {
  auto jpeg = HalvesJpeg(64, 64);
  std::vector<std::uint8_t> truncated(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
  std::vector<std::uint8_t> random(5000);
  std::mt19937 rng(7);
  for (auto& b : random) b = static_cast<std::uint8_t>(rng());
  const auto png = Encode(10, 10, [](int, int) { return kBlue; }, L"image/png");

  const unsigned gdiBefore = fixtures::GdiHandleHighWater();
  const int surfacesBefore = CImg::LiveSurfaces();
  struct Case {
    const wchar_t* name;
    std::vector<std::uint8_t> bytes;
  };
  // Ten rounds, so that even one object left behind by a case shows.
  for (int round = 0; round < 10; ++round) {
    for (const Case& c : {Case{L"truncated.jpg", truncated}, Case{L"empty.jpg", {}}, Case{L"random.jpg", random},
                          Case{L"png-named.jpg", png}}) {
      const auto path = folder.Write(c.name, c.bytes);
      CImg img;
      const HRESULT hr = img.Load(path.c_str());
      if (hr == S_OK) {
        EXPECT_FALSE(img.IsNull()) << c.name;
        EXPECT_GT(img.Width(), 0);
      } else {
        EXPECT_TRUE(hr == E_FAIL || hr == E_OUTOFMEMORY) << c.name;
        EXPECT_TRUE(img.IsNull()) << c.name << ": no partial surface";
      }
      CImg thumb;
      Size size{96, 96};
      if (!LoadThumbnail(path.c_str(), thumb, size, true)) {
        EXPECT_EQ(size, (Size{96, 96})) << c.name;
      }
    }
  }
  CImg missing;
  EXPECT_EQ(missing.Load(L"C:\\no\\such.jpg"), E_FAIL);
  CImg renamed;
  EXPECT_EQ(renamed.Load(folder.Write(L"again.jpg", png).c_str()), S_OK) << "content decides, not the name";
  EXPECT_EQ(renamed.GetSize(), (Size{10, 10}));
  EXPECT_EQ(CImg::LiveSurfaces(), surfacesBefore + 2);
  EXPECT_LT(fixtures::GdiHandleHighWater(), gdiBefore + 20) << "no GDI objects leak from failed decodes";
}

TEST_F(ImagingTest, LargePhotoDecodes) {
  const auto big = Encode(4000, 3000, [](int x, int y) { return 0xFF000000u | (x & 0xFF) << 8 | (y & 0xFF); },
                          L"image/jpeg");
  ASSERT_FALSE(big.empty());
  CImg img;
  ASSERT_EQ(img.Load(folder.Write(L"big.jpg", big).c_str()), S_OK);
  EXPECT_EQ(img.GetSize(), (Size{4000, 3000}));
}

TEST_F(ImagingTest, CameraPreviewGivesTheThumbnailWhenItIsGoodEnough) {
  // The picture is red, its embedded preview blue: the colour tells which
  // one the thumbnail came from.
  const auto picture = Encode(800, 600, [](int, int) { return kRed; }, L"image/jpeg");
  const auto preview = Encode(160, 120, [](int, int) { return kBlue; }, L"image/jpeg");
  const auto camera = folder.Write(L"camera.jpg", fixtures::WithPreview(picture, preview));
  CImg thumb;
  Size size{96, 96};
  ASSERT_TRUE(LoadThumbnail(camera.c_str(), thumb, size, true));
  EXPECT_EQ(size, (Size{800, 600})) << "the picture's own size";
  EXPECT_EQ(thumb.GetSize(), (Size{96, 72}));
  EXPECT_TRUE(Near(Bgr(thumb, 48, 36), 255, 0, 0)) << "from the preview";

  // Turned by the camera: the preview is turned too, the size is upright.
  const auto turned = folder.Write(L"turned.jpg", fixtures::WithPreview(picture, preview, 6));
  size = {96, 96};
  ASSERT_TRUE(LoadThumbnail(turned.c_str(), thumb, size, true));
  EXPECT_EQ(size, (Size{600, 800}));
  EXPECT_EQ(thumb.GetSize(), (Size{72, 96}));

  // A preview of another shape (bars) or too small is not used.
  const auto barred = Encode(160, 160, [](int, int) { return kBlue; }, L"image/jpeg");
  const auto tiny = Encode(40, 30, [](int, int) { return kBlue; }, L"image/jpeg");
  for (const auto& [name, small] : {std::pair{L"barred.jpg", barred}, std::pair{L"tiny.jpg", tiny}}) {
    const auto path = folder.Write(name, fixtures::WithPreview(picture, small));
    size = {96, 96};
    ASSERT_TRUE(LoadThumbnail(path.c_str(), thumb, size, true));
    EXPECT_EQ(size, (Size{800, 600}));
    EXPECT_EQ(thumb.GetSize(), (Size{96, 72}));
    EXPECT_TRUE(Near(Bgr(thumb, 48, 36), 0, 0, 255)) << "decoded from the picture";
  }
  // The full picture is still the picture, not the preview.
  CImg full;
  ASSERT_EQ(full.Load(camera.c_str()), S_OK);
  EXPECT_EQ(full.GetSize(), (Size{800, 600}));
  EXPECT_TRUE(Near(Bgr(full, 400, 300), 0, 0, 255));
}

TEST_F(ImagingTest, ThumbnailsFitTheBox) {
  const auto large = folder.Write(L"large.jpg", HalvesJpeg(1600, 1200));
  CImg thumb;
  Size size{96, 96};
  ASSERT_TRUE(LoadThumbnail(large.c_str(), thumb, size, true));
  EXPECT_EQ(size, (Size{1600, 1200}));
  EXPECT_EQ(thumb.GetSize(), (Size{96, 72}));
  EXPECT_TRUE(thumb.IsDIBSection());
  EXPECT_TRUE(Near(Bgr(thumb, 5, 36), 0, 0, 255));

  const auto small = folder.Write(L"small.jpg", HalvesJpeg(50, 40));
  CImg enlarged;
  size = {96, 96};
  ASSERT_TRUE(LoadThumbnail(small.c_str(), enlarged, size, true));
  EXPECT_EQ(size, (Size{50, 40}));
  EXPECT_EQ(enlarged.GetSize(), (Size{96, 77}));

  const auto exact = folder.Write(L"exact.jpg", HalvesJpeg(96, 72));
  CImg same;
  size = {96, 96};
  ASSERT_TRUE(LoadThumbnail(exact.c_str(), same, size, true));
  EXPECT_EQ(size, (Size{96, 72}));
  EXPECT_EQ(same.GetSize(), (Size{96, 72}));
  EXPECT_EQ(same.BitsPerPixel(), 24);

  CImg full;
  size = {0, 0};
  ASSERT_TRUE(LoadThumbnail(large.c_str(), full, size, false));
  EXPECT_EQ(size, (Size{1600, 1200}));
  EXPECT_EQ(full.GetSize(), (Size{1600, 1200}));
  EXPECT_EQ(full.BitsPerPixel(), 24);
}

TEST_F(ImagingTest, PdfShowsItsIcon) {
  const auto pdf = folder.Write(L"manual.PDF", {'%', 'P', 'D', 'F', '-', '1', '.', '4'});
  auto icon = MakeFileIconImage(pdf.c_str());
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->GetSize(), (Size{32, 32}));
  EXPECT_EQ(icon->BitsPerPixel(), 24);
  EXPECT_TRUE(Near(Bgr(*icon, 0, 0), 255, 255, 255, 0) || Near(Bgr(*icon, 31, 31), 255, 255, 255, 0))
      << "white shows around the icon";
  CImg thumb;
  Size size{96, 96};
  ASSERT_TRUE(LoadThumbnail(pdf.c_str(), thumb, size, true));
  EXPECT_EQ(size, (Size{32, 32}));
  EXPECT_EQ(thumb.GetSize(), (Size{96, 96}));
}

TEST_F(ImagingTest, ResampleAndTurn) {
  CImg img;
  ASSERT_EQ(img.Load(folder.Write(L"t.jpg", HalvesJpeg(30, 20)).c_str()), S_OK);
  const HBITMAP before = img.Bitmap();
  ASSERT_TRUE(FitImageToSize(img, {30, 20}));
  EXPECT_NE(img.Bitmap(), before) << "resampled even at its own size";
  EXPECT_EQ(img.GetSize(), (Size{30, 20}));
  ASSERT_TRUE(ConvertTo24Bit(img));
  ASSERT_TRUE(TurnQuarter(Turn::Clockwise, img));
  EXPECT_EQ(img.GetSize(), (Size{20, 30}));
  EXPECT_TRUE(Near(Bgr(img, 10, 2), 0, 0, 255)) << "red, once on the left, is on top";

  auto crop = CropImage(RECT{0, 15, 20, 30}, img);
  ASSERT_TRUE(crop);
  EXPECT_EQ(crop->GetSize(), (Size{20, 15}));
  EXPECT_TRUE(Near(Bgr(*crop, 10, 14), 255, 0, 0));

  CImg palette;
  ASSERT_TRUE(palette.Create(4, 8, 8));
  EXPECT_FALSE(TurnQuarter(Turn::Half, palette));
  EXPECT_FALSE(MakeKeyRegion(palette));
}

TEST_F(ImagingTest, KeyRegionHoldsNoKeyPixel) {
  CImg photo;
  ASSERT_EQ(photo.Load(folder.Write(L"r.jpg", HalvesJpeg(64, 48)).c_str()), S_OK);
  auto frame = MakeRippleFrame(photo, POINT{20, 30}, 6, 9);
  ASSERT_TRUE(frame);
  auto region = MakeKeyRegion(*frame);
  ASSERT_TRUE(region);
  int opaque = 0;
  for (int y = 0; y < frame->Height(); ++y) {
    for (int x = 0; x < frame->Width(); ++x) {
      const bool key = IsKeyPixel(frame->View().At(x, y));
      EXPECT_EQ(::PtInRegion(region.get(), x, y) != FALSE, !key) << x << "," << y;
      opaque += !key;
    }
  }
  EXPECT_GT(opaque, 0);
  EXPECT_LT(opaque, 64 * 48) << "the rings fray the edge";
  auto byUnion = MakeKeyRegionByUnion(*frame);
  EXPECT_TRUE(::EqualRgn(region.get(), byUnion.get()));

  CImg blank;
  ASSERT_TRUE(blank.Create(32, 10, 10));
  FillKey(blank.View());
  blank.View().At(3, 3)[3] = 0x55;  // any fourth byte: still key
  auto empty = MakeKeyRegion(blank);
  ASSERT_TRUE(empty);
  RECT box;
  EXPECT_EQ(::GetRgnBox(empty.get(), &box), NULLREGION);
}

TEST_F(ImagingTest, EffectFramesKeepSizeAndKeyBackground) {
  CImg photo;
  ASSERT_EQ(photo.Load(folder.Write(L"e.jpg", HalvesJpeg(40, 30)).c_str()), S_OK);
  auto sphere = MakeSphereFrame(photo, POINT{20, 15}, 10);
  ASSERT_TRUE(sphere);
  EXPECT_EQ(sphere->GetSize(), (Size{40, 30}));
  EXPECT_TRUE(IsKeyPixel(sphere->View().At(0, 0)));
  EXPECT_EQ(Bgr(*sphere, 20, 15), Bgr(photo, 20, 15)) << "the centre is copied";
  auto wave = MakeWaveFrame(photo, POINT{0, 20}, 30, 8, 4);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->GetSize(), (Size{40, 30}));
  auto turned = MakeRotateFrame(photo, 9000);
  ASSERT_TRUE(turned);
  EXPECT_EQ(turned->GetSize(), (Size{30, 40}));
  auto tilted = MakeRotateFrame(photo, 3000);
  ASSERT_TRUE(tilted);
  EXPECT_TRUE(IsKeyPixel(tilted->View().At(0, 0)));

  CImg eightBit;
  ASSERT_TRUE(eightBit.Create(8, 10, 10));
  EXPECT_FALSE(MakeSphereFrame(eightBit, POINT{5, 5}, 3));
  EXPECT_FALSE(MakeRippleFrame(eightBit, POINT{5, 5}, 3, 3));
  EXPECT_FALSE(MakeWaveFrame(eightBit, POINT{5, 5}, 3, 3, 3));
  EXPECT_FALSE(MakeRotateFrame(eightBit, 100));
}

TEST_F(ImagingTest, DrawingModes) {
  CImg canvas;
  ASSERT_TRUE(canvas.Create(24, 4, 1));
  HDC dc = canvas.GetDC();
  RECT all{0, 0, 4, 1};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  // Magenta is cut out; other colours are drawn.
  CImg keyed;
  ASSERT_TRUE(keyed.Create(24, 4, 1));
  for (int x = 0; x < 4; ++x) {
    std::uint8_t* p = keyed.View().At(x, 0);
    p[0] = x % 2 ? 255 : 10;
    p[1] = x % 2 ? 0 : 20;
    p[2] = x % 2 ? 255 : 30;
  }
  EXPECT_TRUE(DrawMagentaKeyed(keyed, dc, 0, 0, 4, 1, 4, 1));
  canvas.ReleaseDC();
  EXPECT_EQ(Bgr(canvas, 0, 0), (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(Bgr(canvas, 1, 0), (std::vector<int>{0, 0, 0}));

  // A palette surface with a transparent index: that entry is not drawn.
  CImg indexed;
  ASSERT_TRUE(indexed.Create(8, 2, 1));
  HDC idc = indexed.GetDC();
  const RGBQUAD table[2] = {{0, 0, 200, 0}, {50, 60, 70, 0}};
  ::SetDIBColorTable(idc, 0, 2, table);
  indexed.ReleaseDC();
  indexed.View().Row(0)[0] = 0;
  indexed.View().Row(0)[1] = 1;
  indexed.SetTransparentIndex(0);
  dc = canvas.GetDC();
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  EXPECT_TRUE(indexed.Draw(dc, 0, 0));
  canvas.ReleaseDC();
  EXPECT_EQ(Bgr(canvas, 0, 0), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(Bgr(canvas, 1, 0), (std::vector<int>{50, 60, 70}));

  // Bicubic drawing scales the whole picture into the rectangle.
  CImg halves;
  ASSERT_TRUE(halves.Create(24, 2, 1));
  std::memcpy(halves.View().At(0, 0), "\x00\x00\xff", 3);
  std::memcpy(halves.View().At(1, 0), "\xff\x00\x00", 3);
  CImg big;
  ASSERT_TRUE(big.Create(24, 40, 10));
  HDC bdc = big.GetDC();
  DrawImageBicubic(halves, bdc, RECT{0, 0, 40, 10});
  DrawImagePartBicubic(RECT{1, 0, 2, 1}, halves, bdc, 30, 0, 10, 10);
  big.ReleaseDC();
  EXPECT_TRUE(Near(Bgr(big, 1, 0), 0, 0, 255, 40)) << "no fading at the edge";
  EXPECT_TRUE(Near(Bgr(big, 24, 9), 255, 0, 0, 60));
  EXPECT_TRUE(Near(Bgr(big, 35, 5), 255, 0, 0, 10)) << "the part drawn alone";
  EXPECT_EQ(halves.GetSize(), (Size{2, 1})) << "the surface keeps its bitmap";

  BackBuffer buffer;
  fw::WindowDc screen(nullptr);
  ASSERT_TRUE(CreateFilledBackBuffer(buffer, screen.get(), 16, 8, RGB(10, 200, 30)));
  EXPECT_EQ(::GetPixel(buffer.dc(), 15, 7), RGB(10, 200, 30));
}

}  // namespace
}  // namespace k3

namespace k3 {
namespace {

// The viewer's per-frame work, many times over: generate, cut the region,
// hand it to a window, move and draw. No GDI object may stay behind (the
// system's own count is not kept under Wine, so the handle table is probed).
TEST(FrameCycle, LeavesNoGdiObjectsBehind) {
  fixtures::GdiplusSession gdiplus;
  CImg photo;
  ASSERT_TRUE(photo.Create(24, 179, 134));
  FillKey(photo.View());
  for (int y = 20; y < 110; ++y)
    for (int x = 30; x < 150; ++x) std::memcpy(photo.View().At(x, y), "\x10\x80\xf0", 3);
  HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 179, 134, nullptr,
                                  nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  auto cycle = [&](int i) {
    FramePtr frame = (i % 4 == 0)   ? MakeRippleFrame(photo, POINT{60 + i % 50, 50}, 134, 5)
                     : (i % 4 == 1) ? MakeWaveFrame(photo, POINT{0, 40}, i, 134, 5)
                     : (i % 4 == 2) ? MakeSphereFrame(photo, POINT{90, 67}, 50)
                                    : MakeRotateFrame(photo, i * 300);
    ASSERT_TRUE(frame);
    fw::GdiRegion region = MakeKeyRegion(*frame);
    ASSERT_TRUE(region);
    if (::SetWindowRgn(window, region.get(), FALSE)) region.release();
    ::SetWindowPos(window, nullptr, i % 300, 10, frame->Width(), frame->Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    fw::WindowDc dc(window);
    frame->Draw(dc.get(), 0, 0);
  };
  for (int i = 0; i < 40; ++i) cycle(i);
  const unsigned before = fixtures::GdiHandleHighWater();
  for (int i = 40; i < 640; ++i) cycle(i);
  const unsigned after = fixtures::GdiHandleHighWater();
  EXPECT_LT(after, before + 20) << "handle index climbed from " << before << " to " << after;
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace k3
