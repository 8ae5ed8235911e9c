#include "kicker/KickerRules.h"

namespace k3 {

namespace {
std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }
}  // namespace

std::wstring_view PendingPackageName(bool japanese) {
  return japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi";
}

std::wstring InstallCommand(std::wstring_view msiexec, std::wstring_view package) {
  return Quoted(msiexec) + L" /qb /i " + Quoted(package) + L" /norestart";
}

std::wstring UpgradeCommand(std::wstring_view msiexec, std::wstring_view package) {
  return Quoted(msiexec) + L" /qb /i " + Quoted(package) + L" REINSTALL=ALL REINSTALLMODE=vomus /norestart";
}

std::wstring ProgramCommand(std::wstring_view path) { return Quoted(path); }

bool InstallerSucceeded(std::uint32_t exitCode) {
  return exitCode == 0 || exitCode == 1641 || exitCode == 3010;  // done; restart started; restart needed
}

}  // namespace k3
