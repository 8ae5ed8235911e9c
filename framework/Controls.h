// Wrappers of the system's button, static and trackbar controls beside
// CListBox. What a control sends its parent comes back to its own wrapper
// (see Wnd.h): its owner-draw requests, its clicks (WM_COMMAND), its scroll
// notifications and its colour requests. So a control's look and rules
// live in its wrapper, not in the window that holds it.
#pragma once

#include "framework/Wnd.h"

namespace fw {

// What every control of a panel shares: the brush it is painted on (not
// owned; null keeps the system's colours) and its text drawn on it
// without a box of its own, in its text colour (CLR_INVALID: the DC's).
class CControl : public CWnd {
 public:
  void SetBackground(HBRUSH brush) { background_ = brush; }
  void SetTextColour(COLORREF colour) { textColour_ = colour; }
  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  HBRUSH background_ = nullptr;
  COLORREF textColour_ = CLR_INVALID;
};

class CButton : public CControl {
 public:
  BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id);

  bool IsChecked() const;
  void SetChecked(bool checked);

  // An owner-drawn button's face.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);
  // A click (BN_CLICKED) reflected from the parent; true when the button
  // handled it itself (the parent's command table then never sees it).
  virtual bool OnClicked() { return false; }
  // Whether a quick second click, which an owner-drawn button reports as a
  // double click, counts as a click of its own.
  void SetDoubleClickIsClick(bool on) { doubleClickIsClick_ = on; }

  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

 private:
  bool doubleClickIsClick_ = false;
};

class CStatic : public CControl {
 public:
  BOOL Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id);
};

class CTrackbar : public CControl {
 public:
  BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

  void SetRange(int low, int high);
  void SetPos(int position);
  int GetPos() const;

  // A horizontal scroll notification (TB_THUMBTRACK, TB_ENDTRACK, ...)
  // reflected from the parent with the position it reports.
  virtual void OnScroll(int code, int position);

  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};

}  // namespace fw
