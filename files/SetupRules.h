// What a setup package must be before the update client writes it and
// before Kicker installs it: the product and upgrade codes of the editions,
// versions as numbers, the check of what a package says of itself, and the
// comparison of a signer's key with the vendor's pinned key. Pure, tested
// natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k3 {

// The fixed product codes of the two editions' installers: every version
// of an edition has the same one, so that a newer version replaces the
// installed one as a minor upgrade (one transaction of Windows Installer).
inline constexpr wchar_t kJapaneseProductCode[] = L"{5B1E7C2A-3D4F-4A6B-9C8D-1E2F3A4B5C61}";
inline constexpr wchar_t kEnglishProductCode[] = L"{5B1E7C2A-3D4F-4A6B-9C8D-1E2F3A4B5C62}";
// Their upgrade codes: the same for every version of an edition.
inline constexpr wchar_t kJapaneseUpgradeCode[] = L"{7D3A9F10-2B4C-4E5D-8F6A-0B1C2D3E4F71}";
inline constexpr wchar_t kEnglishUpgradeCode[] = L"{7D3A9F10-2B4C-4E5D-8F6A-0B1C2D3E4F72}";

std::wstring_view ProductCode(bool japanese);
std::wstring_view UpgradeCode(bool japanese);

// "a.b.c.d" (one to four decimal fields of 0..65535, missing ones 0) packed
// into one number that compares as the versions do; nothing for any other
// text.
std::optional<std::uint64_t> PackVersion(std::wstring_view text);

// The four numbers of a version packed the same way.
std::uint64_t PackVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build, std::uint16_t revision);

// The platform a package is for, as its summary's Template names it (the
// part before the ";"): "Intel" for 32-bit x86 programs, "x64" for x86-64
// ones. A package names one platform.
std::wstring_view TemplatePlatform(std::wstring_view packageTemplate);

// The platform of this build's own programs, named as packages name it:
// an installation takes only packages of its own programs' platform.
#if defined(__x86_64__) || defined(_M_X64)
inline constexpr wchar_t kOwnPlatform[] = L"x64";
#elif defined(__aarch64__) || defined(_M_ARM64)
inline constexpr wchar_t kOwnPlatform[] = L"Arm64";
#else
inline constexpr wchar_t kOwnPlatform[] = L"Intel";
#endif

// What a package says of itself (its Property table and its summary).
struct PackageFacts {
  bool opened = false;  // it opens as a Windows Installer database
  std::wstring upgradeCode;
  std::wstring productVersion;
  std::wstring productCode;
  std::wstring platform;  // TemplatePlatform of its summary's Template
};

enum class PackageVerdict {
  Install,       // this edition's product, newer than the installed one
  NotAPackage,   // not a Windows Installer database
  OtherProduct,  // another product, the other edition, or for another platform
  NotNewer,      // not newer than the installed version (or no version)
  NotAnnounced,  // another version than the service announced
};

// Whether the package may replace the installed edition. `platform` is the
// installed programs' (kOwnPlatform): a package for another platform would
// put programs of another architecture in their place. `installed` is
// nothing when the edition is not installed; then any version of the
// edition's product will do. `announced`, when given, is the version the
// update service announced, which the package must be. GUIDs compare
// without regard to case.
PackageVerdict CheckPackage(const PackageFacts& package, std::wstring_view productCode, std::wstring_view upgradeCode,
                            std::wstring_view platform, std::optional<std::uint64_t> installed,
                            std::optional<std::uint64_t> announced = {});

// The same for an installed version as Windows Installer tells it: an
// installed version Kicker cannot read is never replaced blindly.
PackageVerdict CheckPackage(const PackageFacts& package, std::wstring_view productCode, std::wstring_view upgradeCode,
                            std::wstring_view platform, std::wstring_view installedVersion);

// The vendor's key as the build pins it: the SHA-256 of the certificate's
// public key (its DER SubjectPublicKeyInfo), 64 hexadecimal digits.
inline constexpr std::size_t kKeyDigestBytes = 32;

// Whether a key digest is the pinned one. A pin that is not 64 hexadecimal
// digits matches nothing.
bool MatchesPin(const std::uint8_t* digest, std::size_t length, std::string_view pin);

// The name of a package's detached signature beside it.
std::wstring SignatureName(std::wstring_view package);

// The largest setup package that is downloaded or installed.
inline constexpr std::size_t kMaxSetupPackageBytes = 256u * 1024 * 1024;

// At most this many bytes of a detached signature are read.
inline constexpr std::size_t kMaxSignatureBytes = 64 * 1024;

}  // namespace k3
