// CDialog: a dialog box from a dialog template, as a framework window.
//
// The dialog window is bound to its object as it is created (a creation
// hook of the thread sees it before its first message), so WM_CREATE and
// every later message reach the class's WindowProc like any other window's;
// default processing is the system's dialog procedure. The hook binds the
// first window of the dialog class only: the system may create windows of
// its own first (an input-method window, on Japanese systems). WM_INITDIALOG calls
// OnInitDialog. A modeless dialog handles its own keyboard navigation in
// PreTranslateMessage.
#pragma once

#include "framework/Wnd.h"

namespace fw {

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId) : templateId_(templateId) {}

  // Creates the dialog modelessly, owned by `owner` (may be null). FALSE,
  // and no window, when the dialog could not be created or bound.
  BOOL Create(HWND owner);

  // Called once the controls exist; TRUE lets the system set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }

  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  UINT templateId_;
};

// Whether a class name given to window creation names the system's dialog
// class (the atom 32770, or its "#32770" form).
bool IsDialogClassName(const wchar_t* className);

}  // namespace fw
