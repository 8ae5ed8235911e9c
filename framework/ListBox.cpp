#include "framework/ListBox.h"

namespace fw {

BOOL CListBox::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CreateControl(L"LISTBOX", nullptr, style, rect, parent, id);
}

void CListBox::DrawItem(const DRAWITEMSTRUCT&) {}

void CListBox::MeasureItem(MEASUREITEMSTRUCT&) {}

BOOL CListBox::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      *result = TRUE;
      return TRUE;
    case WM_MEASUREITEM:
      MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp));
      *result = TRUE;
      return TRUE;
    default:
      return FALSE;
  }
}

int CListBox::GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }

int CListBox::GetSelCount() const {
  const LRESULT n = SendMessage(LB_GETSELCOUNT);
  return n == LB_ERR ? 0 : static_cast<int>(n);
}

std::vector<int> CListBox::GetSelItems() const {
  std::vector<int> items(static_cast<std::size_t>(GetSelCount()));
  if (items.empty()) return items;
  const LRESULT n = SendMessage(LB_GETSELITEMS, items.size(), reinterpret_cast<LPARAM>(items.data()));
  items.resize(n == LB_ERR ? 0 : static_cast<std::size_t>(n));
  return items;
}

bool CListBox::GetSel(int index) const { return SendMessage(LB_GETSEL, static_cast<WPARAM>(index)) > 0; }

int CListBox::SetSel(int index, bool select) {
  return static_cast<int>(SendMessage(LB_SETSEL, select ? TRUE : FALSE, index));
}

int CListBox::AddString(const wchar_t* text) {
  return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CListBox::DeleteString(int index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }

void* CListBox::GetItemDataPtr(int index) const {
  const LRESULT data = SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index));
  return data == LB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

int CListBox::SetItemDataPtr(int index, void* data) {
  return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(data)));
}

int CListBox::ItemFromPoint(POINT point, bool* outside) const {
  const LRESULT r = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (outside) *outside = HIWORD(r) != 0;
  return LOWORD(r);
}

void CListBox::SetRedraw(bool redraw) { SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE); }

}  // namespace fw
