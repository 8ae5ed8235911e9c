// The update command: whether the vendor's service has a newer version of
// the program, and its setup package downloaded beside the program, where
// Kicker installs it at the next start.
#pragma once

#include <windows.h>

#include <string>

namespace k3 {

// 1 when the service has a newer version than the file at `program`, 0 when
// not, -1 when the check failed.
int CheckForNewerVersion(const std::wstring& program, const std::wstring& product);

// 1 when the package was downloaded whole and written to `target`, -1
// otherwise (nothing is left at `target` then, and an older package there
// stays as it was).
int DownloadSetupPackage(const std::wstring& product, const std::wstring& target);

// Whether the computer is on a network, as the system says (true when the
// system cannot tell).
bool SystemNetworkAlive();
using NetworkCheck = bool (*)();

// The whole flow with its messages: network check, version check,
// download.
void RunUpdate(HWND owner, NetworkCheck networkAlive = SystemNetworkAlive);

}  // namespace k3
