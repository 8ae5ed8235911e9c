#include "ui/ViewResources.h"

#include "framework/Dpi.h"
#include "framework/Texts.h"
#include "imaging/ImageOps.h"
#include "res/resource.h"

namespace k3 {

fw::GdiFont MakeViewFont(int height, int weight) {
  const wchar_t* face = IsJapaneseSystem() ? L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF" : L"Arial";
  return fw::GdiFont(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

static_assert(IDB_LOGO_150 == IDB_LOGO + kArt150Offset && IDR_ICON_IMAGE_200 == IDR_ICON_IMAGE + kArt200Offset,
              "the drawings at 150 and 200 per cent are numbered after the picture's own");

UINT ArtForDpi(UINT id, int dpi) {
  const int percent = ArtPercentForDpi(dpi);
  return percent == 150 ? id + kArt150Offset : percent == 200 ? id + kArt200Offset : id;
}

void DrawArt(CImg& image, HDC dc, int x, int y, int width, int height) {
  if (image.IsNull()) return;
  if (image.Width() == width && image.Height() == height) {
    image.Draw(dc, x, y);
  } else {
    DrawImagePartBicubic(RECT{0, 0, image.Width(), image.Height()}, image, dc, x, y, width, height);
  }
}

std::unique_ptr<CImg> LoadBitmapResource(UINT id) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return nullptr;
  auto image = std::make_unique<CImg>();
  image->Attach(bitmap);
  return image;
}

std::unique_ptr<CImg> LoadImageResource(UINT id) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return nullptr;
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(module, info);
  if (!bytes || size == 0) return nullptr;
  auto image = std::make_unique<CImg>();
  if (!LoadImageFromMemory(size, *image, bytes)) return nullptr;
  return image;
}

void PlaceControl(HWND control, const Rect& r) {
  if (!control) return;
  ::MoveWindow(control, r.left, r.top, r.Width(), r.Height(), TRUE);
  ::InvalidateRect(control, nullptr, TRUE);
}

ViewColours ColoursOfSystem() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) ||
      !(contrast.dwFlags & HCF_HIGHCONTRASTON)) {
    return ViewColours{};
  }
  const auto c = [](int index) { return static_cast<std::uint32_t>(::GetSysColor(index)); };
  return HighContrastColours(SystemColours{c(COLOR_WINDOW), c(COLOR_WINDOWTEXT), c(COLOR_HIGHLIGHT),
                                           c(COLOR_HIGHLIGHTTEXT), c(COLOR_BTNFACE), c(COLOR_BTNTEXT),
                                           c(COLOR_GRAYTEXT)});
}

std::unique_ptr<CImg> IconOutline(CImg& icon, std::uint32_t colour) {
  if (icon.IsNull()) return nullptr;
  auto outline = std::make_unique<CImg>();
  if (!outline->Create(24, icon.Width(), icon.Height())) return nullptr;
  {
    ImgDc dc(*outline);
    icon.Draw(dc.get(), 0, 0);
  }
  // Magenta is the key: a colour that happens to be magenta is drawn one
  // step off it.
  if (colour == RGB(255, 0, 255)) colour = RGB(254, 0, 255);
  PaintOutline(outline->View(), Bgr{255, 0, 255}, Bgr{GetBValue(colour), GetGValue(colour), GetRValue(colour)});
  return outline;
}

}  // namespace k3
