#include "ui/ImageButton.h"

#include "framework/Handles.h"
#include "imaging/ImageOps.h"
#include "ui/ViewResources.h"

namespace k3 {

BOOL CImageButton::Create(HWND parent, UINT id, CImg* sheet, Sheet kind, int column, HBRUSH panel,
                          const wchar_t* name) {
  kind_ = kind;
  column_ = column;
  panel_ = panel;
  SetSheet(sheet);
  SetDoubleClickIsClick(true);
  // The button's own background never shows: the face covers it.
  SetBackground(static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH)));
  // A stop of the keyboard's Tab, in a group of its own.
  return fw::CButton::Create(name ? name : L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_OWNERDRAW,
                             RECT{0, 0, 0, 0}, parent, id);
}

void CImageButton::SetSheet(CImg* sheet) {
  normal_.reset();
  pressed_.reset();
  if (!sheet || sheet->IsNull()) return;
  const int height = sheet->Height() / 2;
  int width = height, left = (column_ - 1) * height;
  if (kind_ == Sheet::Faces) {
    width = sheet->Width() / 2;
    left = column_ * width;
  }
  normal_ = CropImage(RECT{left, 0, left + width, height}, *sheet);
  pressed_ = CropImage(RECT{left, height, left + width, 2 * height}, *sheet);
  MakeOutlines();
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CImageButton::SetColours(const ViewColours& colours, HBRUSH panel) {
  colours_ = colours;
  panel_ = panel;
  MakeOutlines();
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CImageButton::MakeOutlines() {
  outline_.reset();
  pressedOutline_.reset();
  if (!colours_.system || kind_ != Sheet::Icons || !normal_) return;
  outline_ = IconOutline(*normal_, colours_.panelText);
  pressedOutline_ = IconOutline(*normal_, colours_.panel);
}

void CImageButton::DrawAsText(const DRAWITEMSTRUCT& item, bool pressed) const {
  const RECT& area = item.rcItem;
  fw::GdiBrush face(::CreateSolidBrush(pressed ? colours_.buttonText : colours_.buttonFace));
  fw::GdiBrush edge(::CreateSolidBrush(colours_.buttonText));
  if (face) ::FillRect(item.hDC, &area, face.get());
  if (edge) ::FrameRect(item.hDC, &area, edge.get());
  wchar_t name[64] = L"";
  ::GetWindowTextW(m_hWnd, name, 64);
  fw::SelectObjectScope font(item.hDC, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
  ::SetTextColor(item.hDC, pressed ? colours_.buttonFace : colours_.buttonText);
  ::SetBkMode(item.hDC, TRANSPARENT);
  RECT text = area;
  ::DrawTextW(item.hDC, name, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  CImg* face = pressed ? pressed_.get() : normal_.get();
  const RECT& area = item.rcItem;
  const int x = area.left, y = area.top, width = area.right - area.left, height = area.bottom - area.top;
  if (colours_.system && kind_ == Sheet::Icons) {
    // The icon's outline; pressed, the colours change places.
    fw::GdiBrush back(::CreateSolidBrush(pressed ? colours_.panelText : colours_.panel));
    if (back) ::FillRect(item.hDC, &area, back.get());
    CImg* outline = pressed ? pressedOutline_.get() : outline_.get();
    if (outline) DrawMagentaKeyed(*outline, item.hDC, x, y, width, height, outline->Width(), outline->Height());
  } else if (colours_.system) {
    DrawAsText(item, pressed);
  } else if (kind_ == Sheet::Icons) {
    if (panel_) ::FillRect(item.hDC, &area, panel_);
    if (face) DrawMagentaKeyed(*face, item.hDC, x, y, width, height, face->Width(), face->Height());
  } else if (face) {
    // The face made for the nearest scale fills a button of another size.
    DrawArt(*face, item.hDC, x, y, width, height);
  }
  // Where the keyboard's focus is (unless the system hides focus cues
  // until the keyboard is used).
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT cue = area;
    ::InflateRect(&cue, -2, -2);
    ::DrawFocusRect(item.hDC, &cue);
  }
}

}  // namespace k3
