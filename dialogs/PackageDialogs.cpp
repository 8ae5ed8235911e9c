#include "dialogs/PackageDialogs.h"

#include "framework/Texts.h"

namespace k3 {

PackageDialogs::PackageDialogs(HWND parent) : parent_(parent == ::GetDesktopWindow() ? nullptr : parent) {}

void PackageDialogs::BeginProgress(int lower, int upper) {
  progress_ = std::make_unique<CProgressDlg>();
  // A dialog that cannot be made leaves the operation without one; it still
  // runs.
  progress_->Open(parent_, lower, upper, false);
}

void PackageDialogs::SetProgress(int position) {
  if (progress_) progress_->SetPos(position);
}

void PackageDialogs::EndProgress() { progress_.reset(); }

void PackageDialogs::ShowError(UINT japaneseId, UINT englishId) {
  ShowPairedMessage(parent_, japaneseId, englishId, MB_OK | MB_ICONERROR);
}

}  // namespace k3
