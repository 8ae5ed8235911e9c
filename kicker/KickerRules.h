// What Kicker asks of the system, as text: the names of the waiting setup
// package and the command lines of Windows Installer and of the main
// program (the checks of a package are the update client's too:
// files/SetupRules.h). Pure, tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/SetupRules.h"

namespace k3 {

// The setup package the update client leaves for the edition.
std::wstring_view PendingPackageName(bool japanese);


// "<msiexec>" /qb /i "<package>" /norestart: installs the package and never
// restarts the computer.
std::wstring InstallCommand(std::wstring_view msiexec, std::wstring_view package);

// The same as a minor upgrade of the installed edition (same product code,
// newer version): every feature installed again from the new package, which
// Windows Installer caches in place of the old one ("vomus"). One
// transaction: should it fail, Windows Installer puts the installed version
// back as it was.
std::wstring UpgradeCommand(std::wstring_view msiexec, std::wstring_view package);

// A program started with no arguments: its path in quotation marks, so
// that a folder with blanks cannot start another file.
std::wstring ProgramCommand(std::wstring_view path);

// Windows Installer's exit codes that mean the installation is done (also
// when it asks for a restart).
bool InstallerSucceeded(std::uint32_t exitCode);

}  // namespace k3
