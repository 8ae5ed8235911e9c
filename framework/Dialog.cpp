#include "framework/Dialog.h"

#include <utility>

namespace fw {

namespace {
thread_local CDialog* t_creatingDialog = nullptr;
thread_local HHOOK t_creationHook = nullptr;
}  // namespace

LRESULT CALLBACK CDialog::CreationHook(int code, WPARAM wp, LPARAM lp) {
  // The first window created while the hook is set is the dialog itself;
  // its controls come later, when the binding is already made.
  if (code == HCBT_CREATEWND && t_creatingDialog) {
    std::exchange(t_creatingDialog, nullptr)->SubclassWindow(reinterpret_cast<HWND>(wp));
  }
  return ::CallNextHookEx(t_creationHook, code, wp, lp);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    if (auto* dialog = static_cast<CDialog*>(CWnd::FromHandle(hwnd))) return dialog->OnInitDialog();
    return TRUE;
  }
  return FALSE;
}

BOOL CDialog::Create(HWND owner) {
  if (m_hWnd) return FALSE;
  t_creatingDialog = this;
  t_creationHook = ::SetWindowsHookExW(WH_CBT, &CDialog::CreationHook, nullptr, ::GetCurrentThreadId());
  HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                   &CDialog::DialogProc, 0);
  if (t_creationHook) ::UnhookWindowsHookEx(std::exchange(t_creationHook, nullptr));
  t_creatingDialog = nullptr;
  return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  return ::IsDialogMessageW(m_hWnd, msg);
}

}  // namespace fw
