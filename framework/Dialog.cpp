#include "framework/Dialog.h"

#include <cwchar>
#include <utility>

namespace fw {

bool IsDialogClassName(const wchar_t* className) {
  if (!className) return false;
  if (IS_INTRESOURCE(className)) return reinterpret_cast<ULONG_PTR>(className) == 32770;
  return std::wcscmp(className, L"#32770") == 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    // No exception crosses the system's dialog code (the i686 build cannot
    // unwind through it).
    try {
      if (auto* dialog = static_cast<CDialog*>(CWnd::FromHandle(hwnd))) return dialog->OnInitDialog();
    } catch (...) {
    }
    return TRUE;
  }
  return FALSE;
}

BOOL CDialog::Create(HWND owner) {
  if (m_hWnd) return FALSE;
  // The first window of the dialog class created meanwhile is the dialog
  // itself; its controls come later, when the binding is already made, and
  // windows the system makes first are of other classes.
  HWND hwnd;
  {
    SubclassAtCreation binding(*this, &IsDialogClassName);
    hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                &CDialog::DialogProc, 0);
  }
  if (hwnd && m_hWnd == hwnd) return TRUE;
  // The binding missed: a window this object does not answer for must not
  // stay on the screen.
  if (m_hWnd && m_hWnd != hwnd) Unbind();
  if (hwnd && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  return FALSE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  return ::IsDialogMessageW(m_hWnd, msg);
}

}  // namespace fw
