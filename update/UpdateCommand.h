// The update command as the user runs it from the main window: the job
// (version check and download) runs on a worker while the interface thread
// goes on; the borderless bar of the download follows its progress, stays
// three seconds when it ends, full or where the download stopped, and then
// the command tells the user how it ended. One command at a time.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "dialogs/ProgressDlg.h"
#include "framework/WorkNotice.h"
#include "update/UpdateJob.h"
#include "update/Updater.h"

namespace k3 {

class UpdateCommand {
 public:
  explicit UpdateCommand(NetworkCheck networkAlive = SystemNetworkAlive);
  ~UpdateCommand();
  UpdateCommand(const UpdateCommand&) = delete;
  UpdateCommand& operator=(const UpdateCommand&) = delete;

  // Starts the command, its messages owned by `owner`; false (nothing
  // happens) while one runs.
  bool Start(HWND owner);
  // From Start until the last message is answered.
  bool Running() const { return job_.Running() || ending_; }
  // The program ends: a command under way stops at once, writes nothing
  // and tells nothing.
  void Stop();

  // How long the bar stays before the message.
  static constexpr UINT kHoldMs = 3000;

 private:
  void OnNotice();
  void Tell();

  NetworkCheck networkAlive_;
  HWND owner_ = nullptr;
  std::unique_ptr<CProgressDlg> progress_;
  std::optional<UpdateOutcome> outcome_;
  bool ending_ = false;
  // The bar's three seconds, then the message.
  fw::CWorkNotice hold_{[this] { Tell(); }};
  // Declared before the job, whose worker asks it.
  fw::CWorkNotice notice_{[this] { OnNotice(); }};
  UpdateJob job_{[this] { return notice_.Ask(); }};
};

}  // namespace k3
