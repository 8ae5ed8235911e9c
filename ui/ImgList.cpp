#include "ui/ImgList.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "imaging/Geometry.h"
#include "imaging/ImageOps.h"
#include "ui/BackBuffer.h"
#include "ui/ViewResources.h"
#include "ui/ViewRules.h"

namespace k3 {

namespace {
constexpr UINT kTextFormat = DT_WORDBREAK | DT_PATH_ELLIPSIS;
}

CImgList::~CImgList() {
  if (m_hWnd) DestroyWindow();
}

int CImgList::RowHeight() const { return ScaleForDpi(kRowHeight, RowDpi(dpi_)); }

int CImgList::ThumbnailSide() const { return ScaleForDpi(kThumbnailSide, RowDpi(dpi_)); }

void CImgList::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  font_.reset();
  if (m_hWnd) {
    ::SendMessageW(m_hWnd, LB_SETITEMHEIGHT, 0, RowHeight());
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
  }
}

void CImgList::SetColours(const ViewColours& colours) {
  colours_ = colours;
  background_ = fw::GdiBrush(::CreateSolidBrush(colours.list));
  placeholder_ = fw::GdiBrush(::CreateSolidBrush(colours.placeholder));
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CImgList::MeasureItem(MEASUREITEMSTRUCT& item) { item.itemHeight = RowHeight(); }

void CImgList::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) {
    // The focus of an empty list: the list's own colour, and the focus cue
    // where the first row would be.
    ::FillRect(item.hDC, &item.rcItem, background_.get());
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
    return;
  }
  if (static_cast<int>(item.itemID) >= GetCount()) return;
  const auto* entry = static_cast<const CImgThumb*>(GetItemDataPtr(static_cast<int>(item.itemID)));
  const RECT row = item.rcItem;
  const int width = row.right - row.left;
  const int height = row.bottom - row.top;
  if (width <= 0 || height <= 0) return;

  // The model's selection, which the box's own follows.
  const bool selected = entry ? entry->selected : (item.itemState & ODS_SELECTED) != 0;
  BackBuffer buffer;
  if (!CreateFilledBackBuffer(buffer, item.hDC, width, height, selected ? colours_.selectedRow : colours_.list)) return;
  if (selected) {
    // A mark besides the tint: a frame round the row, outside the
    // thumbnail's box.
    fw::GdiBrush mark(::CreateSolidBrush(colours_.selectionMark));
    const int t = ScaleForDpi(kSelectionMarkWidth, RowDpi(dpi_));
    for (const RECT& edge : {RECT{0, 0, width, t}, RECT{0, height - t, width, height}, RECT{0, 0, t, height},
                             RECT{width - t, 0, width, height}}) {
      if (mark) ::FillRect(buffer.dc(), &edge, mark.get());
    }
  }
  if (entry) {
    const int rowDpi = RowDpi(dpi_);
    const int side = ThumbnailSide(), rowHeight = RowHeight(), textLeft = ScaleForDpi(100, rowDpi);
    if (entry->image && entry->image->Width() > 0) {
      // A thumbnail of another DPI stands in, centred, until its own comes.
      const ThumbOrigin at =
          ThumbnailOrigin(std::min(entry->image->Width(), side), std::min(entry->image->Height(), side), rowDpi);
      DrawPixels(buffer.dc(), at.x, at.y, *entry->image);
    } else if (entry->width > 0 && entry->height > 0) {
      // Not made yet: a quiet box where the thumbnail will be.
      Size fitted{entry->width, entry->height};
      FitInside(fitted, side, side);
      const ThumbOrigin at = ThumbnailOrigin(fitted.width, fitted.height, rowDpi);
      const RECT box{at.x, at.y, at.x + fitted.width, at.y + fitted.height};
      ::FillRect(buffer.dc(), &box, placeholder_.get());
    }

    const std::wstring text = entry->path + L"\n" + PictureSizeLine(entry->width, entry->height);
    // Made at the first row and kept for all.
    if (!font_) font_ = MakeViewFont(ScaleForDpi(12, dpi_), FW_NORMAL);
    if (font_) {
      fw::SelectObjectScope selectedFont(buffer.dc(), font_.get());
      ::SetTextColor(buffer.dc(), selected ? colours_.selectedRowText : colours_.rowText);
      ::SetBkMode(buffer.dc(), TRANSPARENT);
      // The block of text is centred vertically in the text area; a path too
      // long for its line loses its middle to an ellipsis.
      RECT measured{textLeft, 0, width, rowHeight};
      ::DrawTextW(buffer.dc(), text.c_str(), -1, &measured, kTextFormat | DT_CALCRECT);
      const int t = measured.bottom - measured.top;
      RECT area{textLeft, (rowHeight - t) / 2, width, rowHeight};
      ::DrawTextW(buffer.dc(), text.c_str(), -1, &area, kTextFormat);
    }
  }
  ::BitBlt(item.hDC, row.left, row.top, width, height, buffer.dc(), 0, 0, SRCCOPY);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &row);
}

