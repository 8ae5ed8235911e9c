// What Kicker asks of the system, as text: the names of the waiting setup
// package, the product codes of the installed editions and the command
// lines of Windows Installer and of the main program. Pure, tested natively.
#pragma once

#include <string>
#include <string_view>

namespace k3 {

// The fixed product codes of the two editions' installers.
inline constexpr wchar_t kJapaneseProductCode[] = L"{5B1E7C2A-3D4F-4A6B-9C8D-1E2F3A4B5C61}";
inline constexpr wchar_t kEnglishProductCode[] = L"{5B1E7C2A-3D4F-4A6B-9C8D-1E2F3A4B5C62}";

// The setup package the update client leaves for the edition.
std::wstring_view PendingPackageName(bool japanese);
std::wstring_view ProductCode(bool japanese);

// "<msiexec>" /qb /x <product code>: removes the installed edition with a
// basic user interface.
std::wstring UninstallCommand(std::wstring_view msiexec, std::wstring_view productCode);

// "<msiexec>" /qb /i "<package>" /norestart: installs the package and never
// restarts the computer.
std::wstring InstallCommand(std::wstring_view msiexec, std::wstring_view package);

// A program started with no arguments: its path in quotation marks, so
// that a folder with blanks cannot start another file.
std::wstring ProgramCommand(std::wstring_view path);

}  // namespace k3
