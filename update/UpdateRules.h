// The client side of the update service's protocol, without the network:
// the query URLs in their field orders, the reading of the replies, the
// version comparison and what a downloaded setup package must be before it
// is written. Pure, tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace k3 {

// The vendor's web host: the update service and the web pages live there.
inline constexpr wchar_t kVendorWebHost[] = L"www.kelvarstone.example";

// "k3driftlet" for the Japanese edition, "k3driftlet_e" otherwise.
std::wstring_view UpdateProduct(bool japanese);

// GetSignature asks for the package's detached signature; services and
// clients that know only the first three never send or answer it.
enum class UpdateAction { GetVersion, GetFileLength, GetFile, GetSignature };

// http://<host>/versioninfo.php?... with the fields in the order the
// service expects: product, action, hddmode for getversion; product,
// hddmode, action for the others.
std::wstring UpdateUrl(std::wstring_view host, std::wstring_view product, UpdateAction action);

struct Version {
  std::uint16_t major = 0, minor = 0, build = 0, revision = 0;
};

// The four numbers of a version from the file version's two words.
Version VersionFromWords(std::uint32_t mostSignificant, std::uint32_t leastSignificant);

// A getversion reply: exactly 8 characters, four pairs read as base-16
// numbers the way strtol reads two characters (it stops at the first
// non-digit; no digit gives 0). False for any other length.
bool ParseServiceVersion(const std::uint8_t* reply, std::size_t length, Version& version);

// 1 when `service` is newer than `installed`, else 0 (fields compared in
// order as unsigned 16-bit numbers).
int CompareForUpdate(const Version& service, const Version& installed);

// A getfilelen reply as strtol reads it in base 10 (leading blanks and a
// sign allowed, stops at the first non-digit); 0 for anything else. Never
// reads beyond `length`.
long ParseAnnouncedLength(const std::uint8_t* reply, std::size_t length);

// The version packed as files/SetupRules.h compares versions.
std::uint64_t PackedVersion(const Version& version);

// Whether a downloaded body may be written as the setup package: exactly
// the announced length, and a Windows Installer package (a compound file,
// by its signature). An error page, a truncated body or one of another
// length is not.
bool IsCompleteSetupPackage(const std::uint8_t* body, std::size_t length, long announced);

}  // namespace k3
