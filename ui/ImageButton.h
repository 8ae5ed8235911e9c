// An owner-drawn button of the main view that draws its own face from a
// sprite sheet: the normal face and the pressed one, cut from the sheet
// when the button is made (and again for a sheet of another scale), drawn
// to fill the button. A quick second click, which the system
// reports as a double click, is a click like any other.
#pragma once

#include <memory>

#include "framework/Controls.h"
#include "imaging/Img.h"

namespace k3 {

class CImageButton : public fw::CButton {
 public:
  // How a sheet is laid out.
  enum class Sheet {
    // Two faces side by side, each half the sheet wide and half high:
    // normal above, pressed below (Save, Delete and Delete All).
    Faces,
    // Square cells half the sheet high (17 x 17 at 100 per cent), the
    // normal row above the pressed one, the key colour magenta shown as the
    // panel (the title bar's buttons).
    Icons,
  };

  // Creates the button; `column` picks the face in the sheet (for icons
  // counted from 1). Without a sheet the button draws no face. `panel`
  // is the brush around an icon (not owned). `name` is its window text,
  // which the face does not show: what a screen reader calls it.
  BOOL Create(HWND parent, UINT id, CImg* sheet, Sheet kind, int column, HBRUSH panel, const wchar_t* name = L"");
  // Cuts the faces again from `sheet` (the same layout at another scale).
  void SetSheet(CImg* sheet);

  void DrawItem(const DRAWITEMSTRUCT& item) override;

  // The faces as they were cut (null without a sheet).
  const CImg* NormalFace() const { return normal_.get(); }
  const CImg* PressedFace() const { return pressed_.get(); }

 private:
  Sheet kind_ = Sheet::Faces;
  int column_ = 0;
  HBRUSH panel_ = nullptr;
  std::unique_ptr<CImg> normal_;
  std::unique_ptr<CImg> pressed_;
};

}  // namespace k3