std::vector<int> CImgList::RowsOnScreen() const {
  std::vector<int> rows;
  if (!m_hWnd) return rows;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const int top = static_cast<int>(::SendMessageW(m_hWnd, LB_GETTOPINDEX, 0, 0));
  const int count = GetCount();
  for (int row = std::max(top, 0), y = 0; row < count && y < client.bottom; ++row, y += RowHeight())
    rows.push_back(row);
  return rows;
}

void CImgList::RedrawRow(int row) {
  RECT rect{};
  if (::SendMessageW(m_hWnd, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
    ::InvalidateRect(m_hWnd, &rect, FALSE);
  }
}

void CImgList::ShowSelection(const std::vector<int>& rows) {
  if (!m_hWnd) return;
  const std::vector<int> now = GetSelItems();
  showing_ = true;
  // Both ascending: only the rows that differ change.
  std::size_t i = 0, j = 0;
  while (i < now.size() || j < rows.size()) {
    if (j == rows.size() || (i < now.size() && now[i] < rows[j])) {
      SetSel(now[i++], false);
    } else if (i == now.size() || rows[j] < now[i]) {
      SetSel(rows[j++], true);
    } else {
      ++i, ++j;
    }
  }
  showing_ = false;
}

bool CImgList::OnKey(UINT key) {
  const bool control = ::GetKeyState(VK_CONTROL) < 0, shift = ::GetKeyState(VK_SHIFT) < 0;
  if (key == 'A' && control && asked_) {
    asked_(-1, -1, true);
    return true;
  }
  if (key == VK_DELETE && !control && !shift && deleteKey_) {
    deleteKey_();
    return true;
  }
  const bool move =
      key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT;
  if (move && shift) {
    if (anchor_ < 0) anchor_ = static_cast<int>(::SendMessageW(m_hWnd, LB_GETCARETINDEX, 0, 0));
  } else if (key != VK_SHIFT) {
    anchor_ = -1;
  }
  return false;
}

LRESULT CImgList::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (asked_ && !showing_) {
    switch (msg) {
      case LB_SETSEL:
        return asked_(static_cast<int>(lp), static_cast<int>(lp), wp != FALSE) ? 0 : LB_ERR;
      case LB_SELITEMRANGE: {
        const int first = LOWORD(lp), last = HIWORD(lp);
        return asked_(std::min(first, last), std::max(first, last), wp != FALSE) ? 0 : LB_ERR;
      }
      case LB_SELITEMRANGEEX: {
        // A range given backwards deselects.
        const int first = static_cast<int>(wp), last = static_cast<int>(lp);
        return asked_(std::min(first, last), std::max(first, last), first <= last) ? 0 : LB_ERR;
      }
    }
  }
  if (msg == WM_KEYDOWN && OnKey(static_cast<UINT>(wp))) return 0;
  const LRESULT result = fw::CListBox::WindowProc(msg, wp, lp);
  // Shift with a move of the caret selects from where it began to where it
  // is now.
  if (msg == WM_KEYDOWN && anchor_ >= 0 && asked_) {
    const int caret = static_cast<int>(::SendMessageW(m_hWnd, LB_GETCARETINDEX, 0, 0));
    if (caret >= 0) asked_(std::min(anchor_, caret), std::max(anchor_, caret), true);
  }
  // Told once the box has changed its own selection for a click or a key.
  if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_KEYDOWN || msg == WM_CHAR) && made_ && m_hWnd) {
    made_();
  }
  if (msg == WM_VSCROLL || msg == WM_MOUSEWHEEL || msg == WM_KEYDOWN || msg == WM_SIZE || msg == LB_SETTOPINDEX) {
    const int top = static_cast<int>(::SendMessageW(m_hWnd, LB_GETTOPINDEX, 0, 0));
    if ((top != lastTop_ || msg == WM_SIZE) && scrolled_) {
      lastTop_ = top;
      scrolled_();
    }
  }
  return result;
}

BOOL CImgList::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_CTLCOLORLISTBOX) {
    // The brush, and the colour the box fills with itself (where the focus
    // cue of an empty list goes).
    ::SetBkColor(reinterpret_cast<HDC>(wp), colours_.list);
    *result = reinterpret_cast<LRESULT>(background_.get());
    return TRUE;
  }
  return fw::CListBox::OnChildNotify(msg, wp, lp, result);
}

}  // namespace k3
