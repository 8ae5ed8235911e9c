#include "framework/Controls.h"

#include <commctrl.h>

namespace fw {

BOOL CControl::OnChildNotify(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  switch (msg) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      if (!background_) return FALSE;
      ::SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      if (textColour_ != CLR_INVALID) ::SetTextColor(reinterpret_cast<HDC>(wp), textColour_);
      *result = reinterpret_cast<LRESULT>(background_);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL CButton::Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CreateControl(L"BUTTON", text, style, rect, parent, id);
}

bool CButton::IsChecked() const { return SendMessage(BM_GETCHECK) == BST_CHECKED; }

void CButton::SetChecked(bool checked) { SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }

void CButton::DrawItem(const DRAWITEMSTRUCT&) {}

BOOL CButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      *result = TRUE;
      return TRUE;
    case WM_COMMAND: {
      const UINT code = HIWORD(wp);
      if (code == BN_DOUBLECLICKED && doubleClickIsClick_) {
        // Handed to the parent as the click it is.
        *result = ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(LOWORD(wp), BN_CLICKED), lp);
        return TRUE;
      }
      if (code == BN_CLICKED && OnClicked()) {
        *result = 0;
        return TRUE;
      }
      return FALSE;
    }
    default:
      return CControl::OnChildNotify(msg, wp, lp, result);
  }
}

BOOL CStatic::Create(const wchar_t* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CreateControl(L"STATIC", text, style, rect, parent, id);
}

BOOL CTrackbar::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CreateControl(TRACKBAR_CLASSW, L"", style, rect, parent, id);
}

void CTrackbar::SetRange(int low, int high) { SendMessage(TBM_SETRANGE, TRUE, MAKELPARAM(low, high)); }

void CTrackbar::SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }

int CTrackbar::GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }

void CTrackbar::OnScroll(int, int) {}

BOOL CTrackbar::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_HSCROLL) {
    OnScroll(LOWORD(wp), static_cast<short>(HIWORD(wp)));
    *result = 0;
    return TRUE;
  }
  return CControl::OnChildNotify(msg, wp, lp, result);
}

}  // namespace fw
