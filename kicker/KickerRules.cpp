#include "kicker/KickerRules.h"

#include <algorithm>

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

bool InstallerInterrupted(std::uint32_t exitCode) { return exitCode == 1618 || exitCode == 1602; }

std::wstring AsideName(std::wstring_view self) { return std::wstring(self) + L".old"; }

std::optional<std::uint64_t> VersionToReplace(std::optional<std::uint64_t> registered,
                                              std::initializer_list<std::optional<std::uint64_t>> programFiles) {
  if (!registered) return std::nullopt;
  std::uint64_t oldest = *registered;
  for (const auto& file : programFiles) oldest = std::min(oldest, file.value_or(0));
  return oldest;
}

std::optional<std::uint64_t> ProgramFileVersion(const std::uint8_t* bytes, std::size_t size) {
  // VS_VERSIONINFO: three 16-bit words (its length, the length of its value,
  // its type), the key in UTF-16 with its null, padding to 32 bits, then
  // VS_FIXEDFILEINFO: signature, structure version, file version (most and
  // least significant double words).
  static constexpr char kKey[] = "VS_VERSION_INFO";
  constexpr std::size_t kKeyBytes = sizeof kKey * 2;  // with the null
  constexpr std::size_t kFixedOffset = (6 + kKeyBytes + 3) & ~std::size_t{3};
  constexpr std::size_t kFixedBytes = 52;
  constexpr std::uint32_t kSignature = 0xFEEF04BD;
  const auto word32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
  };
  if (!bytes || size < kFixedOffset + kFixedBytes) return std::nullopt;
  for (std::size_t start = 0; start + kFixedOffset + kFixedBytes <= size; start += 2) {
    bool key = true;
    for (std::size_t i = 0; key && i < sizeof kKey; ++i) {
      key = bytes[start + 6 + 2 * i] == static_cast<std::uint8_t>(kKey[i]) && bytes[start + 7 + 2 * i] == 0;
    }
    const std::size_t fixed = start + kFixedOffset;
    if (!key || (bytes[start + 2] | bytes[start + 3] << 8) != kFixedBytes || word32(fixed) != kSignature) continue;
    const std::uint32_t most = word32(fixed + 8), least = word32(fixed + 12);
    return PackVersion(static_cast<std::uint16_t>(most >> 16), static_cast<std::uint16_t>(most),
                       static_cast<std::uint16_t>(least >> 16), static_cast<std::uint16_t>(least));
  }
  return std::nullopt;
}

bool KeepsPackage(PendingOutcome outcome) {
  return outcome == PendingOutcome::PutOff || outcome == PendingOutcome::Interrupted;
}

}  // namespace k3
