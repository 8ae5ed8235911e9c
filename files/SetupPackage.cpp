#include "files/SetupPackage.h"

#include <msi.h>
#include <msidefs.h>
#include <msiquery.h>
#include <wincrypt.h>

#include <vector>

#include "VendorKey.h"
#include "framework/Handles.h"

namespace k3 {

namespace {

// Windows Installer's handles (databases, views, records).
struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle Invalid() { return 0; }
  static void Close(Handle h) { ::MsiCloseHandle(h); }
};
using MsiHandle = fw::UniqueHandle<MsiHandleTraits>;

// A certificate context of the crypto API.
struct CertTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CertFreeCertificateContext(h); }
};
using CertHandle = fw::UniqueHandle<CertTraits>;

std::wstring RecordString(MSIHANDLE record, unsigned field) {
  DWORD length = 0;
  wchar_t none[1] = {};
  if (::MsiRecordGetStringW(record, field, none, &length) != ERROR_MORE_DATA && length == 0) return {};
  std::vector<wchar_t> text(length + 1);
  length = static_cast<DWORD>(text.size());
  if (::MsiRecordGetStringW(record, field, text.data(), &length) != ERROR_SUCCESS) return {};
  return std::wstring(text.data(), length);
}

std::wstring PackageProperty(MSIHANDLE database, const wchar_t* name) {
  MSIHANDLE h = 0;
  const std::wstring query = std::wstring(L"SELECT `Value` FROM `Property` WHERE `Property` = '") + name + L"'";
  if (::MsiDatabaseOpenViewW(database, query.c_str(), &h) != ERROR_SUCCESS) return {};
  MsiHandle view(h);
  if (::MsiViewExecute(view.get(), 0) != ERROR_SUCCESS) return {};
  MSIHANDLE r = 0;
  if (::MsiViewFetch(view.get(), &r) != ERROR_SUCCESS) return {};
  MsiHandle record(r);
  return RecordString(record.get(), 1);
}

// A text property of the database's summary information; empty when it
// has none.
std::wstring SummaryText(MSIHANDLE database, UINT property) {
  MSIHANDLE h = 0;
  if (::MsiGetSummaryInformationW(database, nullptr, 0, &h) != ERROR_SUCCESS) return {};
  MsiHandle summary(h);
  UINT type = 0;
  INT number = 0;
  FILETIME time{};
  wchar_t none[1] = {};
  DWORD length = 0;
  UINT rc = ::MsiSummaryInfoGetPropertyW(summary.get(), property, &type, &number, &time, none, &length);
  if ((rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS) || type != VT_LPSTR) return {};
  std::wstring text(length + 1, L'\0');
  length = static_cast<DWORD>(text.size());
  if (::MsiSummaryInfoGetPropertyW(summary.get(), property, &type, &number, &time, text.data(), &length) !=
      ERROR_SUCCESS) {
    return {};
  }
  text.resize(length);
  return text;
}

// The SHA-256 of a certificate's public key as DER (its whole
// SubjectPublicKeyInfo, as the pin is made from the key file).
bool KeyDigest(PCCERT_CONTEXT certificate, std::uint8_t (&digest)[kKeyDigestBytes]) {
  DWORD size = 0;
  if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &certificate->pCertInfo->SubjectPublicKeyInfo,
                           nullptr, &size)) {
    return false;
  }
  std::vector<BYTE> encoded(size);
  if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &certificate->pCertInfo->SubjectPublicKeyInfo,
                           encoded.data(), &size)) {
    return false;
  }
  DWORD length = kKeyDigestBytes;
  return ::CryptHashCertificate(0, CALG_SHA_256, 0, encoded.data(), size, digest, &length) && length == kKeyDigestBytes;
}

// A message handle of the crypto API.
struct CryptMsgTraits {
  using Handle = HCRYPTMSG;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CryptMsgClose(h); }
};
using CryptMsgHandle = fw::UniqueHandle<CryptMsgTraits>;

// Whether the signature signs the content's digest itself: one signer and
// no signed attributes. With signed attributes the signature covers the
// attributes, and the content is bound only by the digest they carry,
// which some implementations (Wine's among them) never compare with the
// content: such a signature would verify over any content there. The
// vendor's packages are signed without attributes.
bool SignsContentDirectly(const std::uint8_t* signature, std::size_t length) {
  CryptMsgHandle message(
      ::CryptMsgOpenToDecode(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, CMSG_DETACHED_FLAG, 0, 0, nullptr, nullptr));
  if (!message || !::CryptMsgUpdate(message.get(), signature, static_cast<DWORD>(length), TRUE)) return false;
  DWORD signers = 0;
  DWORD size = sizeof signers;
  if (!::CryptMsgGetParam(message.get(), CMSG_SIGNER_COUNT_PARAM, 0, &signers, &size) || signers != 1) return false;
  size = 0;
  if (::CryptMsgGetParam(message.get(), CMSG_SIGNER_AUTH_ATTR_PARAM, 0, nullptr, &size) && size > 0) {
    if (size < sizeof(CRYPT_ATTRIBUTES)) return false;
    std::vector<BYTE> attributes(size);
    if (!::CryptMsgGetParam(message.get(), CMSG_SIGNER_AUTH_ATTR_PARAM, 0, attributes.data(), &size)) return false;
    return reinterpret_cast<const CRYPT_ATTRIBUTES*>(attributes.data())->cAttr == 0;
  }
  // No signed attributes at all (Windows reports that as a failure, Wine
  // as an empty answer).
  return true;
}

}  // namespace

std::string_view VendorKeyPin() { return kVendorKeyPin; }

PackageFacts ReadPackageFacts(const std::wstring& package) {
  PackageFacts facts;
  MSIHANDLE h = 0;
  if (::MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &h) != ERROR_SUCCESS) return facts;
  MsiHandle database(h);
  facts.opened = true;
  facts.upgradeCode = PackageProperty(database.get(), L"UpgradeCode");
  facts.productCode = PackageProperty(database.get(), L"ProductCode");
  facts.productVersion = PackageProperty(database.get(), L"ProductVersion");
  facts.platform = TemplatePlatform(SummaryText(database.get(), PID_TEMPLATE));
  return facts;
}

bool SignedWithKey(const std::uint8_t* content, std::size_t length, const std::uint8_t* signature,
                   std::size_t signatureLength, std::string_view pin) {
  if (!content || !signature || length == 0 || length > 0xFFFFFFFFu || signatureLength == 0 ||
      signatureLength > kMaxSignatureBytes) {
    return false;
  }
  if (!SignsContentDirectly(signature, signatureLength)) return false;
  CRYPT_VERIFY_MESSAGE_PARA para{};
  para.cbSize = sizeof para;
  para.dwMsgAndCertEncodingType = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
  const BYTE* parts[1] = {content};
  DWORD sizes[1] = {static_cast<DWORD>(length)};
  PCCERT_CONTEXT signer = nullptr;
  const BOOL verified = ::CryptVerifyDetachedMessageSignature(&para, 0, signature, static_cast<DWORD>(signatureLength),
                                                             1, parts, sizes, &signer);
  CertHandle certificate(signer);
  if (!verified || !certificate) return false;
  std::uint8_t digest[kKeyDigestBytes] = {};
  return KeyDigest(certificate.get(), digest) && MatchesPin(digest, sizeof digest, pin);
}

}  // namespace k3
