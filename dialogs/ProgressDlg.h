// CProgressDlg: the small topmost bar shown during every long operation that
// runs on the user-interface thread. The operation keeps its own loop and
// reports progress with SetPos, which also keeps the windows painted and,
// for a cancellable operation, takes a waiting mouse click as "cancel".
#pragma once

#include "framework/Dialog.h"
#include "dialogs/ProgressMath.h"

namespace k3 {

class CProgressDlg : public fw::CDialog {
 public:
  CProgressDlg();
  // Destroys the window while this class can still answer its messages.
  ~CProgressDlg() override;

  // Opens the dialog for the caller's range [lower, upper] (any unit), owned
  // by `owner` or, without one, by the window that has the keyboard focus.
  // Only the first of several open dialogs is shown. Returns false when the
  // window cannot be created; SetPos then does nothing.
  bool Open(HWND owner, int lower, int upper, bool cancellable);

  // Reports a position in the caller's unit. 0 when the user asked to cancel
  // (a left or right button press waiting in the queue, cancellable dialogs
  // only); otherwise non-zero.
  BOOL SetPos(int position);

  // Progress dialogs whose windows exist, in the whole process.
  static int OpenCount() { return openCount_; }

  BOOL OnInitDialog() override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnCreate(UINT msg, WPARAM wp, LPARAM lp);
  void BringToTop();

  HWND bar_ = nullptr;
  ProgressScale scale_;
  int lastPosition_ = 0;
  bool cancellable_ = false;

  static inline int openCount_ = 0;
};

}  // namespace k3
