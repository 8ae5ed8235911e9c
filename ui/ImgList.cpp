#include "ui/ImgList.h"

#include <windowsx.h>

#include "framework/Handles.h"
#include "imaging/Geometry.h"
#include "imaging/Thumbnails.h"
#include "ui/ViewResources.h"
#include "ui/ViewRules.h"

namespace k3 {

namespace {
constexpr UINT kTextFormat = DT_WORDBREAK | DT_PATH_ELLIPSIS;
}

CImgList::~CImgList() {
  if (m_hWnd) DestroyWindow();
}

void CImgList::MeasureItem(MEASUREITEMSTRUCT& item) { item.itemHeight = kRowHeight; }

void CImgList::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1) || static_cast<int>(item.itemID) >= GetCount()) return;
  const auto* entry = static_cast<const CImgThumb*>(GetItemDataPtr(static_cast<int>(item.itemID)));
  const RECT row = item.rcItem;
  const int width = row.right - row.left;
  const int height = row.bottom - row.top;
  if (width <= 0 || height <= 0) return;

  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  BackBuffer buffer;
  if (!CreateFilledBackBuffer(buffer, item.hDC, width, height, selected ? kSelectedRowColour : kRowColour)) return;
  if (entry && entry->image && !entry->image->IsNull()) {
    Size fitted = entry->image->GetSize();
    FitInside(fitted, 96, 96);
    const ThumbOrigin at = ThumbnailOrigin(fitted.width, fitted.height);
    entry->image->Draw(buffer.dc(), at.x, at.y);

    const std::wstring text = entry->path + L"\n" + PictureSizeLine(entry->width, entry->height);
    // Made at the first row and kept for all.
    if (!font_) font_ = MakeViewFont(12, FW_NORMAL);
    if (font_) {
      fw::SelectObjectScope selectedFont(buffer.dc(), font_.get());
      ::SetTextColor(buffer.dc(), palette::kRowText);
      ::SetBkMode(buffer.dc(), TRANSPARENT);
      // The block of text is centred vertically in the text area; a path too
      // long for its line loses its middle to an ellipsis.
      RECT measured{100, 0, width, kRowHeight};
      ::DrawTextW(buffer.dc(), text.c_str(), -1, &measured, kTextFormat | DT_CALCRECT);
      const int t = measured.bottom - measured.top;
      RECT area{100, (kRowHeight - t) / 2, width, kRowHeight};
      ::DrawTextW(buffer.dc(), text.c_str(), -1, &area, kTextFormat);
    }
  }
  ::BitBlt(item.hDC, row.left, row.top, width, height, buffer.dc(), 0, 0, SRCCOPY);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &row);
}

LRESULT CImgList::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) {
    const POINT point{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    const int row = ItemFromPoint(point);
    // Posted: the parent reads the selection after the list box changed it.
    ::PostMessageW(::GetParent(m_hWnd), WM_IMAGE_LIST_CLICK, static_cast<WPARAM>(row), 0);
  }
  return fw::CListBox::WindowProc(msg, wp, lp);
}

BOOL CImgList::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_CTLCOLORLISTBOX) {
    *result = reinterpret_cast<LRESULT>(background_.get());
    return TRUE;
  }
  return fw::CListBox::OnChildNotify(msg, wp, lp, result);
}

}  // namespace k3
