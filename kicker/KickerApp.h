// CKickerApp: the launcher the user's shortcut starts. It holds its own
// named mutex, installs a setup package the update client left in the
// program folder (when it is a newer version of the installed edition,
// which it removes first), then starts the main program from the same
// folder and waits until it has ended. It has no window and no message loop
// of its own.
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

// Starts the command line with the show command and waits until the
// process has ended, keeping this thread's windows painted; its exit code,
// or 0 when it cannot be started.
DWORD RunAndWait(const std::wstring& commandLine, int showCommand);

// What the package's Property table says (its upgrade code and version).
PackageFacts ReadPackageFacts(const std::wstring& package);

// Installs a waiting package in place of the installed edition, and deletes
// it whatever happened. Nothing is removed unless the package is a Windows
// Installer database of the edition's product (`upgradeCode`) with a newer
// version than the installed one. When the new package fails to install
// after the removal, the removed version is installed again from a copy of
// the package Windows Installer kept for it. 1 when the package's version
// is installed at the end, otherwise 0.
int InstallPendingPackage(const std::wstring& package, const std::wstring& productCode, const std::wstring& upgradeCode);

// Windows Installer's program in the system folder.
std::wstring MsiexecPath();

}  // namespace k3
