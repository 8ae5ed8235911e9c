// What the main view's windows share: their fonts and the images in the
// program's resources.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Handles.h"
#include "framework/Rect.h"
#include "imaging/Img.h"

namespace k3 {

// Moves a control of the view to `r` (client coordinates) and repaints it
// whole.
void PlaceControl(HWND control, const Rect& r);

// A font of the view: `height` pixels of character cell, `weight`, default
// character set, face "ＭＳ ゴシック" on a Japanese system, else "Arial".
fw::GdiFont MakeViewFont(int height, int weight);

// A bitmap resource as a surface; null when the resource is missing.
std::unique_ptr<CImg> LoadBitmapResource(UINT id);

// A resource holding a complete image file, decoded to a 24-bit surface;
// null when it is missing or cannot be decoded.
std::unique_ptr<CImg> LoadImageResource(UINT id);

}  // namespace k3
