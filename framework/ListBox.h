// CListBox: a wrapper of the system list box whose owner-drawn items are
// drawn and measured by the wrapper itself (the parent's requests come back
// to it by reflection, see Wnd.h).
#pragma once

#include "framework/Wnd.h"

#include <vector>

namespace fw {

class CListBox : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

  // Overridables of an owner-drawn list box.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);
  virtual void MeasureItem(MEASUREITEMSTRUCT& item);

  int GetCount() const;
  int GetSelCount() const;
  // The selected rows in ascending order.
  std::vector<int> GetSelItems() const;
  bool GetSel(int index) const;
  int SetSel(int index, bool select);
  int AddString(const wchar_t* text);
  int DeleteString(int index);
  void* GetItemDataPtr(int index) const;
  int SetItemDataPtr(int index, void* data);
  // The row under or nearest to a client point, and whether the point lies
  // outside every row.
  int ItemFromPoint(POINT point, bool* outside = nullptr) const;
  void SetRedraw(bool redraw);

  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};

}  // namespace fw
