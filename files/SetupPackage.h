// A setup package as the system reads it: what its Property table says,
// and whether its detached signature (a PKCS #7 signature of the whole
// package) verifies and comes from the vendor's pinned key. Both the update
// client and Kicker ask these before a package is written or installed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/SetupRules.h"

namespace k3 {

// The pin the build made from the key it signs with.
std::string_view VendorKeyPin();

// The upgrade code, product code and version of a package file and the
// platform its summary names; `opened` false when it is no Windows
// Installer database.
PackageFacts ReadPackageFacts(const std::wstring& package);

// Whether `signature` is a valid detached signature of exactly these bytes
// whose signer's public key has the digest `pin`: one signer, who signed
// the content's digest itself (no signed attributes). The system's crypto
// (CryptVerifyDetachedMessageSignature) checks the signature; any changed
// byte of the content fails it.
bool SignedWithKey(const std::uint8_t* content, std::size_t length, const std::uint8_t* signature,
                   std::size_t signatureLength, std::string_view pin);

}  // namespace k3
