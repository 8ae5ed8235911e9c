// CK3Driftlet: the application object of k3driftlet. Start-up decides
// between normal mode (the main frame with the photo list, one instance at a
// time) and viewer mode (a package file's photos drift, the frame stays
// hidden).
#pragma once

#include <cstdint>

#include "desktop/Driftlet.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"

namespace k3 {

class CK3Driftlet : public fw::CWinApp {
 public:
  CK3Driftlet();

  BOOL InitInstance() override;
  int ExitInstance() override;

  // The named mutex of a running normal instance; empty in viewer mode.
  fw::KernelHandle m_instanceMutex;
  // File version of the running executable: major/minor and build/revision.
  std::uint32_t m_versionMS = 0;
  std::uint32_t m_versionLS = 0;
  // The drifting photo window, one for the whole run.
  CDriftlet m_driftlet;
  // 1 once a package named on the command line was opened.
  int m_viewerMode = 0;
  // Whether the program is the active application, as last reported to the
  // main frame.
  int m_appActive = 0;

 private:
  // Normal mode: takes the single-instance mutex, or brings the running
  // instance forward and answers false.
  bool TakeSingleInstance();
  bool oleStarted_ = false;
};

// The program's application object.
CK3Driftlet& App();

}  // namespace k3
