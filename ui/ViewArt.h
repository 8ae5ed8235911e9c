// The main view's pictures and fonts for one DPI: the button sheets, the
// title bars and the corner decoration drawn for the nearest of 100, 150
// and 200 per cent, and the fonts at the screen's pixels. Made again when
// the view's DPI changes; the view paints its title bar and corner through
// it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Handles.h"
#include "imaging/Img.h"
#include "ui/Palette.h"

namespace k3 {

struct ViewArt {
  int dpi = 96;
  std::unique_ptr<CImg> save, remove, icons, titleActive, titleInactive, corner;
  fw::GdiFont normal, bold, title, version, count;

  // Everything for `dpi`, in the system's edition (Japanese or English
  // button faces).
  static ViewArt For(int dpi);
  // The title bar at the top left: the bar of the active or inactive look
  // (none in the system's colours), the program's name and its version.
  void DrawTitleBar(HDC dc, const ViewColours& colours, bool active, const std::wstring& name, std::uint32_t versionMS,
                    std::uint32_t versionLS) const;
  // The decoration at the bottom left of a view `height` pixels high.
  void DrawCorner(HDC dc, int height) const;
};

}  // namespace k3
