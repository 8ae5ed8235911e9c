#include "kicker/KickerRules.h"

#include <cwctype>

namespace k3 {

namespace {
std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text) + L"\""; }

bool SameGuid(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}
}  // namespace

std::wstring_view PendingPackageName(bool japanese) {
  return japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi";
}

std::wstring_view ProductCode(bool japanese) { return japanese ? kJapaneseProductCode : kEnglishProductCode; }
std::wstring_view UpgradeCode(bool japanese) { return japanese ? kJapaneseUpgradeCode : kEnglishUpgradeCode; }

std::wstring UninstallCommand(std::wstring_view msiexec, std::wstring_view productCode) {
  return Quoted(msiexec) + L" /qb /x " + std::wstring(productCode);
}

std::wstring InstallCommand(std::wstring_view msiexec, std::wstring_view package) {
  return Quoted(msiexec) + L" /qb /i " + Quoted(package) + L" /norestart";
}

std::wstring ProgramCommand(std::wstring_view path) { return Quoted(path); }

std::optional<std::uint64_t> PackVersion(std::wstring_view text) {
  std::uint64_t packed = 0;
  int fields = 0;
  std::size_t i = 0;
  for (;;) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
      value = value * 10 + static_cast<std::uint32_t>(text[i] - L'0');
      if (value > 0xFFFF) return std::nullopt;
      ++i;
      ++digits;
    }
    if (digits == 0 || fields == 4) return std::nullopt;
    packed = (packed << 16) | value;
    ++fields;
    if (i == text.size()) break;
    if (text[i] != L'.') return std::nullopt;
    ++i;
  }
  return packed << (16 * (4 - fields));
}

PackageVerdict CheckPackage(const PackageFacts& package, std::wstring_view upgradeCode,
                            std::wstring_view installedVersion) {
  if (!package.opened) return PackageVerdict::NotAPackage;
  if (!SameGuid(package.upgradeCode, upgradeCode)) return PackageVerdict::OtherProduct;
  const auto version = PackVersion(package.productVersion);
  if (!version) return PackageVerdict::NotNewer;
  if (installedVersion.empty()) return PackageVerdict::Install;
  const auto installed = PackVersion(installedVersion);
  // An installed version Kicker cannot read is not replaced blindly.
  if (!installed || *version <= *installed) return PackageVerdict::NotNewer;
  return PackageVerdict::Install;
}

bool InstallerSucceeded(std::uint32_t exitCode) {
  return exitCode == 0 || exitCode == 1641 || exitCode == 3010;  // done; restart started; restart needed
}

}  // namespace k3
