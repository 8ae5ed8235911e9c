// What Kicker asks of the system, as text: the names of the waiting setup
// package and the command lines of Windows Installer and of the main
// program (the checks of a package are the update client's too:
// files/SetupRules.h). Pure, tested natively.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
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

// Windows Installer's exit codes after which the same package may well
// install at the next start: another installation was in progress (1618),
// or the user cancelled (1602).
bool InstallerInterrupted(std::uint32_t exitCode);

// Where Kicker moves its own file while an installation runs: beside it,
// under its name with ".old" added. A running program's file cannot be
// overwritten on Windows, but it can be renamed, so the package can put the
// new Kicker in its place.
std::wstring AsideName(std::wstring_view self);

// The version a waiting package must be newer than: the edition's
// registered version, or the oldest of the installed programs' own file
// versions when that is older (an update registered without its files in
// place is then installed again). A program file without a version (missing
// or unreadable) counts as the oldest of all. Nothing when the edition is
// not installed.
std::optional<std::uint64_t> VersionToReplace(std::optional<std::uint64_t> registered,
                                              std::initializer_list<std::optional<std::uint64_t>> programFiles);

// The file version (packed as PackVersion does) of a program's file, read
// from its bytes: the fixed part of its version resource, which follows the
// key "VS_VERSION_INFO". Kicker reads it so, not through the system's
// loader, which answers a question about a running program's path from the
// program as it was loaded, also after its file was renamed and replaced.
// Nothing when the bytes hold no version resource.
std::optional<std::uint64_t> ProgramFileVersion(const std::uint8_t* bytes, std::size_t size);

// What became of a waiting package.
enum class PendingOutcome {
  Installed,    // its version is installed, and both programs' files are of it
  Refused,      // not the vendor's newer package of the edition: deleted
  PutOff,       // the program runs (its file is in use): kept for the next start
  Interrupted,  // another installation ran, or the user cancelled: kept
  Failed,       // the installation failed or left other files: deleted
};

// Whether the package and its signature stay for the next start.
bool KeepsPackage(PendingOutcome outcome);

}  // namespace k3
