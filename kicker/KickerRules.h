// What Kicker asks of the system, as text: the names of the waiting setup
// package, the product and upgrade codes of the editions, the command lines
// of Windows Installer and of the main program, and the check a waiting
// package must pass before the installed edition is removed for it. Pure,
// tested natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k3 {

// The fixed product codes of the two editions' installers.
inline constexpr wchar_t kJapaneseProductCode[] = L"{5B1E7C2A-3D4F-4A6B-9C8D-1E2F3A4B5C61}";
inline constexpr wchar_t kEnglishProductCode[] = L"{5B1E7C2A-3D4F-4A6B-9C8D-1E2F3A4B5C62}";
// Their upgrade codes: the same for every version of an edition.
inline constexpr wchar_t kJapaneseUpgradeCode[] = L"{7D3A9F10-2B4C-4E5D-8F6A-0B1C2D3E4F71}";
inline constexpr wchar_t kEnglishUpgradeCode[] = L"{7D3A9F10-2B4C-4E5D-8F6A-0B1C2D3E4F72}";

// The setup package the update client leaves for the edition.
std::wstring_view PendingPackageName(bool japanese);
std::wstring_view ProductCode(bool japanese);
std::wstring_view UpgradeCode(bool japanese);

// "<msiexec>" /qb /x <product code>: removes the installed edition with a
// basic user interface.
std::wstring UninstallCommand(std::wstring_view msiexec, std::wstring_view productCode);

// "<msiexec>" /qb /i "<package>" /norestart: installs the package and never
// restarts the computer.
std::wstring InstallCommand(std::wstring_view msiexec, std::wstring_view package);

// A program started with no arguments: its path in quotation marks, so
// that a folder with blanks cannot start another file.
std::wstring ProgramCommand(std::wstring_view path);

// "a.b.c.d" (one to four decimal fields of 0..65535, missing ones 0) packed
// into one number that compares as the versions do; nothing for any other
// text.
std::optional<std::uint64_t> PackVersion(std::wstring_view text);

// What a waiting package says of itself (its Property table), and what is
// installed of the edition.
struct PackageFacts {
  bool opened = false;  // it opens as a Windows Installer database
  std::wstring upgradeCode;
  std::wstring productVersion;
};

enum class PackageVerdict {
  Install,       // this edition's product, newer than the installed one
  NotAPackage,   // not a Windows Installer database
  OtherProduct,  // another product or the other edition
  NotNewer,      // not newer than the installed version (or no version)
};

// Whether Kicker may remove the installed edition for the package.
// `installedVersion` is empty when the edition is not installed; then any
// version of the edition's product will do. GUIDs compare without regard
// to case.
PackageVerdict CheckPackage(const PackageFacts& package, std::wstring_view upgradeCode,
                            std::wstring_view installedVersion);

// Windows Installer's exit codes that mean the installation is done (also
// when it asks for a restart).
bool InstallerSucceeded(std::uint32_t exitCode);

}  // namespace k3
