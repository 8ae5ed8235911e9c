// The package operations' user interface as the program shows it: the
// progress dialog over the given window and the paired error messages.
#pragma once

#include <windows.h>

#include <memory>

#include "files/Package.h"
#include "dialogs/ProgressDlg.h"

namespace k3 {

class PackageDialogs : public PackageUi {
 public:
  // `parent` owns the dialogs; null or the desktop window means none (the
  // progress dialog then goes to the window with the focus).
  explicit PackageDialogs(HWND parent);

  void BeginProgress(int lower, int upper) override;
  void SetProgress(int position) override;
  void EndProgress() override;
  void ShowError(UINT japaneseId, UINT englishId) override;

 private:
  HWND parent_;
  std::unique_ptr<CProgressDlg> progress_;
};

}  // namespace k3
