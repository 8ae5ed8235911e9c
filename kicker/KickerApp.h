// CKickerApp: the launcher the user's shortcut starts. It holds its own
// named mutex, installs a setup package the update client left in the
// program folder (when it is signed with the vendor's key and is a newer
// version of the installed edition), then starts the main program from the
// same folder and waits until it has ended. It has no window and no message
// loop of its own.
#pragma once

#include <string>

#include "framework/WinApp.h"
#include "kicker/KickerRules.h"

namespace k3 {

class CKickerApp : public fw::CWinApp {
 public:
  CKickerApp();
  // Does the whole run; always 0, so the program ends when it returns.
  BOOL InitInstance() override;
};

// Starts the command line with the show command and waits on the process
// until it has ended, handling this thread's messages meanwhile; its exit
// code, or 0 when it cannot be started.
DWORD RunAndWait(const std::wstring& commandLine, int showCommand);

// Installs a waiting package over the installed edition. It is checked
// and installed from a private copy that nobody can change meanwhile, and
// installed only when its detached signature (beside it) verifies with the
// vendor's pinned key and it is the edition's product (`productCode`,
// `upgradeCode`) with a newer version than the installed one. While the
// main program runs the update is put off. Kicker's own file is moved
// aside for the installation (a running program's file can be renamed, not
// replaced) and put back unless the new version is in place. The
// installation is one transaction of Windows Installer (a minor upgrade):
// should it fail, the installed version stays. The package and its
// signature are deleted unless the outcome keeps them for the next start.
PendingOutcome InstallPendingPackage(const std::wstring& package, const std::wstring& productCode,
                                     const std::wstring& upgradeCode);

// Windows Installer's program in the system folder.
std::wstring MsiexecPath();

}  // namespace k3
