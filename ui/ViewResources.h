// What the main view's windows share: their fonts and the images in the
// program's resources.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Handles.h"
#include "framework/Rect.h"
#include "imaging/Img.h"
#include "ui/Palette.h"

namespace k3 {

// Moves a control of the view to `r` (client coordinates) and repaints it
// whole.
void PlaceControl(HWND control, const Rect& r);

// A font of the view: `height` pixels of character cell, `weight`, default
// character set, face "ＭＳ ゴシック" on a Japanese system, else "Arial".
fw::GdiFont MakeViewFont(int height, int weight);

// The resource of picture `id` drawn for `dpi`: the picture itself at 100
// per cent, or its 150 or 200 per cent drawing, whichever is nearest.
inline constexpr UINT kArt150Offset = 20000, kArt200Offset = 21000;
UINT ArtForDpi(UINT id, int dpi);

// Draws `image` into the `width` x `height` box at (x, y): as it is when it
// has that size, else resampled to fill it.
void DrawArt(CImg& image, HDC dc, int x, int y, int width, int height);

// A bitmap resource as a surface; null when the resource is missing.
std::unique_ptr<CImg> LoadBitmapResource(UINT id);

// A resource holding a complete image file, decoded to a 24-bit surface;
// null when it is missing or cannot be decoded.
std::unique_ptr<CImg> LoadImageResource(UINT id);

// The colours the view draws with now: the system's while high contrast
// is on, else the view's own.
ViewColours ColoursOfSystem();

// A copy of an icon cut from a magenta-keyed sheet in one colour: every
// pixel that is not the key becomes `colour` (the key stays), so the icon
// keeps its outline in a colour of the system's. Null for a null icon.
std::unique_ptr<CImg> IconOutline(CImg& icon, std::uint32_t colour);

}  // namespace k3
