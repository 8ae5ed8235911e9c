// The update command: whether the vendor's service has a newer version of
// the program, and its setup package downloaded beside the program, where
// Kicker installs it at the next start. Only a package signed with the
// vendor's pinned key, of this edition's product and of the announced,
// newer version is ever written.
#pragma once

#include <windows.h>

#include <string>

#include "update/UpdateRules.h"

namespace k3 {

// 1 when the service has a newer version than the file at `program`, 0 when
// not, -1 when the check failed. `announced` receives the service's
// version, `running` the program's.
int CheckForNewerVersion(const std::wstring& program, const std::wstring& product, Version* announced = nullptr,
                         Version* running = nullptr);

// What a downloaded package must be to be written.
struct ExpectedPackage {
  bool japanese = false;   // the edition: its product and upgrade codes
  Version announced;       // the version the service announced
  Version running;         // the running program's, which it must exceed
};

// 1 when the package was downloaded whole, verified and written to `target`
// with its signature beside it, -1 otherwise (nothing is written then, and
// an older package there stays as it was).
int DownloadSetupPackage(const std::wstring& product, const std::wstring& target, const ExpectedPackage& expected);

// Whether the computer is on a network, as the system says (true when the
// system cannot tell).
bool SystemNetworkAlive();
using NetworkCheck = bool (*)();

// The whole flow with its messages: network check, version check,
// download.
void RunUpdate(HWND owner, NetworkCheck networkAlive = SystemNetworkAlive);

}  // namespace k3
