#include "update/UpdateCommand.h"

#include <utility>

namespace k3 {

UpdateCommand::UpdateCommand(NetworkCheck networkAlive) : networkAlive_(networkAlive) {}

UpdateCommand::~UpdateCommand() { Stop(); }

bool UpdateCommand::Start(HWND owner) {
  if (Running()) return false;
  owner_ = owner;
  const NetworkCheck alive = networkAlive_;
  return job_.Start([alive](UpdateJob::Context& job) { return CheckAndDownload(job, alive); });
}

void UpdateCommand::Stop() {
  job_.Stop();
  hold_.Forget();
  progress_.reset();
  outcome_.reset();
  ending_ = false;
}

void UpdateCommand::OnNotice() {
  UpdateJob::Report report = job_.Pump();
  if (report.progress) {
    // The bar comes with the download's first report, owned by the
    // desktop, not cancellable.
    if (!progress_) {
      progress_ = std::make_unique<CProgressDlg>();
      if (!progress_->Open(::GetDesktopWindow(), 0, report.progress->totalKiB, false)) progress_.reset();
    }
    if (progress_) progress_->SetPos(report.progress->doneKiB);
  }
  if (!report.outcome) return;
  outcome_ = std::move(report.outcome);
  ending_ = true;
  if (!progress_) {
    Tell();
    return;
  }
  // The bar stays on the screen, full or where the download stopped, for
  // three seconds under the wait cursor before the message about it: the
  // user sees how far the download came before being asked to act on it.
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  hold_.AskWithin(kHoldMs);
}

void UpdateCommand::Tell() {
  progress_.reset();
  if (outcome_) {
    const UpdateOutcome outcome = std::move(*outcome_);
    outcome_.reset();
    ShowUpdateOutcome(owner_, outcome);
  }
  ending_ = false;
}

}  // namespace k3
