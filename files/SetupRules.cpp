#include "files/SetupRules.h"

#include <cwctype>

namespace k3 {

namespace {

// Equal without regard to case, and not empty.
bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size() || a.empty()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::wstring_view TemplatePlatform(std::wstring_view packageTemplate) {
  return packageTemplate.substr(0, packageTemplate.find(L';'));
}

std::wstring_view ProductCode(bool japanese) { return japanese ? kJapaneseProductCode : kEnglishProductCode; }
std::wstring_view UpgradeCode(bool japanese) { return japanese ? kJapaneseUpgradeCode : kEnglishUpgradeCode; }

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

std::uint64_t PackVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build, std::uint16_t revision) {
  return (std::uint64_t{major} << 48) | (std::uint64_t{minor} << 32) | (std::uint64_t{build} << 16) | revision;
}

PackageVerdict CheckPackage(const PackageFacts& package, std::wstring_view productCode, std::wstring_view upgradeCode,
                            std::wstring_view platform, std::optional<std::uint64_t> installed,
                            std::optional<std::uint64_t> announced) {
  if (!package.opened) return PackageVerdict::NotAPackage;
  if (!SameName(package.upgradeCode, upgradeCode) || !SameName(package.productCode, productCode) ||
      !SameName(package.platform, platform)) {
    return PackageVerdict::OtherProduct;
  }
  const auto version = PackVersion(package.productVersion);
  if (!version) return PackageVerdict::NotNewer;
  if (announced && *version != *announced) return PackageVerdict::NotAnnounced;
  if (installed && *version <= *installed) return PackageVerdict::NotNewer;
  return PackageVerdict::Install;
}

PackageVerdict CheckPackage(const PackageFacts& package, std::wstring_view productCode, std::wstring_view upgradeCode,
                            std::wstring_view platform, std::wstring_view installedVersion) {
  std::optional<std::uint64_t> installed;
  if (!installedVersion.empty()) {
    installed = PackVersion(installedVersion);
    if (!installed) installed = ~std::uint64_t{0};  // unreadable: nothing is newer
  }
  return CheckPackage(package, productCode, upgradeCode, platform, installed);
}

bool MatchesPin(const std::uint8_t* digest, std::size_t length, std::string_view pin) {
  if (!digest || length != kKeyDigestBytes || pin.size() != 2 * kKeyDigestBytes) return false;
  unsigned difference = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const int high = HexValue(pin[2 * i]);
    const int low = HexValue(pin[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    difference |= static_cast<unsigned>(digest[i] ^ ((high << 4) | low));
  }
  return difference == 0;
}

std::wstring SignatureName(std::wstring_view package) { return std::wstring(package) + L".p7s"; }

}  // namespace k3
