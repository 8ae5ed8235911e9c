// The main view from the keyboard: Tab and the arrows move through the
// controls as in a dialog, Space and Enter press the focused button, Esc
// and F1 act from anywhere, Ctrl+V pastes copied files and Ctrl+O opens
// files as a drop adds them, the wheel scrolls the list under the pointer,
// and the focus comes back where it was when the frame is activated.
#include "ui/ChildView.h"

#include <windowsx.h>

#include "ui/ControlIds.h"
#include "ui/SaveDialog.h"

namespace k3 {

bool CChildView::PreTranslateKeys(MSG* msg) {
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return false;
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_F1)) {
    SendMessage(msg->message, msg->wParam, msg->lParam);
    return true;
  }
  // Photos without a mouse: pasted as Explorer copies files, or opened.
  if (msg->message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0 && (msg->wParam == 'V' || msg->wParam == 'O')) {
    msg->wParam == 'V' ? PastePhotos() : OpenPhotos();
    return true;
  }
  CImgList* list = photos_.List();
  if (msg->message == WM_MOUSEWHEEL && list && list->m_hWnd) {
    const POINT at{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
    if (::WindowFromPoint(at) == list->m_hWnd && msg->hwnd != list->m_hWnd) {
      list->SendMessage(msg->message, msg->wParam, msg->lParam);
      return true;
    }
    return false;
  }
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  return ::IsDialogMessageW(m_hWnd, msg) != FALSE;
}

void CChildView::ArrangeTabOrder() {
  std::vector<HWND> order;
  // Each label just before what it names.
  if (photosLabel_.m_hWnd) order.push_back(photosLabel_.m_hWnd);
  if (CImgList* list = photos_.List()) order.push_back(list->m_hWnd);
  for (HWND control : settings_.Controls()) order.push_back(control);
  for (UINT id : {ids::kSave, ids::kRemove, ids::kRemoveAll, ids::kVendorPage, ids::kProductPage, ids::kUpdate,
                  ids::kMinimize, ids::kClose}) {
    order.push_back(::GetDlgItem(m_hWnd, static_cast<int>(id)));
  }
  // Each goes below the others: the first ends on top, first in the order
  // the dialog functions walk.
  for (HWND control : order) {
    if (control) {
      ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
}

void CChildView::RememberFocus() {
  HWND focus = ::GetFocus();
  if (focus && ::IsChild(m_hWnd, focus)) lastFocus_ = focus;
}

void CChildView::RestoreFocus() {
  if (!m_hWnd) return;
  HWND target = lastFocus_ && ::IsChild(m_hWnd, lastFocus_) && ::IsWindowVisible(lastFocus_) ? lastFocus_ : nullptr;
  if (!target && photos_.List()) target = photos_.List()->m_hWnd;
  if (target) ::SetFocus(target);
}

void CChildView::PastePhotos() {
  std::vector<std::wstring> names;
  if (::OpenClipboard(m_hWnd)) {
    // The clipboard's list of files stays the clipboard's.
    if (HANDLE files = ::GetClipboardData(CF_HDROP)) names = PhotoCollection::DroppedNames(static_cast<HDROP>(files));
    ::CloseClipboard();
  }
  photos_.ImportNamed(names, m_hWnd);
}

void CChildView::OpenPhotos() { photos_.ImportNamed(AskPhotoFiles(Frame()), m_hWnd); }

bool CChildView::PressFocusedButton() {
  HWND focus = ::GetFocus();
  wchar_t kind[16] = {};
  if (!focus || ::GetParent(focus) != m_hWnd || !::GetClassNameW(focus, kind, 16) || ::lstrcmpiW(kind, L"Button")) {
    return false;
  }
  ::SendMessageW(focus, BM_CLICK, 0, 0);
  return true;
}

}  // namespace k3
