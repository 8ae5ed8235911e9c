#include "ui/ImageButton.h"

#include "imaging/ImageOps.h"

namespace k3 {

BOOL CImageButton::Create(HWND parent, UINT id, CImg* sheet, Sheet kind, int column, HBRUSH panel) {
  kind_ = kind;
  panel_ = panel;
  if (sheet) {
    int width = kIconCell, height = kIconCell, left = (column - 1) * kIconCell;
    if (kind == Sheet::Faces) {
      width = sheet->Width() / 2;
      height = sheet->Height() / 2;
      left = column * width;
    }
    normal_ = CropImage(RECT{left, 0, left + width, height}, *sheet);
    pressed_ = CropImage(RECT{left, height, left + width, 2 * height}, *sheet);
  }
  SetDoubleClickIsClick(true);
  // The button's own background never shows: the face covers it.
  SetBackground(static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)));
  return fw::CButton::Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, RECT{0, 0, 0, 0}, parent, id);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
  CImg* face = (item.itemState & ODS_SELECTED) ? pressed_.get() : normal_.get();
  const int x = item.rcItem.left, y = item.rcItem.top;
  if (kind_ == Sheet::Icons) {
    const RECT area{x, y, x + kIconCell, y + kIconCell};
    if (panel_) ::FillRect(item.hDC, &area, panel_);
    if (face) DrawMagentaKeyed(*face, item.hDC, x, y, kIconCell, kIconCell, kIconCell, kIconCell);
    return;
  }
  if (face) face->Draw(item.hDC, x, y);
}

}  // namespace k3
