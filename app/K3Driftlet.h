// CK3Driftlet: the application object of k3driftlet. Start-up decides
// between normal mode (the main frame with the photo list, one instance at a
// time) and viewer mode (a package file's photos drift, the frame stays
// hidden).
#pragma once

#include <cstdint>
#include <memory>

#include "desktop/Driftlet.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"

namespace k3 {

class CK3Driftlet : public fw::CWinApp {
 public:
  CK3Driftlet();

  BOOL InitInstance() override;
  int ExitInstance() override;
  // Memory ran out while a show or the list was opened or played: the
  // read-error message; the extraction folder goes with the drifting
  // window in ExitInstance.
  void OnUnhandledFailure() override;

  // The named mutex of a running normal instance; empty in viewer mode.
  fw::KernelHandle m_instanceMutex;
  // File version of the running executable: major/minor and build/revision.
  std::uint32_t m_versionMS = 0;
  std::uint32_t m_versionLS = 0;
  // The drifting photo window, one for the whole run: made when the run
  // starts and gone when it ends, before the process does.
  std::unique_ptr<CDriftlet> m_driftlet;
  // Set once a package named on the command line was opened.
  bool m_viewerMode = false;
  // Whether the program is the active application, as last reported to the
  // main frame.
  bool m_appActive = false;

 private:
  // Normal mode: takes the single-instance mutex, or brings the running
  // instance forward and answers false.
  bool TakeSingleInstance();
  bool oleStarted_ = false;
};


}  // namespace k3
