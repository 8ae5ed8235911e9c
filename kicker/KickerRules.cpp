#include "kicker/KickerRules.h"

namespace k3 {

namespace {
std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }
}  // namespace

std::wstring_view PendingPackageName(bool japanese) {
  return japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi";
}

std::wstring_view ProductCode(bool japanese) { return japanese ? kJapaneseProductCode : kEnglishProductCode; }

std::wstring UninstallCommand(std::wstring_view msiexec, std::wstring_view productCode) {
  return Quoted(msiexec) + L" /qb /x " + std::wstring(productCode);
}

std::wstring InstallCommand(std::wstring_view msiexec, std::wstring_view package) {
  return Quoted(msiexec) + L" /qb /i " + Quoted(package) + L" /norestart";
}

std::wstring ProgramCommand(std::wstring_view path) { return Quoted(path); }

}  // namespace k3
