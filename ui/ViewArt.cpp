#include "ui/ViewArt.h"

#include <cwchar>

#include "framework/Dpi.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/ViewResources.h"

namespace k3 {

ViewArt ViewArt::For(int dpi) {
  ViewArt art;
  art.dpi = dpi;
  const bool japanese = IsJapaneseSystem();
  art.save = LoadImageResource(ArtForDpi(japanese ? IDR_SAVE_IMAGE_JA : IDR_SAVE_IMAGE_EN, dpi));
  art.remove = LoadImageResource(ArtForDpi(japanese ? IDR_REMOVE_IMAGE_JA : IDR_REMOVE_IMAGE_EN, dpi));
  art.icons = LoadImageResource(ArtForDpi(IDR_ICON_IMAGE, dpi));
  art.titleActive = LoadBitmapResource(ArtForDpi(IDB_TITLE_ACTIVE, dpi));
  art.titleInactive = LoadBitmapResource(ArtForDpi(IDB_TITLE_INACTIVE, dpi));
  art.corner = LoadBitmapResource(ArtForDpi(IDB_CORNER, dpi));
  const auto font = [dpi](int height, int weight) { return MakeViewFont(ScaleForDpi(height, dpi), weight); };
  art.normal = font(16, FW_NORMAL);
  art.bold = font(16, FW_BOLD);
  art.title = font(14, FW_BOLD);
  art.version = font(12, FW_NORMAL);
  art.count = font(12, FW_NORMAL);
  return art;
}

void ViewArt::DrawTitleBar(HDC dc, const ViewColours& colours, bool active, const std::wstring& name,
                           std::uint32_t versionMS, std::uint32_t versionLS) const {
  const auto s = [this](int logical) { return ScaleForDpi(logical, dpi); };
  CImg* bar = active ? titleActive.get() : titleInactive.get();
  if (bar && !colours.system) DrawArt(*bar, dc, 0, 0, s(455), s(28));
  ::SetTextColor(dc, active ? colours.titleActive : colours.titleInactive);
  ::SetBkMode(dc, TRANSPARENT);
  SIZE extent{0, 0};
  {
    fw::SelectObjectScope selected(dc, title.get());
    ::TextOutW(dc, s(19), s(8), name.c_str(), static_cast<int>(name.size()));
    ::GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &extent);
  }
  wchar_t text[64];
  swprintf(text, 64, L" Ver.%d.%d.%d.%d", static_cast<int>(HIWORD(versionMS)), static_cast<int>(LOWORD(versionMS)),
           static_cast<int>(HIWORD(versionLS)), static_cast<int>(LOWORD(versionLS)));
  fw::SelectObjectScope selected(dc, version.get());
  ::TextOutW(dc, s(19) + extent.cx, s(10), text, static_cast<int>(wcslen(text)));
}

void ViewArt::DrawCorner(HDC dc, int height) const {
  const int width = ScaleForDpi(38, dpi), cornerHeight = ScaleForDpi(34, dpi);
  if (corner) DrawArt(*corner, dc, 0, height - cornerHeight, width, cornerHeight);
}

}  // namespace k3
