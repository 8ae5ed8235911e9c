// An owner-drawn button of the main view that draws its own face from a
// sprite sheet: the normal face and the pressed one, cut from the sheet
// when the button is made (and again for a sheet of another scale), drawn
// to fill the button. A quick second click, which the system
// reports as a double click, is a click like any other.
#pragma once

#include <memory>

#include "framework/Controls.h"
#include "imaging/Img.h"
#include "ui/Palette.h"

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
  // The colours around an icon and, with the system's colours (high
  // contrast), the button's look: a face becomes a text button in the
  // system's button colours (its name in its font), an icon its outline in
  // the panel's text colour (inverted while pressed). `panel` as at Create.
  void SetColours(const ViewColours& colours, HBRUSH panel);

  void DrawItem(const DRAWITEMSTRUCT& item) override;
  // Whether the button draws itself in the system's colours.
  bool DrawsSystemColours() const { return colours_.system; }

  // The faces as they were cut (null without a sheet).
  const CImg* NormalFace() const { return normal_.get(); }
  const CImg* PressedFace() const { return pressed_.get(); }

 private:
  Sheet kind_ = Sheet::Faces;
  int column_ = 0;
  HBRUSH panel_ = nullptr;
  std::unique_ptr<CImg> normal_;
  std::unique_ptr<CImg> pressed_;
  ViewColours colours_;
  // An icon's outlines for the system's colours: normal and pressed.
  std::unique_ptr<CImg> outline_;
  std::unique_ptr<CImg> pressedOutline_;
  void MakeOutlines();
  void DrawAsText(const DRAWITEMSTRUCT& item, bool pressed) const;
};

}  // namespace k3
