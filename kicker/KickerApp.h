// CKickerApp: the launcher the user's shortcut starts. It holds its own
// named mutex, installs a setup package the update client left in the
// program folder (removing the installed edition first), then starts the
// main program from the same folder and waits until it has ended. It has no
// window and no message loop of its own.
#pragma once

#include <string>

#include "framework/WinApp.h"

namespace k3 {

class CKickerApp : public fw::CWinApp {
 public:
  CKickerApp();
  // Does the whole run; always 0, so the program ends when it returns.
  BOOL InitInstance() override;
};

// Starts the command line with the show command and waits until the
// process has ended, keeping this thread's windows painted; its exit code,
// or 0 when it cannot be started.
DWORD RunAndWait(const std::wstring& commandLine, int showCommand);

// Removes the installed edition, installs the package and deletes it
// (whatever the installer reported). Always 1.
int InstallPendingPackage(const std::wstring& package, const std::wstring& productCode);

// Windows Installer's program in the system folder.
std::wstring MsiexecPath();

}  // namespace k3
